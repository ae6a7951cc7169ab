// The extended-timestamp extra field (id 0x5455): a flag byte, then the modification
// time in UTC seconds (signed 32 bits) when flag bit 0 is set. It is exact and free
// of time zones, unlike the DOS time of the headers. This engine writes the same block
// (modification time only) into both headers of the members it makes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zb::zip {

// The modification time of the block in `extra` (a whole extra field), when there.
std::optional<std::int64_t> decodeExtendedTimestamp(std::string_view extra);

// The whole block for `modTimeUtc`; empty when there is no time or it does not fit the
// field's signed 32 bits.
std::string encodeExtendedTimestamp(const std::optional<std::int64_t>& modTimeUtc);

}  // namespace zb::zip
