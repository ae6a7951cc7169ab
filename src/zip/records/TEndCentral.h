// The end of the central directory: where the directory starts, how long it is, how
// many members it holds and the archive comment. Counts, sizes and offsets are held
// 64-bit; the ZIP64 end record and its locator are read when present and written when
// a value does not fit the classic record (more than 65,535 members, past 4 GiB).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zip/io/TStream.h"

namespace zb::zip {

class TEndCentral {
public:
    TEndCentral() { clear(); }

    void clear();
    void assign(const TEndCentral& other);

    std::uint32_t signature;
    std::uint32_t thisDisk;
    std::uint32_t centralStartDisk;
    std::uint64_t entriesThisDisk;
    std::uint64_t totalEntries;
    std::uint64_t centralSize;
    std::uint64_t centralOffset;
    std::uint16_t commentLength;
    std::uint64_t commentPosition;  // file offset just behind the 22 fixed bytes
    std::uint8_t modified;          // the archive comment was changed by the user

    // Where the records were found (find), for the reader's plausibility checks.
    std::uint64_t endRecordPosition = 0;
    bool zip64 = false;  // values were taken from a ZIP64 end record
    std::uint64_t zip64RecordPosition = 0;

    const std::optional<std::string>& comment() const { return comment_; }
    // nullopt or empty: no comment.
    void setComment(std::optional<std::string> comment);
    std::uint64_t size() const { return 22 + std::uint64_t(commentLength); }

    // True when a value needs the ZIP64 end record.
    bool needsZip64() const;
    // The classic record (with the comment when held). When a value does not fit, the
    // ZIP64 end record and its locator come first, the ZIP64 record at offset `at` of
    // its part, and the classic fields hold the "look there" markers.
    std::string encode(std::uint64_t at) const;
    // encode() written at the stream's position.
    void write(TStream& stream) const;
    // Looks for the record within the last 65,557 bytes (the last signature from the
    // end wins); then for a ZIP64 locator right before it. An empty stream is an
    // archive without members; any other stream under 22 bytes has no record.
    bool find(TStream& stream);

private:
    // Takes the classic record's fields at `raw` (its signature already checked).
    void decodeClassic(const std::uint8_t* raw);
    // Takes the ZIP64 end record the locator before the classic record at
    // endRecordPosition points to, when there is one.
    void readZip64(TStream& stream);

    std::optional<std::string> comment_;
};

}  // namespace zb::zip
