// Folder-relative file operations on POSIX descriptors. See DirHandle.h.
#include "platform/DirHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/SecureRandom.h"

namespace zb::platform {

namespace {

constexpr int kTempAttempts = 100;

std::string randomSuffix() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[10];
    secureRandomBytes(bytes, sizeof bytes);
    std::string s;
    for (unsigned char b : bytes) s.push_back(kChars[b % 36]);
    return s;
}

timespec toTimespec(FileTime t) {
    timespec ts{};
    ts.tv_sec = time_t(t.seconds);
    ts.tv_nsec = t.nanoseconds;
    return ts;
}

}  // namespace

DirHandle DirHandle::open(const std::string& path) {
    return DirHandle(::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

DirHandle::~DirHandle() {
    if (fd_ >= 0) ::close(fd_);
}

DirHandle::DirHandle(DirHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

DirHandle& DirHandle::operator=(DirHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

DirHandle DirHandle::duplicate() const {
    return DirHandle(fd_ < 0 ? -1 : ::fcntl(fd_, F_DUPFD_CLOEXEC, 0));
}

DirHandle DirHandle::child(const std::string& name, bool create, ChildFolder& outcome) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            outcome = ChildFolder::Opened;
            return DirHandle(fd);
        }
        const int err = errno;
        if (err == ENOENT && create && attempt == 0) {
            // Someone else may make it meanwhile; the open that follows decides.
            if (::mkdirat(fd_, name.c_str(), 0777) == 0 || errno == EEXIST) continue;
            break;
        }
        if (err == ELOOP || err == ENOTDIR) {
            auto info = entry(name);
            outcome = info && info->kind == NodeKind::Link ? ChildFolder::IsLink : ChildFolder::NotAFolder;
            return DirHandle();
        }
        break;
    }
    outcome = ChildFolder::Failed;
    return DirHandle();
}

std::optional<NodeInfo> DirHandle::entry(const std::string& name) const {
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    NodeInfo info;
    info.kind = S_ISREG(st.st_mode)   ? NodeKind::File
                : S_ISDIR(st.st_mode) ? NodeKind::Directory
                : S_ISLNK(st.st_mode) ? NodeKind::Link
                                      : NodeKind::Other;
    info.mode = std::uint32_t(st.st_mode & 07777);
    info.links = std::uint64_t(st.st_nlink);
    info.lastWriteTime = FileTime{std::int64_t(st.st_mtim.tv_sec), std::int32_t(st.st_mtim.tv_nsec)};
    return info;
}

int DirHandle::createTempFile(const std::string& prefix, std::string& name) const {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::string candidate = prefix + randomSuffix();
        int fd = ::openat(fd_, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            name = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

bool DirHandle::createTempLink(const std::string& target, const std::string& prefix, std::string& name) const {
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        std::string candidate = prefix + randomSuffix();
        if (::symlinkat(target.c_str(), fd_, candidate.c_str()) == 0) {
            name = std::move(candidate);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool DirHandle::rename(const std::string& from, const std::string& to) const {
    return ::renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
}

bool DirHandle::remove(const std::string& name) const { return ::unlinkat(fd_, name.c_str(), 0) == 0; }

std::optional<std::string> DirHandle::readLink(const std::string& name) const {
    std::string text(4096, '\0');
    ssize_t n = ::readlinkat(fd_, name.c_str(), text.data(), text.size());
    if (n < 0 || std::size_t(n) >= text.size()) return std::nullopt;
    text.resize(std::size_t(n));
    return text;
}

bool DirHandle::setEntryTime(const std::string& name, FileTime lastWrite) const {
    timespec ts[2];
    ts[0].tv_sec = 0;
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1] = toTimespec(lastWrite);
    return ::utimensat(fd_, name.c_str(), ts, AT_SYMLINK_NOFOLLOW) == 0;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool setDescriptorMode(int fd, std::uint32_t mode) { return ::fchmod(fd, mode_t(mode)) == 0; }

bool setDescriptorTime(int fd, FileTime lastWrite) {
    timespec ts[2];
    ts[0].tv_sec = 0;
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1] = toTimespec(lastWrite);
    return ::futimens(fd, ts) == 0;
}

bool syncDescriptor(int fd) { return ::fsync(fd) == 0; }

bool closeDescriptor(int fd) { return ::close(fd) == 0; }

std::uint32_t newFileMode() {
    // Setting the umask to read it would race with other threads creating files, so
    // the kernel's report is read first.
    std::uint32_t mask = 022;
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = value;
                break;
            }
        }
        std::fclose(f);
    }
    return 0666u & ~mask;
}

}  // namespace zb::platform
