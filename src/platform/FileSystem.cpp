// Folder listing and file attributes in the program's terms, built on statx so that
// the creation time is the birth time wherever the file system records one.
#include "platform/FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/SecureRandom.h"
#include "platform/TextCase.h"

namespace zb::platform {

namespace fs = std::filesystem;

namespace {

FileTime toFileTime(const struct statx_timestamp& t) { return FileTime{t.tv_sec, static_cast<std::int32_t>(t.tv_nsec)}; }

bool statxAt(int dirFd, const char* name, bool follow, struct statx& out) {
    unsigned flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
    return ::statx(dirFd, name, int(flags), STATX_BASIC_STATS | STATX_BTIME, &out) == 0;
}

// The entry for `name` in the folder `dirFd`; false when it does not exist.
bool describe(int dirFd, const char* pathOrName, std::string name, FileEntry& e) {
    struct statx own {};
    if (!statxAt(dirFd, pathOrName, false, own)) return false;
    struct statx info = own;
    e = FileEntry{};
    e.name = std::move(name);
    bool reachable = true;
    if (S_ISLNK(own.stx_mode)) {
        e.isSymlink = true;
        e.linkSize = own.stx_size;
        reachable = statxAt(dirFd, pathOrName, true, info);
        if (!reachable) info = own;
    }
    const mode_t mode = info.stx_mode;
    if (reachable && S_ISREG(mode)) e.kind = EntryKind::File;
    else if (reachable && S_ISDIR(mode)) e.kind = EntryKind::Directory;
    else e.kind = EntryKind::Special;

    e.size = e.kind == EntryKind::File ? info.stx_size : 0;
    std::uint32_t a = 0;
    if ((mode & S_IWUSR) == 0) a |= faReadOnly;
    if (!e.name.empty() && e.name.front() == '.') a |= faHidden;
    if (e.kind == EntryKind::Directory) a |= faDirectory;
    if (e.kind == EntryKind::File) a |= faArchive;
    e.attributes = a;
    e.lastAccessTime = toFileTime(info.stx_atime);
    e.lastWriteTime = toFileTime(info.stx_mtime);
    e.creationTime = (info.stx_mask & STATX_BTIME) ? toFileTime(info.stx_btime) : toFileTime(info.stx_ctime);
    e.dosTime = fileTimeToDos(e.lastWriteTime);
    return true;
}

bool wildcardMatch(const std::u32string& name, const std::u32string& mask) {
    std::size_t n = 0, m = 0, starMask = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*') ++m;
    return m == mask.size();
}

std::string randomName(std::string_view prefix) {
    static const char hex[] = "0123456789abcdef";
    unsigned char bytes[4];
    secureRandomBytes(bytes, sizeof bytes);
    std::string s(prefix);
    for (unsigned char b : bytes) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s + ".tmp";
}

}  // namespace

std::optional<FileEntry> statEntry(const fs::path& path) {
    FileEntry e;
    if (!describe(AT_FDCWD, path.c_str(), fs::path(path).filename().string(), e)) return std::nullopt;
    return e;
}

bool matchesFindMask(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    if (mask == "*.*" || mask == "*") return true;
    const std::u32string n = foldedCodePoints(name);
    if (wildcardMatch(n, foldedCodePoints(mask))) return true;
    // "name.*" also finds a "name" without any extension.
    if (mask.size() > 2 && mask.ends_with(".*")) return wildcardMatch(n, foldedCodePoints(mask.substr(0, mask.size() - 2)));
    return false;
}

std::vector<FileEntry> listFolder(const fs::path& folder, std::string_view mask) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) throw fs::filesystem_error("Cannot read folder", folder, std::error_code(errno, std::system_category()));
    const int fd = ::dirfd(dir);
    std::vector<FileEntry> entries;
    for (;;) {
        errno = 0;
        dirent* d = ::readdir(dir);
        if (!d) {
            int err = errno;
            ::closedir(dir);
            if (err != 0) throw fs::filesystem_error("Cannot read folder", folder, std::error_code(err, std::system_category()));
            break;
        }
        std::string_view name(d->d_name);
        if (name == "." || name == ".." || !matchesFindMask(name, mask)) continue;
        FileEntry e;
        if (describe(fd, d->d_name, std::string(name), e)) entries.push_back(std::move(e));
    }
    return entries;
}

std::uint32_t fileAttributes(const fs::path& path) {
    auto e = statEntry(path);
    return e ? e->attributes : 0xFFFFFFFFu;
}

bool setFileAttributes(const fs::path& path, std::uint32_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = (attributes & faReadOnly) ? mode_t(mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : mode_t(mode | S_IWUSR);
    return wanted == mode || ::chmod(path.c_str(), wanted) == 0;
}

bool setFileTimes(const fs::path& path, FileTime lastWrite, std::optional<FileTime> lastAccess) {
    timespec ts[2];
    if (lastAccess) {
        ts[0].tv_sec = time_t(lastAccess->seconds);
        ts[0].tv_nsec = lastAccess->nanoseconds;
    } else {
        ts[0].tv_sec = 0;
        ts[0].tv_nsec = UTIME_OMIT;
    }
    ts[1].tv_sec = time_t(lastWrite.seconds);
    ts[1].tv_nsec = lastWrite.nanoseconds;
    return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
}

std::uint64_t freeSpace(const fs::path& folder) {
    // A folder that is not there yet lies on the file system of its nearest parent.
    fs::path p = folder.empty() ? fs::path(".") : folder;
    for (int i = 0; i < 256; ++i) {
        struct statvfs v {};
        if (::statvfs(p.c_str(), &v) == 0) return std::uint64_t(v.f_bavail) * std::uint64_t(v.f_frsize);
        if (errno != ENOENT && errno != ENOTDIR) return 0;
        fs::path parent = p.parent_path();
        if (parent.empty() || parent == p) return 0;
        p = parent;
    }
    return 0;
}

fs::path createTempFile(const fs::path& folder, std::string_view prefix) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = (folder.empty() ? fs::path(".") : folder) / randomName(prefix);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw fs::filesystem_error("Cannot create a temporary file", candidate,
                                       std::error_code(errno, std::system_category()));
        }
        ::fchmod(fd, 0600);  // exactly, whatever the umask
        ::close(fd);
        return candidate;
    }
    throw fs::filesystem_error("Cannot create a temporary file", folder, std::make_error_code(std::errc::file_exists));
}

fs::path tempFolder() {
    std::error_code ec;
    fs::path p = fs::temp_directory_path(ec);
    return ec ? fs::path("/tmp") : p;
}

}  // namespace zb::platform
