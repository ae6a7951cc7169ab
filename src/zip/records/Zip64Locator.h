// The ZIP64 end of central directory locator: right in front of the classic end
// record, it says on which part and at which offset the ZIP64 end record stands.
#pragma once

#include <cstdint>
#include <string>

#include "zip/records/ZipRecords.h"

namespace zb::zip {

struct Zip64Locator {
    static constexpr std::size_t kSize = kZip64LocatorSize;

    std::uint32_t zip64Disk = 0;    // the part holding the ZIP64 end record
    std::uint64_t zip64Offset = 0;  // where it starts on that part
    std::uint32_t totalDisks = 1;

    // Takes the locator at `raw` (kSize bytes); false without its signature.
    bool decode(const std::uint8_t* raw);
    std::string encode() const;
};

}  // namespace zb::zip
