// The decoders' input side.
#include "zip/codec/MemberInput.h"

#include <algorithm>
#include <cstring>

#include "zip/ZipErrors.h"

namespace zb::zip {

MemberInput::MemberInput(TStream& archive, std::uint64_t compressedSize, ZipCrypto* cipher,
                         std::function<void()> beforeBlock)
    : archive_(archive), remaining_(compressedSize), cipher_(cipher), beforeBlock_(std::move(beforeBlock)) {}

std::size_t MemberInput::fetch(std::uint8_t* dest, std::size_t max) {
    if (remaining_ == 0) return 0;
    if (beforeBlock_) beforeBlock_();
    std::size_t want = std::size_t(std::min<std::uint64_t>({remaining_, kDecodeBlockSize, max}));
    std::size_t got = archive_.read(dest, want);
    remaining_ -= want;
    if (got < want) throw EFatalUnzipError();
    if (cipher_) cipher_->decrypt(dest, got);
    return got;
}

std::size_t MemberInput::read(std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (pos_ < len_) {
            std::size_t n = std::min(size - done, len_ - pos_);
            std::memcpy(buffer + done, block_.get() + pos_, n);
            pos_ += n;
            done += n;
            continue;
        }
        if (remaining_ == 0) break;
        if (size - done >= kDecodeBlockSize) {
            // A whole block is wanted: read it straight into the caller's buffer.
            done += fetch(buffer + done, size - done);
            continue;
        }
        if (!block_) block_ = std::make_unique_for_overwrite<std::uint8_t[]>(kDecodeBlockSize);
        len_ = fetch(block_.get(), kDecodeBlockSize);
        pos_ = 0;
    }
    return done;
}

}  // namespace zb::zip
