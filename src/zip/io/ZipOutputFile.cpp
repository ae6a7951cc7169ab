// Buffered sequential output with in-place rewrites; see the header for why every
// failure is the one "not enough room" error.
#include "zip/io/ZipOutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zip/ZipErrors.h"
#include "zip/io/FileFaults.h"

namespace zb::zip {

namespace {

constexpr std::size_t kOutputBufferSize = 256 * 1024;

void writeAllAt(const std::filesystem::path& path, int fd, const std::uint8_t* data, std::size_t size,
                std::uint64_t offset) {
    // A test's fault plan may let only part of the write through, as a full disk does.
    std::size_t allowed = size;
    if (FileFaults* faults = fileFaults()) allowed = std::min(size, faults->allowWrite(path, size));
    const bool cut = allowed < size;
    size = allowed;
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ENotEnoughRoom();
        data += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    if (cut) throw ENotEnoughRoom();
}

}  // namespace

ZipOutputFile::ZipOutputFile(const std::filesystem::path& path, bool flushOnClose)
    : path_(path), flushOnClose_(flushOnClose), buffer_(kOutputBufferSize) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw ENotEnoughRoom();
}

ZipOutputFile::~ZipOutputFile() { abandon(); }

void ZipOutputFile::flushBuffer() {
    if (buffered_ == 0) return;
    const std::size_t n = buffered_;
    buffered_ = 0;  // a failed flush leaves nothing behind to write again
    writeAllAt(path_, fd_, buffer_.data(), n, position_ - n);
}

void ZipOutputFile::write(const void* data, std::size_t size) {
    if (fd_ < 0) throw ENotEnoughRoom();
    auto in = static_cast<const std::uint8_t*>(data);
    if (buffered_ + size > buffer_.size()) {
        flushBuffer();
        if (size >= buffer_.size()) {
            writeAllAt(path_, fd_, in, size, position_);
            position_ += size;
            return;
        }
    }
    std::memcpy(buffer_.data() + buffered_, in, size);
    buffered_ += size;
    position_ += size;
}

void ZipOutputFile::rewrite(std::uint64_t offset, const void* data, std::size_t size) {
    if (fd_ < 0) throw ENotEnoughRoom();
    const std::uint64_t bufferStart = position_ - buffered_;
    auto in = static_cast<const std::uint8_t*>(data);
    // The part that is still in the buffer is changed there.
    if (offset + size > bufferStart) {
        const std::uint64_t from = std::max(offset, bufferStart);
        std::memcpy(buffer_.data() + (from - bufferStart), in + (from - offset), std::size_t(offset + size - from));
        if (offset >= bufferStart) return;
        size = std::size_t(bufferStart - offset);
    }
    writeAllAt(path_, fd_, in, size, offset);
}

void ZipOutputFile::truncate(std::uint64_t offset) {
    if (fd_ < 0) throw ENotEnoughRoom();
    const std::uint64_t bufferStart = position_ - buffered_;
    if (offset >= bufferStart) {
        buffered_ = std::size_t(offset - bufferStart);
    } else {
        buffered_ = 0;
        if (::ftruncate(fd_, off_t(offset)) != 0) throw ENotEnoughRoom();
    }
    position_ = offset;
}

void ZipOutputFile::close() {
    if (fd_ < 0) return;
    try {
        flushBuffer();
        // Bytes beyond the logical end (left by a member written anew) are cut off.
        if (::ftruncate(fd_, off_t(position_)) != 0) throw ENotEnoughRoom();
        if (flushOnClose_ && ::fsync(fd_) != 0) throw ENotEnoughRoom();
    } catch (...) {
        abandon();
        throw;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw ENotEnoughRoom();
}

void ZipOutputFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    buffered_ = 0;
}

}  // namespace zb::zip
