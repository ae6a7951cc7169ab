// The ZIP64 end of central directory record: the member counts, the directory's size
// and offset and the part numbers at full width, for archives whose values do not fit
// the classic end record. It stands in front of its locator and the classic record.
#pragma once

#include <cstdint>
#include <string>

#include "zip/records/ZipRecords.h"

namespace zb::zip {

struct Zip64EndRecord {
    static constexpr std::size_t kSize = kZip64EndSize;

    std::uint16_t versionMadeBy = kZip64Version;
    std::uint16_t versionNeeded = kZip64Version;
    std::uint32_t thisDisk = 0;
    std::uint32_t centralStartDisk = 0;
    std::uint64_t entriesThisDisk = 0;
    std::uint64_t totalEntries = 0;
    std::uint64_t centralSize = 0;
    std::uint64_t centralOffset = 0;

    // Takes the record at `raw` (kSize bytes); false without its signature.
    bool decode(const std::uint8_t* raw);
    std::string encode() const;
};

}  // namespace zb::zip
