// The file stream over a POSIX descriptor.
#include "zip/io/TFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zip/ZipErrors.h"
#include "zip/io/FileFaults.h"

namespace zb::zip {

TFileStream::TFileStream(const std::filesystem::path& path, TFileMode mode) : path_(path), mode_(mode) {
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
        case TFileMode::OpenRead: flags |= O_RDONLY; break;
        case TFileMode::OpenWrite: flags |= O_WRONLY; break;
        case TFileMode::OpenReadWrite: flags |= O_RDWR; break;
        case TFileMode::Create: flags |= O_RDWR | O_CREAT; break;
    }
    const bool creating = mode == TFileMode::Create;
    auto fail = [&](int err) {
        std::string text = std::string(creating ? "Cannot create file \"" : "Cannot open file \"") + path.string() +
                           "\". " + std::strerror(err);
        if (creating) throw EFCreateError(text);
        throw EFOpenError(text);
    };
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) fail(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd_);
        fd_ = -1;
        fail(err);
    }
    // Regular files never block; the flag only kept the open itself from hanging.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    if (creating && ::ftruncate(fd_, 0) != 0) {
        int err = errno;
        ::close(fd_);
        fd_ = -1;
        fail(err);
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::read(void* buffer, std::size_t size) {
    if (FileFaults* faults = fileFaults()) {
        // The plan is asked about the bytes the file still holds, so it counts what a
        // device would deliver, not the read-ahead asked past the end.
        struct stat st {};
        const off_t at = ::lseek(fd_, 0, SEEK_CUR);
        std::size_t wanted = size;
        if (at >= 0 && ::fstat(fd_, &st) == 0) {
            const std::uint64_t left = st.st_size > at ? std::uint64_t(st.st_size - at) : 0;
            wanted = std::size_t(std::min<std::uint64_t>(size, left));
        }
        const std::size_t allowed = faults->allowRead(path_, wanted);
        if (allowed < wanted) size = allowed;
    }
    auto p = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd_, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}

std::size_t TFileStream::write(const void* buffer, std::size_t size) {
    if (FileFaults* faults = fileFaults()) size = std::min(size, faults->allowWrite(path_, size));
    auto p = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}

std::int64_t TFileStream::seek(std::int64_t offset, int origin) {
    int whence = SEEK_SET;
    switch (origin) {
        case soFromBeginning: whence = SEEK_SET; break;
        case soFromCurrent: whence = SEEK_CUR; break;
        case soFromEnd: whence = SEEK_END; break;
        default: throwInvalidSeekOrigin(origin);
    }
    off_t r = ::lseek(fd_, off_t(offset), whence);
    if (r < 0) throw EStreamError("Stream seek error");
    return std::int64_t(r);
}

void TFileStream::truncate() {
    if (::ftruncate(fd_, ::lseek(fd_, 0, SEEK_CUR)) != 0) throw EStreamError("Stream write error");
}

void TFileStream::flushToDisk() {
    if (fd_ >= 0) ::fsync(fd_);
}

}  // namespace zb::zip
