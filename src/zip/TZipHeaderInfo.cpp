// Reading and writing one member's records.
#include "zip/TZipHeaderInfo.h"

#include <cstring>

#include "zip/checksum/Crc32.h"
#include "zip/records/DosDateTime.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipNames.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {

// The data of the first extra-field block with `id`, or empty.
std::string_view findExtra(std::string_view extra, std::uint16_t id) {
    std::size_t i = 0;
    while (i + 4 <= extra.size()) {
        auto p = reinterpret_cast<const std::uint8_t*>(extra.data() + i);
        std::uint16_t blockId = getU16(p);
        std::uint16_t len = getU16(p + 2);
        if (i + 4 + len > extra.size()) break;
        if (blockId == id) return extra.substr(i + 4, len);
        i += 4 + std::size_t(len);
    }
    return {};
}

// The modification time of an extended-timestamp block, when its flag says it is there.
std::optional<std::int64_t> timestampExtra(std::string_view extra) {
    std::string_view block = findExtra(extra, kExtraTimestamp);
    if (block.size() < 5 || !(block[0] & 1)) return std::nullopt;
    auto p = reinterpret_cast<const std::uint8_t*>(block.data() + 1);
    return std::int64_t(std::int32_t(getU32(p)));
}

// A Unicode path block whose check sum matches the header's own name replaces it.
bool unicodePath(std::string_view extra, std::string_view rawName, std::string& name, bool backslashSeparates) {
    std::string_view block = findExtra(extra, kExtraUnicodePath);
    if (block.size() < 5 || block[0] != 1) return false;
    auto p = reinterpret_cast<const std::uint8_t*>(block.data());
    if (getU32(p + 1) != crc32(rawName.data(), rawName.size())) return false;
    name.assign(block.substr(5));
    if (backslashSeparates)
        for (char& c : name)
            if (c == '\\') c = '/';
    return true;
}

bool readExact(TStream& s, void* buf, std::size_t n) { return s.read(buf, n) == n; }

}  // namespace

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
    return compressedSize >= kZip64Marker32 || uncompressedSize >= kZip64Marker32 ||
           relativeOffset >= kZip64Marker32;
}

void TZipHeaderInfo::fillFromCentral(const std::uint8_t raw[46], std::string_view rawName,
                                     std::string_view extra) {
    versionMadeBy = getU16(raw + 4);
    versionNeeded = getU16(raw + 6);
    flags = getU16(raw + 8);
    compressionMethod = getU16(raw + 10);
    dosDateTime = normalizeDosDateTime(getU32(raw + 12));
    crc32 = getU32(raw + 16);
    compressedSize = getU32(raw + 20);
    uncompressedSize = getU32(raw + 24);
    fileNameLength = getU16(raw + 28);
    extraFieldLength = getU16(raw + 30);
    fileCommentLength = getU16(raw + 32);
    diskNumberStart = getU16(raw + 34);
    internalAttributes = getU16(raw + 36);
    externalAttributes = getU32(raw + 38);
    relativeOffset = getU32(raw + 42);
    localExtraFieldLength = 0;
    centralOffset = 0;
    extractMark = dropMark = userMark = 0;
    fileComment_.reset();

    // ZIP64: each field that holds the marker is in the extra block, in this order.
    std::string_view z = findExtra(extra, kExtraZip64);
    auto zp = reinterpret_cast<const std::uint8_t*>(z.data());
    std::size_t at = 0;
    auto take = [&](std::uint64_t& field) {
        if (at + 8 <= z.size()) {
            field = getU64(zp + at);
            at += 8;
        }
    };
    if (uncompressedSize == kZip64Marker32) take(uncompressedSize);
    if (compressedSize == kZip64Marker32) take(compressedSize);
    if (relativeOffset == kZip64Marker32) take(relativeOffset);
    if (diskNumberStart == kZip64Marker16 && at + 4 <= z.size()) diskNumberStart = getU32(zp + at);

    std::string name;
    modTimeUtc = timestampExtra(extra);
    if (!(flags & kFlagUtf8) && unicodePath(extra, rawName, name, backslashIsSeparator(versionMadeBy))) {
        // The Unicode path stands for the name; it is UTF-8 whatever the host.
    } else {
        name = decodeCentralName(rawName, flags, versionMadeBy);
    }
    splitName(name, directory_, fileName_);
}

