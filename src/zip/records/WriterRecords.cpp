// The writer's members mapped onto the record codecs; see the header for when ZIP64
// comes in.
#include "zip/records/WriterRecords.h"

#include <algorithm>

#include "platform/ArchiveHost.h"
#include "zip/records/CentralHeader.h"
#include "zip/records/ExtendedTimestamp.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/Zip64Extra.h"

namespace zb::zip {

std::uint16_t ownVersionMadeBy(std::uint16_t format) {
    return std::uint16_t((std::uint16_t(platform::archiveHost()) << 8) | (format & 0xFF));
}

std::size_t localHeaderSize(const WriterMember& m) { return localHeaderBytes(m).size(); }

std::string localHeaderBytes(const WriterMember& m) {
    LocalHeader h;
    h.versionNeeded = m.zip64Local ? std::max(m.versionNeeded, kZip64Version) : m.versionNeeded;
    h.flags = m.flags;
    h.method = m.method;
    h.dosTime = m.dosTime;
    h.crc = m.crc;
    h.compressedSize = m.zip64Local ? kZip64Marker32 : std::uint32_t(m.compressedSize);
    h.uncompressedSize = m.zip64Local ? kZip64Marker32 : std::uint32_t(m.uncompressedSize);
    Zip64Extra zip64;
    if (m.zip64Local) {
        zip64.uncompressedSize = m.uncompressedSize;
        zip64.compressedSize = m.compressedSize;
    }
    h.setNameAndExtra(m.name, zip64.encode() + encodeExtendedTimestamp(m.modTimeUtc));
    return h.encode();
}

std::string centralHeaderBytes(const WriterMember& m) {
    CentralHeader h;
    const std::string zip64 = h.setWideValues(m.uncompressedSize, m.compressedSize, m.localOffset, m.diskStart,
                                              m.keepZip64Uncompressed, m.keepZip64Compressed);
    const bool anyZip64 = !zip64.empty() || m.zip64Local;
    h.versionNeeded = anyZip64 ? std::max(m.versionNeeded, kZip64Version) : m.versionNeeded;
    h.versionMadeBy =
        m.madeByFollowsNeeded ? std::uint16_t((m.versionMadeBy & 0xFF00) | (h.versionNeeded & 0xFF)) : m.versionMadeBy;
    h.flags = m.flags;
    h.method = m.method;
    h.dosTime = m.dosTime;
    h.crc = m.crc;
    h.internalAttributes = m.internalAttributes;
    h.externalAttributes = m.externalAttributes;
    h.setParts(m.name, zip64 + encodeExtendedTimestamp(m.modTimeUtc) + m.centralExtra, m.comment);
    return h.encode();
}

std::string endRecordBytes(std::uint64_t entries, std::uint64_t directorySize, std::uint64_t directoryOffset,
                           const std::string& comment) {
    TEndCentral end;
    end.entriesThisDisk = end.totalEntries = entries;
    end.centralSize = directorySize;
    end.centralOffset = directoryOffset;
    end.setComment(comment);
    // The ZIP64 end record, when one is needed, stands right behind the directory.
    return end.encode(directoryOffset + directorySize);
}

}  // namespace zb::zip
