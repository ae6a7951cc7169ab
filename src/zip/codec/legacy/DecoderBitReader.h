// Bit input for the older decompressors (unshrink, unreduce, explode): bits are taken
// lowest first from the member's compressed bytes, read in large blocks. Past the end
// of the data the reader hands out zero bits but counts them, so a decoder can tell
// "the data ended here" from "the data is malformed" and never runs on forever.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

class DecoderBitReader {
public:
    explicit DecoderBitReader(DecodeInput& in, std::uint64_t compressedSize = 0) : in_(in) {
        cap_ = kMaxBuffer;
        if (compressedSize > 0 && compressedSize < kMaxBuffer)
            cap_ = std::max<std::size_t>(std::size_t(compressedSize), 64);
        buf_ = std::make_unique_for_overwrite<std::uint8_t[]>(cap_);
    }

    // The next n bits (n <= 32) without using them.
    std::uint32_t peek(unsigned n) {
        if (bitsleft_ < n) refill();
        return std::uint32_t(bitbuf_ & ((std::uint64_t(1) << n) - 1));
    }
    void skip(unsigned n) {
        bitbuf_ >>= n;
        bitsleft_ -= n;
    }
    std::uint32_t bits(unsigned n) {
        const std::uint32_t v = peek(n);
        skip(n);
        return v;
    }
    // True when at least n more bits of real data remain.
    bool has(unsigned n) {
        if (bitsleft_ < n) refill();
        return bitsleft_ >= padBits_ + n;
    }
    // True once a bit past the end of the data has been used.
    bool overrun() const { return padBits_ > bitsleft_; }

private:
    static constexpr std::size_t kMaxBuffer = 32 * 1024;

    // Tops the bit buffer up to at least 33 bits, with zero bits past the end.
    void refill() {
        while (bitsleft_ <= 32) {
            if (pos_ == end_ && !done_) {
                pos_ = 0;
                end_ = in_.read(buf_.get(), cap_);
                if (end_ == 0) done_ = true;
            }
            if (pos_ < end_) {
                bitbuf_ |= std::uint64_t(buf_[pos_++]) << bitsleft_;
            } else {
                // Stop counting once far past the end; every caller has stopped by then.
                if (padBits_ < 4096) padBits_ += 8;
            }
            bitsleft_ += 8;
        }
    }

    DecodeInput& in_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::size_t cap_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool done_ = false;
    std::uint64_t bitbuf_ = 0;
    unsigned bitsleft_ = 0;
    unsigned padBits_ = 0;
};

}  // namespace zb::zip
