// The temporary-file-and-rename replacement behind every settings file the program
// writes, so that "project.ini" and "log.txt" are never left half-written.
#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SecureRandom.h"

namespace zb::platform {

namespace fs = std::filesystem;

fs::path resolveLinks(const fs::path& path) {
    fs::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::error_code ec;
        fs::path target = fs::read_symlink(current, ec);
        if (ec) return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current;  // a loop of links: the open that follows fails with ELOOP
}

bool mayWriteFile(const fs::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if ((st.st_mode & S_IWUSR) == 0) {
        errno = EACCES;
        return false;
    }
    // Opening for writing without truncation asks the system itself (effective ids,
    // read-only mounts) and changes nothing.
    int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(std::size_t(n));
    }
    return true;
}

std::string randomSuffix() {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    unsigned char bytes[8];
    secureRandomBytes(bytes, sizeof bytes);
    std::string s;
    for (unsigned char b : bytes) s += digits[b % 36];
    return s;
}

}  // namespace

bool replaceFileAtomically(const fs::path& path, std::string_view content, mode_t modeOfNewFile) {
    const fs::path target = resolveLinks(path);
    if (!mayWriteFile(target)) return false;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    const mode_t mode = exists ? (old.st_mode & 07777) : modeOfNewFile;

    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + "." + randomSuffix() + ".tmp");
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    auto fail = [&] {
        int saved = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    };
    if (!writeAll(fd, content)) return fail();
    if (exists) {
        // Keep the owner where we may (only the administrator can give a file away).
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* best effort */ }
    }
    if (::fchmod(fd, mode) != 0) return fail();
    if (::fsync(fd) != 0) return fail();
    if (::close(fd) != 0) {
        fd = -1;
        return fail();
    }
    fd = -1;
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail();

    // Make the rename itself durable.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace zb::platform
