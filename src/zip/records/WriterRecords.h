// The records the writer puts into an archive, from its own view of a member: local
// and central headers and the end of the central directory. The byte layouts are the
// record codecs'; this file holds the writer's choices. A member or an archive that
// fits the classic 32-bit and 16-bit fields is written exactly in the classic form;
// only what does not fit (a size or an offset of 4 GiB or more, more than 65,534
// members) gets the ZIP64 extra field or end records, so no field is ever truncated.
// Members made here also carry the extended-timestamp field, so that their times are
// exact and independent of the time zone they were packed or restored in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

inline constexpr std::uint16_t kClassicVersion = 20;  // format 2.0, MS-DOS host

// One member as the writer puts it into the archive.
struct WriterMember {
    std::uint16_t versionMadeBy = kClassicVersion;
    std::uint16_t versionNeeded = kClassicVersion;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;
    std::uint32_t dosTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint32_t diskStart = 0;
    std::uint16_t internalAttributes = 1;
    std::uint32_t externalAttributes = 0x20;
    std::uint64_t localOffset = 0;
    std::string name;          // the stored bytes (ASCII, UTF-8 with flag bit 11, or raw bytes)
    std::string comment;       // stored bytes
    std::string centralExtra;  // extra blocks kept from another tool, without ZIP64
    // Whether the local header carries the sizes in a ZIP64 extra field (decided from
    // the file's size before the header is written).
    bool zip64Local = false;
    // A member copied from an old archive whose central header held a size in ZIP64
    // form keeps that form, as the tool that wrote it chose.
    bool keepZip64Uncompressed = false;
    bool keepZip64Compressed = false;
    // Members this writer makes: the low byte of "version made by" follows the format
    // version the record needs (20, or 45 with ZIP64), as it does for version needed.
    bool madeByFollowsNeeded = false;
    // Written as an extended-timestamp extra field in both headers when set (and when
    // it fits the field's signed 32 bits).
    std::optional<std::int64_t> modTimeUtc;
};

// The version made by of members written on this system, for format version `format`.
std::uint16_t ownVersionMadeBy(std::uint16_t format = kClassicVersion);

// The local header of a member the writer creates (no extra field beyond ZIP64).
std::string localHeaderBytes(const WriterMember& member);
std::size_t localHeaderSize(const WriterMember& member);

// The central header, with a ZIP64 extra field for exactly the values that need one.
std::string centralHeaderBytes(const WriterMember& member);

// The end of the central directory, preceded by the ZIP64 end record and locator
// when the member count, the directory's size or its offset do not fit.
std::string endRecordBytes(std::uint64_t entries, std::uint64_t directorySize, std::uint64_t directoryOffset,
                           const std::string& comment);

}  // namespace zb::zip
