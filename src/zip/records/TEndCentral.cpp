// Finding, reading and writing the end of the central directory; the ZIP64 end record
// and its locator have codecs of their own.
#include "zip/records/TEndCentral.h"

#include <algorithm>
#include <vector>

#include "zip/records/Zip64EndRecord.h"
#include "zip/records/Zip64Locator.h"
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
    // A classic count or part number of all ones already means "look in the ZIP64
    // record", so the value itself needs that record too.
    return entriesThisDisk >= kZip64Marker16 || totalEntries >= kZip64Marker16 || centralSize >= kZip64Marker32 ||
           centralOffset >= kZip64Marker32 || thisDisk >= kZip64Marker16 || centralStartDisk >= kZip64Marker16;
}

std::string TEndCentral::encode(std::uint64_t at) const {
    std::string out;
    if (needsZip64()) {
        Zip64EndRecord z;
        z.thisDisk = thisDisk;
        z.centralStartDisk = centralStartDisk;
        z.entriesThisDisk = entriesThisDisk;
        z.totalEntries = totalEntries;
        z.centralSize = centralSize;
        z.centralOffset = centralOffset;
        out += z.encode();
        Zip64Locator l;
        l.zip64Disk = thisDisk;
        l.zip64Offset = at;
        l.totalDisks = thisDisk + 1;
        out += l.encode();
    }
    auto c16 = [](std::uint64_t v) { return v >= kZip64Marker16 ? kZip64Marker16 : std::uint16_t(v); };
    auto c32 = [](std::uint64_t v) { return v >= kZip64Marker32 ? kZip64Marker32 : std::uint32_t(v); };
    appendU32(out, signature);
    appendU16(out, c16(thisDisk));
    appendU16(out, c16(centralStartDisk));
    appendU16(out, c16(entriesThisDisk));
    appendU16(out, c16(totalEntries));
    appendU32(out, c32(centralSize));
    appendU32(out, c32(centralOffset));
    const std::string_view text = comment_ ? std::string_view(*comment_).substr(0, commentLength) : "";
    appendU16(out, std::uint16_t(text.size()));
    out += text;
    return out;
}

void TEndCentral::write(TStream& stream) const {
    const std::string bytes = encode(std::uint64_t(stream.position()));
    stream.writeBuffer(bytes.data(), bytes.size());
}

void TEndCentral::decodeClassic(const std::uint8_t* raw) {
    thisDisk = getU16(raw + 4);
    centralStartDisk = getU16(raw + 6);
    entriesThisDisk = getU16(raw + 8);
    totalEntries = getU16(raw + 10);
    centralSize = getU32(raw + 12);
    centralOffset = getU32(raw + 16);
    commentLength = getU16(raw + 20);
}

void TEndCentral::readZip64(TStream& stream) {
    if (endRecordPosition < Zip64Locator::kSize) return;
    std::uint8_t raw[Zip64Locator::kSize];
    Zip64Locator locator;
    stream.seek(std::int64_t(endRecordPosition - Zip64Locator::kSize), soFromBeginning);
    if (stream.read(raw, sizeof raw) != sizeof raw || !locator.decode(raw)) return;
    // Where the locator says, or (with data in front of the archive) right before the
    // locator.
    constexpr std::uint64_t kBefore = Zip64Locator::kSize + Zip64EndRecord::kSize;
    const std::uint64_t candidates[2] = {locator.zip64Offset,
                                         endRecordPosition >= kBefore ? endRecordPosition - kBefore : ~0ull};
    for (std::uint64_t at : candidates) {
        // (Compared without adding to `at`: a damaged locator may hold any 64-bit value,
        // and the sum would wrap round.)
        if (at == ~0ull || at > endRecordPosition || endRecordPosition - at < Zip64EndRecord::kSize) continue;
        std::uint8_t z[Zip64EndRecord::kSize];
        Zip64EndRecord record;
        stream.seek(std::int64_t(at), soFromBeginning);
        if (stream.read(z, sizeof z) != sizeof z || !record.decode(z)) continue;
        thisDisk = record.thisDisk;
        centralStartDisk = record.centralStartDisk;
        entriesThisDisk = record.entriesThisDisk;
        totalEntries = record.totalEntries;
        centralSize = record.centralSize;
        centralOffset = record.centralOffset;
        zip64 = true;
        zip64RecordPosition = at;
        return;
    }
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
        decodeClassic(&tail[i]);
        endRecordPosition = std::uint64_t(total) - span + i;
        commentPosition = endRecordPosition + kEndCentralSize;
        readZip64(stream);
        return true;
    }
    return false;
}

}  // namespace zb::zip