void TZipHeaderInfo::fillFromLocal(const std::uint8_t raw[30], std::string_view rawName,
                                   std::string_view extra) {
    versionMadeBy = 0;
    versionNeeded = getU16(raw + 4);
    flags = getU16(raw + 6);
    compressionMethod = getU16(raw + 8);
    dosDateTime = normalizeDosDateTime(getU32(raw + 10));
    crc32 = getU32(raw + 14);
    compressedSize = getU32(raw + 18);
    uncompressedSize = getU32(raw + 22);
    fileNameLength = getU16(raw + 26);
    localExtraFieldLength = getU16(raw + 28);
    extraFieldLength = 0;
    fileCommentLength = 0;
    diskNumberStart = 0;
    internalAttributes = 0;
    externalAttributes = 0;
    relativeOffset = 0;
    centralOffset = 0;
    extractMark = dropMark = userMark = 0;
    fileComment_.reset();

    std::string_view z = findExtra(extra, kExtraZip64);
    auto zp = reinterpret_cast<const std::uint8_t*>(z.data());
    if (z.size() >= 16) {
        // A local ZIP64 block carries both sizes.
        if (uncompressedSize == kZip64Marker32) uncompressedSize = getU64(zp);
        if (compressedSize == kZip64Marker32) compressedSize = getU64(zp + 8);
    } else if (z.size() >= 8) {
        if (uncompressedSize == kZip64Marker32) uncompressedSize = getU64(zp);
        else if (compressedSize == kZip64Marker32) compressedSize = getU64(zp);
    }

    std::string name;
    modTimeUtc = timestampExtra(extra);
    if (!(flags & kFlagUtf8) && unicodePath(extra, rawName, name, true)) {
    } else {
        name = decodeLocalName(rawName, flags);
    }
    splitName(name, directory_, fileName_);
}

void TZipHeaderInfo::writeCentral(TStream& stream) {
    EncodedName name = encodeName(storedName(), versionMadeBy);
    flags = std::uint16_t(name.utf8 ? flags | kFlagUtf8 : flags & ~kFlagUtf8);
    fileNameLength = std::uint16_t(name.bytes.size());

    std::string zip64;
    if (needsZip64()) {
        if (uncompressedSize >= kZip64Marker32) appendU64(zip64, uncompressedSize);
        if (compressedSize >= kZip64Marker32) appendU64(zip64, compressedSize);
        if (relativeOffset >= kZip64Marker32) appendU64(zip64, relativeOffset);
        std::string block;
        appendU16(block, kExtraZip64);
        appendU16(block, std::uint16_t(zip64.size()));
        zip64 = block + zip64;
    }
    auto clip = [](std::uint64_t v) { return v >= kZip64Marker32 ? kZip64Marker32 : std::uint32_t(v); };

    std::uint8_t raw[46];
    putU32(raw, kCentralHeaderSignature);
    putU16(raw + 4, versionMadeBy);
    putU16(raw + 6, zip64.empty() ? versionNeeded : std::max<std::uint16_t>(versionNeeded, 45));
    putU16(raw + 8, flags);
    putU16(raw + 10, compressionMethod);
    putU32(raw + 12, dosDateTime);
    putU32(raw + 16, crc32);
    putU32(raw + 20, clip(compressedSize));
    putU32(raw + 24, clip(uncompressedSize));
    putU16(raw + 28, fileNameLength);
    putU16(raw + 30, std::uint16_t(zip64.size()));
    putU16(raw + 32, fileComment_ ? fileCommentLength : 0);
    putU16(raw + 34, std::uint16_t(diskNumberStart));
    putU16(raw + 36, internalAttributes);
    putU32(raw + 38, externalAttributes);
    putU32(raw + 42, clip(relativeOffset));
    stream.writeBuffer(raw, sizeof raw);
    stream.writeBuffer(name.bytes.data(), name.bytes.size());
    if (!zip64.empty()) stream.writeBuffer(zip64.data(), zip64.size());
    if (fileCommentLength != 0 && fileComment_) stream.writeBuffer(fileComment_->data(), fileCommentLength);
}

