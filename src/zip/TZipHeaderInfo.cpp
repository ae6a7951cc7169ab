// One member's fields filled from and written as its records, through the record
// codecs.
#include "zip/TZipHeaderInfo.h"

#include <algorithm>

#include "zip/records/CentralHeader.h"
#include "zip/records/DosDateTime.h"
#include "zip/records/ExtendedTimestamp.h"
#include "zip/records/ExtraField.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/UnicodePathExtra.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipNames.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

void TZipHeaderInfo::clear() {
    versionMadeBy = 20;
    versionNeeded = 20;
    flags = 0;
    compressionMethod = 8;
    dosDateTime = 0;
    crc32 = 0xFFFFFFFF;
    compressedSize = 0;
    uncompressedSize = 0;
    fileNameLength = 0;
    extraFieldLength = 0;
    localExtraFieldLength = 0;
    fileCommentLength = 0;
    diskNumberStart = 0;
    internalAttributes = 1;
    externalAttributes = 0x20;
    relativeOffset = 0;
    centralOffset = 0;
    extractMark = dropMark = userMark = 0;
    modTimeUtc.reset();
    fileName_.clear();
    directory_.clear();
    fileComment_.reset();
}

void TZipHeaderInfo::recomputeNameLength() {
    fileNameLength = std::uint16_t(encodeName(storedName(), versionMadeBy).bytes.size());
}

void TZipHeaderInfo::setFileName(std::string name) {
    fileName_ = std::move(name);
    recomputeNameLength();
}

void TZipHeaderInfo::setDirectory(std::string directory) {
    for (char& c : directory)
        if (c == '\\') c = '/';
    if (!directory.empty() && directory.back() != '/') directory.push_back('/');
    directory_ = std::move(directory);
    recomputeNameLength();
}

void TZipHeaderInfo::setStoredName(std::string_view name) {
    splitName(nameRoundTrip(name), directory_, fileName_);
    recomputeNameLength();
}

void TZipHeaderInfo::setFileComment(std::optional<std::string> comment) {
    if (comment && comment->empty()) comment.reset();
    fileComment_ = std::move(comment);
    fileCommentLength = fileComment_ ? std::uint16_t(fileComment_->size()) : 0;
}

bool TZipHeaderInfo::needsZip64() const {
    return compressedSize >= kZip64Marker32 || uncompressedSize >= kZip64Marker32 || relativeOffset >= kZip64Marker32;
}

void TZipHeaderInfo::fillFromCentral(const CentralHeader& c) {
    const Zip64Extra wide = c.zip64();
    versionMadeBy = c.versionMadeBy;
    versionNeeded = c.versionNeeded;
    flags = c.flags;
    compressionMethod = c.method;
    dosDateTime = normalizeDosDateTime(c.dosTime);
    crc32 = c.crc;
    compressedSize = wide.compressedSize.value_or(c.compressedSize);
    uncompressedSize = wide.uncompressedSize.value_or(c.uncompressedSize);
    fileNameLength = c.nameLength;
    extraFieldLength = c.extraLength;
    fileCommentLength = c.commentLength;
    diskNumberStart = wide.diskStart.value_or(c.diskStart);
    internalAttributes = c.internalAttributes;
    externalAttributes = c.externalAttributes;
    relativeOffset = wide.localOffset.value_or(c.localOffset);
    localExtraFieldLength = 0;
    centralOffset = 0;
    extractMark = dropMark = userMark = 0;
    fileComment_.reset();
    modTimeUtc = decodeExtendedTimestamp(c.extra);
    // A Unicode path field stands for a name not flagged as UTF-8.
    std::optional<std::string> unicode;
    if (!(flags & kFlagUtf8)) unicode = decodeUnicodePath(c.extra, c.name, backslashIsSeparator(versionMadeBy));
    splitName(unicode ? *unicode : decodeCentralName(c.name, flags, versionMadeBy), directory_, fileName_);
}

void TZipHeaderInfo::fillFromLocal(const LocalHeader& l) {
    const Zip64Extra wide = Zip64Extra::decodeLocal(
        findExtraBlock(l.extra, kExtraZip64), l.uncompressedSize == kZip64Marker32, l.compressedSize == kZip64Marker32);
    versionMadeBy = 0;
    versionNeeded = l.versionNeeded;
    flags = l.flags;
    compressionMethod = l.method;
    dosDateTime = normalizeDosDateTime(l.dosTime);
    crc32 = l.crc;
    compressedSize = wide.compressedSize.value_or(l.compressedSize);
    uncompressedSize = wide.uncompressedSize.value_or(l.uncompressedSize);
    fileNameLength = l.nameLength;
    localExtraFieldLength = l.extraLength;
    extraFieldLength = 0;
    fileCommentLength = 0;
    diskNumberStart = 0;
    internalAttributes = 0;
    externalAttributes = 0;
    relativeOffset = 0;
    centralOffset = 0;
    extractMark = dropMark = userMark = 0;
    fileComment_.reset();
    modTimeUtc = decodeExtendedTimestamp(l.extra);
    std::optional<std::string> unicode;
    if (!(flags & kFlagUtf8)) unicode = decodeUnicodePath(l.extra, l.name, true);
    splitName(unicode ? *unicode : decodeLocalName(l.name, flags), directory_, fileName_);
}

