// The compressor's output side: packs codes least-significant bit first, collects the
// bytes in a buffer and hands full buffers to the writer's write routine. The buffer
// also goes out whenever the output has just been aligned to a byte (before raw bytes
// are written straight from the window, and at the end of a member), so the bytes
// always reach the writer in stream order.
#pragma once

#include "zip/codec/deflate/Deflate.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace zb::zip::deflate {

class DeflateBitWriter {
public:
    void start(DeflateSink& sink) {
        sink_ = &sink;
        bits_ = 0;
        count_ = 0;
        used_ = 0;
        written_ = 0;
    }

    // Appends the low `n` bits of `value` (n at most 32, value has no higher bits set).
    void put(std::uint64_t value, unsigned n) {
        bits_ |= value << count_;
        count_ += n;
        if (count_ >= 32) {
            auto word = static_cast<std::uint32_t>(bits_);
            if constexpr (std::endian::native == std::endian::big) {
                word = __builtin_bswap32(word);
            }
            std::memcpy(buffer_.data() + used_, &word, 4);
            used_ += 4;
            bits_ >>= 32;
            count_ -= 32;
        }
    }

    // Sends the buffer on when it is nearly full; call after each symbol or so.
    void drainIfFull() {
        if (used_ >= kBufferSize) {
            drain();
        }
    }

    // Pads with zero bits to the next byte boundary and sends everything collected.
    void alignAndFlush() {
        while (count_ > 0) {
            buffer_[used_++] = static_cast<std::uint8_t>(bits_);
            bits_ >>= 8;
            count_ = count_ > 8 ? count_ - 8 : 0;
        }
        bits_ = 0;
        drain();
    }

    // Raw bytes after alignAndFlush (stored data straight from the window).
    void writeRaw(const std::uint8_t* data, std::size_t size) {
        if (size > 0) {
            sink_->write(data, size);
            written_ += size;
        }
    }

    // Bytes handed to the sink plus those still waiting in the buffer.
    std::uint64_t bytesOut() const { return written_ + used_ + (count_ + 7) / 8; }

private:
    static constexpr std::size_t kBufferSize = 16384;

    void drain() {
        if (used_ > 0) {
            sink_->write(buffer_.data(), used_);
            written_ += used_;
            used_ = 0;
        }
    }

    DeflateSink* sink_ = nullptr;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    // Room for one more symbol's worth of words past the drain mark.
    std::array<std::uint8_t, kBufferSize + 64> buffer_{};
};

}  // namespace zb::zip::deflate