void TZipHeaderInfo::writeLocal(TStream& stream, bool zip64) {
    relativeOffset = std::uint64_t(stream.position());
    EncodedName name = encodeName(storedName(), versionMadeBy);
    flags = std::uint16_t(name.utf8 ? flags | kFlagUtf8 : flags & ~kFlagUtf8);
    fileNameLength = std::uint16_t(name.bytes.size());

    const bool big = zip64 || compressedSize >= kZip64Marker32 || uncompressedSize >= kZip64Marker32;
    std::string block;
    if (big) {
        appendU16(block, kExtraZip64);
        appendU16(block, 16);
        appendU64(block, uncompressedSize);
        appendU64(block, compressedSize);
    }
    std::uint8_t raw[30];
    putU32(raw, kLocalHeaderSignature);
    putU16(raw + 4, big ? std::max<std::uint16_t>(versionNeeded, 45) : versionNeeded);
    putU16(raw + 6, flags);
    putU16(raw + 8, compressionMethod);
    putU32(raw + 10, dosDateTime);
    putU32(raw + 14, crc32);
    putU32(raw + 18, big ? kZip64Marker32 : std::uint32_t(compressedSize));
    putU32(raw + 22, big ? kZip64Marker32 : std::uint32_t(uncompressedSize));
    putU16(raw + 26, fileNameLength);
    putU16(raw + 28, std::uint16_t(localExtraFieldLength + block.size()));
    stream.writeBuffer(raw, sizeof raw);
    stream.writeBuffer(name.bytes.data(), name.bytes.size());
    if (!block.empty()) stream.writeBuffer(block.data(), block.size());
}

bool TZipHeaderInfo::readCentral(TStream& stream, const NextDiskFn& nextDisk) {
    const std::int64_t start = stream.position();
    auto failBack = [&] {
        stream.seek(start, soFromBeginning);
        return false;
    };
    std::uint8_t raw[46];
    TStream* s = &stream;
    std::size_t got = stream.read(raw, sizeof raw);
    if (got < sizeof raw && nextDisk && (got == 0 || (got >= 4 && getU32(raw) == kCentralHeaderSignature))) {
        TStream* next = nextDisk();
        if (!next) return failBack();
        s = next;
        got += s->read(raw + got, sizeof raw - got);
    }
    if (got < sizeof raw || getU32(raw) != kCentralHeaderSignature) return failBack();
    std::string rawName(getU16(raw + 28), '\0');
    std::string extra(getU16(raw + 30), '\0');
    if (!readExact(*s, rawName.data(), rawName.size())) return failBack();
    if (!readExact(*s, extra.data(), extra.size())) return failBack();
    const std::uint16_t commentLen = getU16(raw + 32);
    if (commentLen) s->seek(commentLen, soFromCurrent);
    fillFromCentral(raw, rawName, extra);
    centralOffset = std::uint64_t(start);
    return true;
}

bool TZipHeaderInfo::readLocal(TStream& stream) {
    const std::int64_t start = stream.position();
    auto failBack = [&] {
        stream.seek(start, soFromBeginning);
        return false;
    };
    std::uint8_t raw[30];
    if (!readExact(stream, raw, sizeof raw) || getU32(raw) != kLocalHeaderSignature) return failBack();
    std::string rawName(getU16(raw + 26), '\0');
    std::string extra(getU16(raw + 28), '\0');
    if (!readExact(stream, rawName.data(), rawName.size())) return failBack();
    if (!readExact(stream, extra.data(), extra.size())) return failBack();
    fillFromLocal(raw, rawName, extra);
    relativeOffset = std::uint64_t(start);
    return true;
}

}  // namespace zb::zip