void TZipHeaderInfo::writeCentral(TStream& stream) {
    EncodedName name = encodeName(storedName(), versionMadeBy);
    flags = std::uint16_t(name.utf8 ? flags | kFlagUtf8 : flags & ~kFlagUtf8);
    fileNameLength = std::uint16_t(name.bytes.size());

    CentralHeader c;
    std::string zip64 = c.setWideValues(uncompressedSize, compressedSize, relativeOffset, diskNumberStart);
    c.versionMadeBy = versionMadeBy;
    c.versionNeeded = zip64.empty() ? versionNeeded : std::max(versionNeeded, kZip64Version);
    c.flags = flags;
    c.method = compressionMethod;
    c.dosTime = dosDateTime;
    c.crc = crc32;
    c.internalAttributes = internalAttributes;
    c.externalAttributes = externalAttributes;
    c.setParts(std::move(name.bytes), std::move(zip64), fileComment_ ? fileComment_->substr(0, fileCommentLength) : "");
    const std::string bytes = c.encode();
    stream.writeBuffer(bytes.data(), bytes.size());
}

void TZipHeaderInfo::writeLocal(TStream& stream, bool zip64) {
    relativeOffset = std::uint64_t(stream.position());
    EncodedName name = encodeName(storedName(), versionMadeBy);
    flags = std::uint16_t(name.utf8 ? flags | kFlagUtf8 : flags & ~kFlagUtf8);
    fileNameLength = std::uint16_t(name.bytes.size());

    const bool big = zip64 || compressedSize >= kZip64Marker32 || uncompressedSize >= kZip64Marker32;
    Zip64Extra sizes;
    if (big) {
        sizes.uncompressedSize = uncompressedSize;
        sizes.compressedSize = compressedSize;
    }
    LocalHeader l;
    l.versionNeeded = big ? std::max(versionNeeded, kZip64Version) : versionNeeded;
    l.flags = flags;
    l.method = compressionMethod;
    l.dosTime = dosDateTime;
    l.crc = crc32;
    l.compressedSize = big ? kZip64Marker32 : std::uint32_t(compressedSize);
    l.uncompressedSize = big ? kZip64Marker32 : std::uint32_t(uncompressedSize);
    l.setNameAndExtra(std::move(name.bytes), sizes.encode());
    // The old local extra field, which the caller writes behind this, is counted too.
    l.extraLength = std::uint16_t(localExtraFieldLength + l.extra.size());
    const std::string bytes = l.encode();
    stream.writeBuffer(bytes.data(), bytes.size());
}

bool TZipHeaderInfo::readCentral(TStream& stream, const NextDiskFn& nextDisk) {
    const std::int64_t start = stream.position();
    auto failBack = [&] {
        stream.seek(start, soFromBeginning);
        return false;
    };
    std::uint8_t raw[CentralHeader::kFixedSize];
    TStream* s = &stream;
    std::size_t got = stream.read(raw, sizeof raw);
    if (got < sizeof raw && nextDisk && (got == 0 || (got >= 4 && getU32(raw) == kCentralHeaderSignature))) {
        TStream* next = nextDisk();
        if (!next) return failBack();
        s = next;
        got += s->read(raw + got, sizeof raw - got);
    }
    CentralHeader c;
    if (got < sizeof raw || !c.decodeFixed(raw)) return failBack();
    c.name.assign(c.nameLength, '\0');
    c.extra.assign(c.extraLength, '\0');
    if (s->read(c.name.data(), c.name.size()) != c.name.size()) return failBack();
    if (s->read(c.extra.data(), c.extra.size()) != c.extra.size()) return failBack();
    // The comment is read when it is asked for.
    if (c.commentLength) s->seek(c.commentLength, soFromCurrent);
    fillFromCentral(c);
    centralOffset = std::uint64_t(start);
    return true;
}

bool TZipHeaderInfo::readLocal(TStream& stream) {
    const std::int64_t start = stream.position();
    LocalHeader l;
    if (!l.read(stream)) return false;
    fillFromLocal(l);
    relativeOffset = std::uint64_t(start);
    return true;
}

}  // namespace zb::zip
