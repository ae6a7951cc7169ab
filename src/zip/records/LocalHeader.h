// The local header that stands in front of each member's data: 30 fixed bytes, the
// name and the local extra field. The fields are held as the record states them (the
// sizes 32-bit, the markers included); the ZIP64 and other blocks of the extra field
// are read by their own codecs. Every part of the engine that reads or writes a local
// header goes through this one layout.
#pragma once

#include <cstdint>
#include <string>

#include "zip/io/TStream.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

struct LocalHeader {
    static constexpr std::size_t kFixedSize = kLocalHeaderSize;

    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosTime = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    // The lengths as the fixed part states them; `name` and `extra` are the bytes that
    // follow (a writer may state a longer extra field and write the rest itself).
    std::uint16_t nameLength = 0;
    std::uint16_t extraLength = 0;
    std::string name;
    std::string extra;

    // The whole record as stated: fixed part, name and extra field.
    std::uint64_t size() const { return kFixedSize + std::uint64_t(nameLength) + extraLength; }

    // Takes the fixed part at `raw` (kFixedSize bytes); false when it does not start
    // with the local header signature.
    bool decodeFixed(const std::uint8_t* raw);
    // Reads the whole header at the stream's position. On failure (no signature, cut
    // short) the stream is back where it was.
    bool read(TStream& stream);

    // Sets the name and the extra field and the lengths that state them.
    void setNameAndExtra(std::string nameBytes, std::string extraBytes);
    // The fixed part, then `name` and `extra`.
    std::string encode() const;
};

}  // namespace zb::zip
