// Output window for the older decompressors: gathers decoded bytes, keeps the history
// that back-references copy from, and hands the bytes on to the output side in large
// pieces. The history starts as zeros, as in the programs that wrote these methods, so
// a reference to before the first byte yields zeros instead of reading stray memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

class DecoderWindow {
public:
    // `history` is the longest distance a copy may reach back.
    DecoderWindow(DecodeOutput& out, std::size_t history) : out_(out), history_(history) {
        cap_ = history_ + kChunk;
        buf_ = std::make_unique_for_overwrite<std::uint8_t[]>(cap_);
        std::memset(buf_.get(), 0, history_);
        pos_ = flushFrom_ = history_;
    }

    void put(std::uint8_t b) {
        if (pos_ == cap_) slide();
        buf_[pos_++] = b;
        ++total_;
    }

    // Appends `len` bytes copied from `dist` bytes back (1 <= dist <= history).
    void copy(std::size_t dist, std::size_t len) {
        while (len > 0) {
            if (pos_ == cap_) slide();
            // Piecewise, so an overlapping copy repeats its pattern.
            const std::size_t n = std::min({len, cap_ - pos_, dist});
            std::memcpy(buf_.get() + pos_, buf_.get() + pos_ - dist, n);
            pos_ += n;
            total_ += n;
            len -= n;
        }
    }

    // Appends bytes that do not depend on the history.
    void append(const std::uint8_t* data, std::size_t len) {
        while (len > 0) {
            if (pos_ == cap_) slide();
            const std::size_t n = std::min(len, cap_ - pos_);
            std::memcpy(buf_.get() + pos_, data, n);
            pos_ += n;
            total_ += n;
            data += n;
            len -= n;
        }
    }

    // Hands on everything not yet written.
    void flush() {
        if (pos_ > flushFrom_) out_.write(buf_.get() + flushFrom_, pos_ - flushFrom_);
        flushFrom_ = pos_;
    }

    std::uint64_t total() const { return total_; }

private:
    static constexpr std::size_t kChunk = 128 * 1024;

    void slide() {
        flush();
        std::memmove(buf_.get(), buf_.get() + pos_ - history_, history_);
        pos_ = flushFrom_ = history_;
    }

    DecodeOutput& out_;
    std::size_t history_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::size_t cap_ = 0;
    std::size_t pos_ = 0;
    std::size_t flushFrom_ = 0;
    std::uint64_t total_ = 0;
};

}  // namespace zb::zip
