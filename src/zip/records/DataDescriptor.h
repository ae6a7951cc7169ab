// The data descriptor that follows a member's data when flag bit 3 is set: the CRC-32
// and both sizes, known only once the data was written. It may start with its own
// signature or not, and holds 8-byte sizes for ZIP64 members, 4-byte ones otherwise;
// the record itself does not say which, so the caller tells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zb::zip {

struct DataDescriptor {
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::size_t length = 0;  // bytes of the descriptor, its signature included

    // The descriptor at `p`, where `avail` bytes can be read: with its signature
    // (nullopt when it does not start with one) or without, with 8-byte sizes or
    // 4-byte ones; nullopt when fewer bytes are there than that form needs.
    static std::optional<DataDescriptor> decode(const std::uint8_t* p, std::size_t avail, bool withSignature,
                                                bool wideSizes);
};

}  // namespace zb::zip
