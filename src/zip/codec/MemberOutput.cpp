// The decoders' output side.
#include "zip/codec/MemberOutput.h"

#include <cstring>

#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"
#include "zip/codec/MemberInput.h"

namespace zb::zip {

MemberOutput::MemberOutput(std::uint64_t uncompressedSize, Sink sink, Progress progress)
    : limit_(uncompressedSize), sink_(std::move(sink)), progress_(std::move(progress)), crc_(kCrc32Preset) {}

void MemberOutput::flushBlock(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    if (written_ + size > limit_) throw EBiggerThanUncompressed();
    sink_(data, size);
    crc_ = crc32Update(crc_, data, size);
    written_ += size;
    if (progress_) progress_(written_, size);
}

void MemberOutput::write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        if (len_ == 0 && size >= kDecodeBlockSize) {
            flushBlock(data, kDecodeBlockSize);
            data += kDecodeBlockSize;
            size -= kDecodeBlockSize;
            continue;
        }
        if (!buf_) buf_ = std::make_unique_for_overwrite<std::uint8_t[]>(kDecodeBlockSize);
        std::size_t n = std::min(size, kDecodeBlockSize - len_);
        std::memcpy(buf_.get() + len_, data, n);
        len_ += n;
        data += n;
        size -= n;
        if (len_ == kDecodeBlockSize) {
            // Reset first: a raising flush must not leave the block to be written again.
            len_ = 0;
            flushBlock(buf_.get(), kDecodeBlockSize);
        }
    }
}

void MemberOutput::finish() {
    std::size_t n = len_;
    len_ = 0;
    flushBlock(buf_.get(), n);
}

MemberOutput::Sink streamSink(TStream& target) {
    return [&target](const std::uint8_t* data, std::size_t size) {
        if (target.write(data, size) != size) throw ECantWriteUCF();
    };
}

}  // namespace zb::zip
