// The byte stream the engine reads and writes archives through: an abstract stream
// with the seek origins of the program's origin and the read/write helpers that raise
// EStreamError on a shortfall. Memory, files and buffering are in TMemoryStream.h,
// TFileStream.h and TS_BufferStream.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zb::zip {

// Seek origins with their stored values.
enum TSeekOrigin : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Up to `size` bytes; fewer only at the end of the data (or on a read failure).
    virtual std::size_t read(void* buffer, std::size_t size) = 0;
    // How many bytes were accepted; fewer than `size` means the medium refused more.
    virtual std::size_t write(const void* buffer, std::size_t size) = 0;
    // The new position. `origin` is a TSeekOrigin value; any other value raises
    // EZipError "Invalid seek origin (%d)".
    virtual std::int64_t seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t size();
    // Cuts the stream at the current position.
    virtual void truncate() = 0;

    std::int64_t position() { return seek(0, soFromCurrent); }
    void setPosition(std::int64_t pos) { seek(pos, soFromBeginning); }

    // All of `size` bytes, or EStreamError "Stream read error".
    void readBuffer(void* buffer, std::size_t size);
    // All of `size` bytes, or EStreamError "Stream write error".
    void writeBuffer(const void* buffer, std::size_t size);
    // Copies `count` bytes from `source` (at its position) to this stream.
    void copyFrom(TStream& source, std::uint64_t count);
};

// Raises the engine's error for a seek origin that is none of the three.
[[noreturn]] void throwInvalidSeekOrigin(int origin);

}  // namespace zb::zip
