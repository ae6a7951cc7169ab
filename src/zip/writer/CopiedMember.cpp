// Parsing the records of members copied from an old archive.
#include "zip/writer/CopiedMember.h"

#include <algorithm>

namespace zb::zip {

bool hasZip64Block(const std::string& extra) {
    std::size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        const std::uint16_t id = getLe16(extra.data() + pos);
        const std::uint16_t len = getLe16(extra.data() + pos + 2);
        if (id == kExtraZip64) return true;
        pos += 4 + std::size_t(len);
    }
    return false;
}

std::optional<TWriterMember> parseCentralHeader(const std::string& record, std::size_t* recordSize) {
    if (record.size() < 46 || getLe32(record.data()) != kCentralHeaderSignature) return std::nullopt;
    const char* p = record.data();
    TWriterMember m;
    m.versionMadeBy = getLe16(p + 4);
    m.versionNeeded = getLe16(p + 6);
    m.flags = getLe16(p + 8);
    m.method = getLe16(p + 10);
    m.dosTime = getLe32(p + 12);
    m.crc = getLe32(p + 16);
    m.compressedSize = getLe32(p + 20);
    m.uncompressedSize = getLe32(p + 24);
    const std::size_t nameLen = getLe16(p + 28);
    const std::size_t extraLen = getLe16(p + 30);
    const std::size_t commentLen = getLe16(p + 32);
    m.diskStart = getLe16(p + 34);
    m.internalAttributes = getLe16(p + 36);
    m.externalAttributes = getLe32(p + 38);
    m.localOffset = getLe32(p + 42);
    const std::size_t total = 46 + nameLen + extraLen + commentLen;
    if (record.size() < total) return std::nullopt;
    m.name = record.substr(46, nameLen);
    m.comment = record.substr(46 + nameLen + extraLen, commentLen);

    // The ZIP64 block holds, in this order, the values whose classic field is all ones.
    const std::string extra = record.substr(46 + nameLen, extraLen);
    std::size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        const std::uint16_t id = getLe16(extra.data() + pos);
        const std::size_t len = getLe16(extra.data() + pos + 2);
        const std::size_t end = std::min(extra.size(), pos + 4 + len);
        if (id == kExtraZip64) {
            std::size_t q = pos + 4;
            auto take64 = [&](std::uint64_t& field) {
                if (q + 8 <= end) {
                    field = getLe64(extra.data() + q);
                    q += 8;
                    return true;
                }
                return false;
            };
            if (m.uncompressedSize == kZip64Marker32) m.keepZip64Uncompressed = take64(m.uncompressedSize);
            if (m.compressedSize == kZip64Marker32) m.keepZip64Compressed = take64(m.compressedSize);
            if (m.localOffset == kZip64Marker32) take64(m.localOffset);
            if (m.diskStart == kZip64Marker16 && q + 4 <= end) m.diskStart = getLe32(extra.data() + q);
        } else {
            m.centralExtra.append(extra, pos, end - pos);
        }
        pos = end;
    }
    if (recordSize) *recordSize = total;
    return m;
}

std::size_t dataDescriptorLength(const TWriterMember& central, bool zip64Local, const std::string& afterData) {
    if (!(central.flags & 0x0008)) return 0;
    // Sizes in the descriptor are 8 bytes wide when the member uses ZIP64 sizes.
    const bool wide = zip64Local || central.keepZip64Compressed || central.keepZip64Uncompressed;
    const std::size_t sizes = wide ? 16 : 8;
    auto crcAt = [&](std::size_t off) {
        return afterData.size() >= off + 4 && getLe32(afterData.data() + off) == central.crc;
    };
    const bool signed_ = afterData.size() >= 4 && getLe32(afterData.data()) == kDataDescriptorSignature;
    if (signed_ && crcAt(4) && afterData.size() >= 8 + sizes) return 8 + sizes;
    if (crcAt(0) && afterData.size() >= 4 + sizes) return 4 + sizes;
    return 0;  // nothing that looks like a descriptor: copy the member without one
}

std::uint64_t copiedMemberLength(const TWriterMember& central, const std::uint8_t localFixed[30],
                                 const std::string& localExtra, const std::string& afterData) {
    const std::uint64_t header = 30 + std::uint64_t(getLe16(localFixed + 26)) + getLe16(localFixed + 28);
    return header + central.compressedSize + dataDescriptorLength(central, hasZip64Block(localExtra), afterData);
}

}  // namespace zb::zip
