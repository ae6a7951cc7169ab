// Serialising the writer's records; see the header for when ZIP64 comes in.
#include "zip/records/WriterRecords.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/ArchiveHost.h"

namespace zb::zip {

void putLe16(std::string& out, std::uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}
void putLe32(std::string& out, std::uint32_t v) {
    putLe16(out, std::uint16_t(v & 0xFFFF));
    putLe16(out, std::uint16_t(v >> 16));
}
void putLe64(std::string& out, std::uint64_t v) {
    putLe32(out, std::uint32_t(v & 0xFFFFFFFF));
    putLe32(out, std::uint32_t(v >> 32));
}
std::uint16_t getLe16(const void* p) {
    auto b = static_cast<const std::uint8_t*>(p);
    return std::uint16_t(b[0] | (b[1] << 8));
}
std::uint32_t getLe32(const void* p) {
    auto b = static_cast<const std::uint8_t*>(p);
    return std::uint32_t(getLe16(b)) | (std::uint32_t(getLe16(b + 2)) << 16);
}
std::uint64_t getLe64(const void* p) {
    auto b = static_cast<const std::uint8_t*>(p);
    return std::uint64_t(getLe32(b)) | (std::uint64_t(getLe32(b + 4)) << 32);
}

namespace {

constexpr std::size_t kLocalFixed = 30;
constexpr std::size_t kLocalZip64Extra = 4 + 16;
constexpr std::size_t kTimestampExtra = 4 + 5;

bool hasTimestamp(const TWriterMember& m) {
    return m.modTimeUtc && *m.modTimeUtc >= std::numeric_limits<std::int32_t>::min() &&
           *m.modTimeUtc <= std::numeric_limits<std::int32_t>::max();
}

// The same block in both headers: flag "modification time", then the time.
void appendTimestamp(std::string& out, const TWriterMember& m) {
    if (!hasTimestamp(m)) return;
    putLe16(out, kExtraTimestamp);
    putLe16(out, 5);
    out += char(1);
    putLe32(out, std::uint32_t(std::int32_t(*m.modTimeUtc)));
}

}  // namespace

std::uint16_t ownVersionMadeBy(std::uint16_t format) {
    return std::uint16_t((std::uint16_t(platform::archiveHost()) << 8) | (format & 0xFF));
}

std::size_t localHeaderSize(const TWriterMember& m) {
    return kLocalFixed + m.name.size() + (m.zip64Local ? kLocalZip64Extra : 0) +
           (hasTimestamp(m) ? kTimestampExtra : 0);
}

std::string localHeaderBytes(const TWriterMember& m) {
    std::string out;
    out.reserve(localHeaderSize(m));
    putLe32(out, kLocalHeaderSignature);
    putLe16(out, m.zip64Local ? std::max(m.versionNeeded, kZip64Version) : m.versionNeeded);
    putLe16(out, m.flags);
    putLe16(out, m.method);
    putLe32(out, m.dosTime);
    putLe32(out, m.crc);
    putLe32(out, m.zip64Local ? kZip64Marker32 : std::uint32_t(m.compressedSize));
    putLe32(out, m.zip64Local ? kZip64Marker32 : std::uint32_t(m.uncompressedSize));
    putLe16(out, std::uint16_t(m.name.size()));
    putLe16(out, std::uint16_t(localHeaderSize(m) - kLocalFixed - m.name.size()));
    out += m.name;
    if (m.zip64Local) {
        putLe16(out, kExtraZip64);
        putLe16(out, 16);
        putLe64(out, m.uncompressedSize);
        putLe64(out, m.compressedSize);
    }
    appendTimestamp(out, m);
    return out;
}

std::string centralHeaderBytes(const TWriterMember& m) {
    const bool bigU = m.uncompressedSize >= kZip64Marker32 || m.keepZip64Uncompressed;
    const bool bigC = m.compressedSize >= kZip64Marker32 || m.keepZip64Compressed;
    const bool bigO = m.localOffset >= kZip64Marker32;
    const bool bigD = m.diskStart >= kZip64Marker16;
    std::string zip64;
    if (bigU || bigC || bigO || bigD) {
        std::string data;
        if (bigU) putLe64(data, m.uncompressedSize);
        if (bigC) putLe64(data, m.compressedSize);
        if (bigO) putLe64(data, m.localOffset);
        if (bigD) putLe32(data, m.diskStart);
        putLe16(zip64, kExtraZip64);
        putLe16(zip64, std::uint16_t(data.size()));
        zip64 += data;
    }
    const bool anyZip64 = !zip64.empty() || m.zip64Local;
    const std::uint16_t needed = anyZip64 ? std::max(m.versionNeeded, kZip64Version) : m.versionNeeded;
    std::string timestamp;
    appendTimestamp(timestamp, m);
    std::string out;
    out.reserve(46 + m.name.size() + zip64.size() + timestamp.size() + m.centralExtra.size() + m.comment.size());
    putLe32(out, kCentralHeaderSignature);
    putLe16(out, m.madeByFollowsNeeded ? std::uint16_t((m.versionMadeBy & 0xFF00) | (needed & 0xFF)) : m.versionMadeBy);
    putLe16(out, needed);
    putLe16(out, m.flags);
    putLe16(out, m.method);
    putLe32(out, m.dosTime);
    putLe32(out, m.crc);
    putLe32(out, bigC ? kZip64Marker32 : std::uint32_t(m.compressedSize));
    putLe32(out, bigU ? kZip64Marker32 : std::uint32_t(m.uncompressedSize));
    putLe16(out, std::uint16_t(m.name.size()));
    putLe16(out, std::uint16_t(zip64.size() + timestamp.size() + m.centralExtra.size()));
    putLe16(out, std::uint16_t(m.comment.size()));
    putLe16(out, bigD ? kZip64Marker16 : std::uint16_t(m.diskStart));
    putLe16(out, m.internalAttributes);
    putLe32(out, m.externalAttributes);
    putLe32(out, bigO ? kZip64Marker32 : std::uint32_t(m.localOffset));
    out += m.name;
    out += zip64;
    out += timestamp;
    out += m.centralExtra;
    out += m.comment;
    return out;
}

std::string endRecordBytes(std::uint64_t entries, std::uint64_t directorySize, std::uint64_t directoryOffset,
                           const std::string& comment) {
    const bool bigN = entries >= kZip64Marker16;
    const bool bigS = directorySize >= kZip64Marker32;
    const bool bigO = directoryOffset >= kZip64Marker32;
    std::string out;
    if (bigN || bigS || bigO) {
        const std::uint64_t zip64EndOffset = directoryOffset + directorySize;
        putLe32(out, kZip64EndSignature);
        putLe64(out, 44);  // size of the rest of this record
        putLe16(out, kZip64Version);
        putLe16(out, kZip64Version);
        putLe32(out, 0);  // this disk
        putLe32(out, 0);  // disk where the directory starts
        putLe64(out, entries);
        putLe64(out, entries);
        putLe64(out, directorySize);
        putLe64(out, directoryOffset);
        putLe32(out, kZip64LocatorSignature);
        putLe32(out, 0);  // disk of the ZIP64 end record
        putLe64(out, zip64EndOffset);
        putLe32(out, 1);  // number of disks
    }
    putLe32(out, kEndCentralSignature);
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, bigN ? kZip64Marker16 : std::uint16_t(entries));
    putLe16(out, bigN ? kZip64Marker16 : std::uint16_t(entries));
    putLe32(out, bigS ? kZip64Marker32 : std::uint32_t(directorySize));
    putLe32(out, bigO ? kZip64Marker32 : std::uint32_t(directoryOffset));
    putLe16(out, std::uint16_t(comment.size()));
    out += comment;
    return out;
}

}  // namespace zb::zip
