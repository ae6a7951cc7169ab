// A buffer in front of another stream: small reads and writes of the record code go
// to memory, and the wrapped stream sees whole blocks. The buffer is either a read
// buffer or a write buffer at any moment; switching direction or seeking writes out
// what is pending (or drops what was read ahead) first.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "zip/io/TStream.h"

namespace zb::zip {

inline constexpr std::size_t kZipBufferSize = 8192;

class TS_BufferStream : public TStream {
public:
    // `owns` makes the buffer stream delete the wrapped stream when it is destroyed.
    TS_BufferStream(TStream* inner, std::size_t bufferSize, bool owns = false);
    ~TS_BufferStream() override;

    std::size_t read(void* buffer, std::size_t size) override;
    std::size_t write(const void* buffer, std::size_t size) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    std::int64_t size() override;
    void truncate() override;

    // Gives back the last byte read; raises EStreamError "Putback overflow" when the
    // read buffer holds no byte to give back.
    void putBack();
    // Writes out pending bytes; raises EStreamError "Stream write error" when the
    // wrapped stream takes fewer.
    void flush();
    // Whether anything was ever written through this stream.
    bool anythingWritten() const { return written_; }
    TStream* inner() { return inner_; }

protected:
    // Writes out pending bytes without raising (for destructors); false on failure.
    bool flushQuietly();

private:
    enum class State { Idle, Reading, Writing };
    void dropReadAhead();

    TStream* inner_;
    bool owns_;
    std::vector<std::uint8_t> buf_;
    State state_ = State::Idle;
    std::size_t len_ = 0;     // bytes in the buffer (read ahead, or pending to write)
    std::size_t pos_ = 0;     // read position in the buffer
    std::int64_t start_ = 0;  // position of buf_[0] in the wrapped stream
    bool written_ = false;
};

}  // namespace zb::zip
