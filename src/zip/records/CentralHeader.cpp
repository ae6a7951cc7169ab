// The bytes of a central header.
#include "zip/records/CentralHeader.h"

#include "zip/records/ExtraField.h"
#include "zip/records/HeaderCommonFields.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

bool CentralHeader::decodeFixed(const std::uint8_t* raw) {
    if (getU32(raw) != kCentralHeaderSignature) return false;
    versionMadeBy = getU16(raw + 4);
    decodeHeaderCommonFields(*this, raw + 6);
    commentLength = getU16(raw + 32);
    diskStart = getU16(raw + 34);
    internalAttributes = getU16(raw + 36);
    externalAttributes = getU32(raw + 38);
    localOffset = getU32(raw + 42);
    return true;
}

std::optional<CentralHeader> CentralHeader::decode(std::string_view bytes) {
    CentralHeader h;
    if (bytes.size() < kFixedSize || !h.decodeFixed(reinterpret_cast<const std::uint8_t*>(bytes.data())))
        return std::nullopt;
    if (bytes.size() < h.size()) return std::nullopt;
    h.name = bytes.substr(kFixedSize, h.nameLength);
    h.extra = bytes.substr(kFixedSize + h.nameLength, h.extraLength);
    h.comment = bytes.substr(kFixedSize + h.nameLength + h.extraLength, h.commentLength);
    return h;
}

void CentralHeader::setParts(std::string nameBytes, std::string extraBytes, std::string commentBytes) {
    name = std::move(nameBytes);
    extra = std::move(extraBytes);
    comment = std::move(commentBytes);
    nameLength = std::uint16_t(name.size());
    extraLength = std::uint16_t(extra.size());
    commentLength = std::uint16_t(comment.size());
}

std::string CentralHeader::encode() const {
    std::string out;
    out.reserve(kFixedSize + name.size() + extra.size() + comment.size());
    appendU32(out, kCentralHeaderSignature);
    appendU16(out, versionMadeBy);
    appendHeaderCommonFields(out, *this);
    appendU16(out, commentLength);
    appendU16(out, diskStart);
    appendU16(out, internalAttributes);
    appendU32(out, externalAttributes);
    appendU32(out, localOffset);
    out += name;
    out += extra;
    out += comment;
    return out;
}

Zip64Extra CentralHeader::zip64() const {
    return Zip64Extra::decodeCentral(findExtraBlock(extra, kExtraZip64), uncompressedSize == kZip64Marker32,
                                     compressedSize == kZip64Marker32, localOffset == kZip64Marker32,
                                     diskStart == kZip64Marker16);
}

std::string CentralHeader::setWideValues(std::uint64_t uncompressed, std::uint64_t compressed, std::uint64_t offset,
                                         std::uint32_t disk, bool keepUncompressed, bool keepCompressed) {
    Zip64Extra z;
    if (uncompressed >= kZip64Marker32 || keepUncompressed) z.uncompressedSize = uncompressed;
    if (compressed >= kZip64Marker32 || keepCompressed) z.compressedSize = compressed;
    if (offset >= kZip64Marker32) z.localOffset = offset;
    if (disk >= kZip64Marker16) z.diskStart = disk;
    uncompressedSize = z.uncompressedSize ? kZip64Marker32 : std::uint32_t(uncompressed);
    compressedSize = z.compressedSize ? kZip64Marker32 : std::uint32_t(compressed);
    localOffset = z.localOffset ? kZip64Marker32 : std::uint32_t(offset);
    diskStart = z.diskStart ? kZip64Marker16 : std::uint16_t(disk);
    return z.encode();
}

}  // namespace zb::zip
