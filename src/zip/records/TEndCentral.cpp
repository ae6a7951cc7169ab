// Finding, reading and writing the end of the central directory.
#include "zip/records/TEndCentral.h"

#include <algorithm>
#include <vector>

#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

void TEndCentral::clear() {
    signature = kEndCentralSignature;
    thisDisk = centralStartDisk = 0;
    entriesThisDisk = totalEntries = 0;
    centralSize = centralOffset = 0;
    commentLength = 0;
    commentPosition = 0;
    modified = 0;
    endRecordPosition = 0;
    zip64 = false;
    zip64RecordPosition = 0;
    comment_.reset();
}

void TEndCentral::assign(const TEndCentral& other) {
    std::uint8_t keepModified = modified;
    *this = other;
    modified = keepModified;
}

void TEndCentral::setComment(std::optional<std::string> comment) {
    if (comment && comment->empty()) comment.reset();
    if (comment && comment->size() > 65535) comment->resize(65535);
    comment_ = std::move(comment);
    commentLength = comment_ ? std::uint16_t(comment_->size()) : 0;
}

bool TEndCentral::needsZip64() const {
    return entriesThisDisk > 0xFFFF || totalEntries > 0xFFFF || centralSize >= kZip64Marker32 ||
           centralOffset >= kZip64Marker32 || thisDisk > 0xFFFF || centralStartDisk > 0xFFFF;
}

void TEndCentral::write(TStream& stream) const {
    const bool big = needsZip64();
    if (big) {
        std::uint8_t z[kZip64EndSize];
        std::uint64_t at = std::uint64_t(stream.position());
        putU32(z, kZip64EndSignature);
        putU64(z + 4, kZip64EndSize - 12);
        putU16(z + 12, 45);
        putU16(z + 14, 45);
        putU32(z + 16, thisDisk);
        putU32(z + 20, centralStartDisk);
        putU64(z + 24, entriesThisDisk);
        putU64(z + 32, totalEntries);
        putU64(z + 40, centralSize);
        putU64(z + 48, centralOffset);
        stream.writeBuffer(z, sizeof z);
        std::uint8_t l[kZip64LocatorSize];
        putU32(l, kZip64LocatorSignature);
        putU32(l + 4, thisDisk);
        putU64(l + 8, at);
        putU32(l + 16, thisDisk + 1);
        stream.writeBuffer(l, sizeof l);
    }
    auto c16 = [&](std::uint64_t v) { return big && v >= 0xFFFF ? std::uint16_t(0xFFFF) : std::uint16_t(v); };
    auto c32 = [&](std::uint64_t v) { return big && v >= kZip64Marker32 ? kZip64Marker32 : std::uint32_t(v); };
    std::uint8_t r[kEndCentralSize];
    putU32(r, signature);
    putU16(r + 4, c16(thisDisk));
    putU16(r + 6, c16(centralStartDisk));
    putU16(r + 8, c16(entriesThisDisk));
    putU16(r + 10, c16(totalEntries));
    putU32(r + 12, c32(centralSize));
    putU32(r + 16, c32(centralOffset));
    putU16(r + 20, commentLength);
    stream.writeBuffer(r, sizeof r);
    if (commentLength != 0 && comment_) stream.writeBuffer(comment_->data(), commentLength);
}

bool TEndCentral::find(TStream& stream) {
    clear();
    const std::int64_t total = stream.size();
    if (total < std::int64_t(kEndCentralSize)) {
        if (total != 0) return false;
        return true;  // an empty file: an archive without members
    }
    const std::size_t span = std::size_t(std::min<std::int64_t>(total, kEndCentralSearchSize));
    std::vector<std::uint8_t> tail(span);
    stream.seek(total - std::int64_t(span), soFromBeginning);
    if (stream.read(tail.data(), span) != span) return false;

    for (std::size_t i = span - kEndCentralSize + 1; i-- > 0;) {
        if (tail[i] != 0x50 || getU32(&tail[i]) != kEndCentralSignature) continue;
        const std::uint8_t* r = &tail[i];
        thisDisk = getU16(r + 4);
        centralStartDisk = getU16(r + 6);
        entriesThisDisk = getU16(r + 8);
        totalEntries = getU16(r + 10);
        centralSize = getU32(r + 12);
        centralOffset = getU32(r + 16);
        commentLength = getU16(r + 20);
        endRecordPosition = std::uint64_t(total) - span + i;
        commentPosition = endRecordPosition + kEndCentralSize;

        // The ZIP64 locator stands right before the classic record.
        if (endRecordPosition >= kZip64LocatorSize) {
            std::uint8_t l[kZip64LocatorSize];
            stream.seek(std::int64_t(endRecordPosition - kZip64LocatorSize), soFromBeginning);
            if (stream.read(l, sizeof l) == sizeof l && getU32(l) == kZip64LocatorSignature) {
                // Where the locator says, or (with data in front of the archive) right
                // before the locator.
                std::uint64_t candidates[2] = {getU64(l + 8),
                                               endRecordPosition >= kZip64LocatorSize + kZip64EndSize
                                                   ? endRecordPosition - kZip64LocatorSize - kZip64EndSize
                                                   : ~0ull};
                for (std::uint64_t at : candidates) {
                    // (Compared without adding to `at`: a damaged locator may hold any
                    // 64-bit value, and the sum would wrap round.)
                    if (at == ~0ull || at > endRecordPosition || endRecordPosition - at < kZip64EndSize) continue;
                    std::uint8_t z[kZip64EndSize];
                    stream.seek(std::int64_t(at), soFromBeginning);
                    if (stream.read(z, sizeof z) != sizeof z || getU32(z) != kZip64EndSignature) continue;
                    thisDisk = getU32(z + 16);
                    centralStartDisk = getU32(z + 20);
                    entriesThisDisk = getU64(z + 24);
                    totalEntries = getU64(z + 32);
                    centralSize = getU64(z + 40);
                    centralOffset = getU64(z + 48);
                    zip64 = true;
                    zip64RecordPosition = at;
                    break;
                }
            }
        }
        return true;
    }
    return false;
}

}  // namespace zb::zip
