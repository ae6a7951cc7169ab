// The extra field of a local or central header: a run of blocks, each a 16-bit id, a
// 16-bit data length and the data. Other tools put blocks of their own there, and a
// damaged record may end a block past the field's end; walking the blocks is written
// here once for every codec of a single block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zb::zip {

// The data of the first block with `id`, or empty. A block that claims more bytes
// than the field holds is damage and is found nowhere.
std::string_view findExtraBlock(std::string_view extra, std::uint16_t id);

// Whether the field holds a block with `id` (even one cut short by the field's end).
bool hasExtraBlock(std::string_view extra, std::uint16_t id);

// The field without its blocks of `id`; the other blocks keep their bytes (one cut
// short by the field's end is kept as far as it goes, a tail too short for a block
// header is left out).
std::string extraWithout(std::string_view extra, std::uint16_t id);

// Appends one block: id, length, data.
void appendExtraBlock(std::string& out, std::uint16_t id, std::string_view data);

}  // namespace zb::zip
