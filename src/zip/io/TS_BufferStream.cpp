// The buffered stream.
#include "zip/io/TS_BufferStream.h"

#include <algorithm>
#include <cstring>

#include "zip/ZipErrors.h"

namespace zb::zip {

TS_BufferStream::TS_BufferStream(TStream* inner, std::size_t bufferSize, bool owns)
    : inner_(inner), owns_(owns), buf_(std::max<std::size_t>(bufferSize, 16)) {}

TS_BufferStream::~TS_BufferStream() {
    flushQuietly();
    if (owns_) delete inner_;
}

void TS_BufferStream::dropReadAhead() {
    if (state_ == State::Reading) {
        // The wrapped stream stands at the end of the read-ahead; go back to where the
        // caller really is.
        inner_->seek(start_ + std::int64_t(pos_), soFromBeginning);
        state_ = State::Idle;
        len_ = pos_ = 0;
    }
}

void TS_BufferStream::flush() {
    if (state_ != State::Writing) return;
    std::size_t n = inner_->write(buf_.data(), len_);
    if (n != len_) {
        // Keep what was not taken so that a later attempt does not lose bytes silently.
        std::memmove(buf_.data(), buf_.data() + n, len_ - n);
        len_ -= n;
        start_ += std::int64_t(n);
        throw EStreamError("Stream write error");
    }
    state_ = State::Idle;
    len_ = 0;
}

bool TS_BufferStream::flushQuietly() {
    try {
        flush();
        return true;
    } catch (...) {
        return false;
    }
}

std::size_t TS_BufferStream::read(void* buffer, std::size_t size) {
    if (state_ == State::Writing) flush();
    auto out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    if (state_ == State::Reading) {
        std::size_t n = std::min(size, len_ - pos_);
        std::memcpy(out, buf_.data() + pos_, n);
        pos_ += n;
        done = n;
    }
    if (done == size) return done;
    // The read-ahead is used up. Large requests go straight through; small ones refill.
    std::int64_t here = state_ == State::Reading ? start_ + std::int64_t(len_) : inner_->position();
    if (size - done >= buf_.size()) {
        std::size_t n = inner_->read(out + done, size - done);
        done += n;
        // Keep the last bytes so that a put-back still works after a large read.
        state_ = State::Idle;
        len_ = pos_ = 0;
        return done;
    }
    start_ = here;
    len_ = inner_->read(buf_.data(), buf_.size());
    pos_ = 0;
    state_ = State::Reading;
    std::size_t n = std::min(size - done, len_);
    std::memcpy(out + done, buf_.data(), n);
    pos_ = n;
    return done + n;
}

std::size_t TS_BufferStream::write(const void* buffer, std::size_t size) {
    dropReadAhead();
    if (size == 0) return 0;
    written_ = true;
    auto in = static_cast<const std::uint8_t*>(buffer);
    if (state_ != State::Writing) {
        start_ = inner_->position();
        len_ = 0;
        state_ = State::Writing;
    }
    if (len_ + size <= buf_.size()) {
        std::memcpy(buf_.data() + len_, in, size);
        len_ += size;
        return size;
    }
    flush();
    if (size >= buf_.size()) return inner_->write(in, size);
    start_ = inner_->position();
    state_ = State::Writing;
    std::memcpy(buf_.data(), in, size);
    len_ = size;
    return size;
}

std::int64_t TS_BufferStream::seek(std::int64_t offset, int origin) {
    if (origin != soFromBeginning && origin != soFromCurrent && origin != soFromEnd) throwInvalidSeekOrigin(origin);
    std::int64_t current = 0;
    switch (state_) {
        case State::Reading: current = start_ + std::int64_t(pos_); break;
        case State::Writing: current = start_ + std::int64_t(len_); break;
        case State::Idle: current = -1; break;
    }
    if (origin == soFromCurrent && offset == 0 && current >= 0) return current;
    if (state_ == State::Reading && origin != soFromEnd) {
        // A seek inside the read-ahead keeps the buffer.
        std::int64_t target = origin == soFromBeginning ? offset : current + offset;
        if (target >= start_ && target <= start_ + std::int64_t(len_)) {
            pos_ = std::size_t(target - start_);
            return target;
        }
    }
    if (state_ == State::Writing) flush();
    if (state_ == State::Reading) {
        if (origin == soFromCurrent) {
            offset += current;
            origin = soFromBeginning;
        }
        state_ = State::Idle;
        len_ = pos_ = 0;
    }
    return inner_->seek(offset, origin);
}

std::int64_t TS_BufferStream::size() {
    if (state_ == State::Writing) flush();
    // The wrapped stream's size() leaves its position where it was.
    return inner_->size();
}

void TS_BufferStream::truncate() {
    std::int64_t pos = position();
    if (state_ == State::Writing) flush();
    dropReadAhead();
    inner_->seek(pos, soFromBeginning);
    inner_->truncate();
}

void TS_BufferStream::putBack() {
    if (state_ != State::Reading || pos_ == 0) throw EStreamError(msg::kPutbackOverflow);
    --pos_;
}

}  // namespace zb::zip
