// Reading across the parts of a split archive.
#include "zip/split/SplitSetStream.h"

#include "zip/ZipErrors.h"

namespace zb::zip {

SplitSetStream::SplitSetStream(PartPath partPath) : partPath_(std::move(partPath)) {}

void SplitSetStream::openPart(std::uint32_t disk) {
    if (part_ && current_ == disk) return;
    part_.reset();
    std::string path = partPath_(disk);
    part_ = std::make_unique<TLFNFileStream>(path, TFileMode::OpenRead, kZipBufferSize);
    sizes_[disk] = part_->size();
    current_ = disk;
    offset_ = 0;
}

std::uint64_t SplitSetStream::partSize(std::uint32_t disk) {
    if (!sizes_.count(disk)) {
        // Learning a part's size means opening it; come back to where we were.
        const bool hadPart = part_ != nullptr;
        const std::uint32_t wasDisk = current_;
        const std::uint64_t wasOffset = offset_;
        openPart(disk);
        if (hadPart && wasDisk != disk) {
            openPart(wasDisk);
            offset_ = wasOffset;
            part_->seek(std::int64_t(offset_), soFromBeginning);
        }
    }
    return std::uint64_t(sizes_[disk]);
}

std::uint64_t SplitSetStream::startOf(std::uint32_t disk) {
    std::uint64_t start = 0;
    for (std::uint32_t d = base_; d < disk; ++d) start += partSize(d);
    return start;
}

void SplitSetStream::setBasePart(std::uint32_t disk) {
    base_ = disk;
    openPart(disk);
    offset_ = 0;
    part_->seek(0, soFromBeginning);
}

void SplitSetStream::closePart() { part_.reset(); }

std::size_t SplitSetStream::read(void* buffer, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    if (!part_) {
        const std::uint64_t at = offset_;
        openPart(current_);
        offset_ = at;
        part_->seek(std::int64_t(offset_), soFromBeginning);
    }
    while (done < size) {
        if (offset_ < std::uint64_t(sizes_[current_])) {
            std::size_t got = part_->read(out + done, size - done);
            offset_ += got;
            done += got;
            if (got == 0) break;  // the part is shorter than it was when opened
            continue;
        }
        // The part is used up: the data goes on in the next one.
        openPart(current_ + 1);
    }
    return done;
}

std::size_t SplitSetStream::write(const void*, std::size_t) { throw EStreamError("Stream write error"); }

void SplitSetStream::truncate() { throw EStreamError("Stream write error"); }

std::int64_t SplitSetStream::seek(std::int64_t offset, int origin) {
    std::int64_t target;
    switch (origin) {
        case soFromBeginning: target = offset; break;
        case soFromCurrent: target = std::int64_t(startOf(current_) + offset_) + offset; break;
        case soFromEnd: target = std::int64_t(startOf(current_) + partSize(current_)) + offset; break;
        default: throwInvalidSeekOrigin(origin);
    }
    if (target < 0) throw EStreamError("Stream seek error");
    std::uint64_t t = std::uint64_t(target);
    std::uint32_t disk = base_;
    std::uint64_t start = 0;
    // The part that holds the position; its end counts as in it, so that reaching the
    // exact end of a part does not yet ask for the next one.
    while (t > start + partSize(disk)) {
        start += partSize(disk);
        ++disk;
    }
    openPart(disk);
    offset_ = t - start;
    part_->seek(std::int64_t(offset_), soFromBeginning);
    return target;
}

std::int64_t SplitSetStream::size() { return std::int64_t(startOf(current_) + partSize(current_)); }

}  // namespace zb::zip
