// The ZIP64 extra field (id 0x0001): the full values of a member's sizes, local
// header offset and starting part when the classic 32-bit or 16-bit fields cannot
// hold them. In a central header the block holds, in this fixed order, exactly the
// values whose classic field holds the marker (all ones); in a local header it holds
// both sizes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zb::zip {

struct Zip64Extra {
    std::optional<std::uint64_t> uncompressedSize;
    std::optional<std::uint64_t> compressedSize;
    std::optional<std::uint64_t> localOffset;
    std::optional<std::uint32_t> diskStart;

    bool empty() const { return !uncompressedSize && !compressedSize && !localOffset && !diskStart; }

    // The whole block (id, length, the values held, in order); empty when none is held.
    std::string encode() const;

    // The values of a central header's block, for the fields flagged as holding the
    // marker; a value the block is too short for stays unset.
    static Zip64Extra decodeCentral(std::string_view data, bool uncompressed, bool compressed, bool offset, bool disk);
    // The sizes of a local header's block. Both sizes stand in it; a block of only 8
    // bytes (written by some tools) holds the first size that holds the marker.
    static Zip64Extra decodeLocal(std::string_view data, bool uncompressed, bool compressed);
};

}  // namespace zb::zip
