// The Unicode path extra field (id 0x7075): a version byte (1), the CRC-32 of the
// header's own name bytes, then the name in UTF-8. Tools that store names in a code
// page add it; it stands for the name only while its check sum matches that name, so
// a name changed by a tool that did not know the block is not overridden by it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zb::zip {

// The UTF-8 name of the block in `extra` when it belongs to `rawName`; with
// `backslashSeparates` a "\" in it becomes "/".
std::optional<std::string> decodeUnicodePath(std::string_view extra, std::string_view rawName, bool backslashSeparates);

}  // namespace zb::zip
