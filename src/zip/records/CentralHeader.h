// One record of the central directory: 46 fixed bytes, the name, the extra field and
// the member's comment. The fields are held as the record states them (sizes, offset
// and part number in their classic widths, markers included); zip64() gives the full
// values the ZIP64 block holds for the fields that carry the marker, and
// setWideValues() is the one rule by which a writer fits full values into the record.
// The reader, the copy of members in an update and the split-set writer all parse and
// write central headers through this one layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zip/records/Zip64Extra.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

struct CentralHeader {
    static constexpr std::size_t kFixedSize = kCentralHeaderSize;

    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosTime = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t extraLength = 0;
    std::uint16_t commentLength = 0;
    std::uint16_t diskStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localOffset = 0;
    std::string name;
    std::string extra;
    std::string comment;

    // The whole record as stated.
    std::uint64_t size() const { return kFixedSize + std::uint64_t(nameLength) + extraLength + commentLength; }

    // Takes the fixed part at `raw` (kFixedSize bytes); false when it does not start
    // with the central header signature.
    bool decodeFixed(const std::uint8_t* raw);
    // A whole record at the start of `bytes`; nullopt when there is none or it is cut
    // short.
    static std::optional<CentralHeader> decode(std::string_view bytes);

    // Sets name, extra field and comment and the lengths that state them.
    void setParts(std::string nameBytes, std::string extraBytes, std::string commentBytes);
    // The fixed part, then name, extra field and comment.
    std::string encode() const;

    // The full values of the fields that hold the marker, from the ZIP64 block.
    Zip64Extra zip64() const;
    // Sets the size, offset and part fields from full values: each that does not fit
    // (or that `keepUncompressed`/`keepCompressed` asks to keep in ZIP64 form) holds the
    // marker, and the returned ZIP64 block (empty when none is needed) carries it.
    std::string setWideValues(std::uint64_t uncompressed, std::uint64_t compressed, std::uint64_t offset,
                              std::uint32_t disk, bool keepUncompressed = false, bool keepCompressed = false);
};

}  // namespace zb::zip
