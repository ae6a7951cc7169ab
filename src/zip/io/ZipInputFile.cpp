// Opening and reading source files for the writer.
#include "zip/io/ZipInputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "zip/io/FileFaults.h"

namespace zb::zip {

namespace {

ZipInputFile::Stamp stampOf(const struct stat& st) {
    return {std::uint64_t(st.st_dev),        std::uint64_t(st.st_ino),         std::uint64_t(st.st_size),
            std::int64_t(st.st_mtim.tv_sec), std::int64_t(st.st_mtim.tv_nsec), std::int64_t(st.st_ctim.tv_sec),
            std::int64_t(st.st_ctim.tv_nsec)};
}

// A link's text can be longer than lstat says (links under /proc report 0).
constexpr std::size_t kMaxLinkText = 1 << 20;

}  // namespace

std::unique_ptr<ZipInputFile> ZipInputFile::open(const std::filesystem::path& path, OpenResult& result,
                                                 bool keepLinks) {
    // O_NOFOLLOW keeps a link that takes a file's place after the walk from being read
    // through.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (keepLinks ? O_NOFOLLOW : 0));
    if (fd < 0) {
        if (keepLinks && errno == ELOOP) return openLink(path, result);
        result = (errno == ENOENT || errno == ENOTDIR) ? OpenResult::Missing : OpenResult::Failed;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        result = OpenResult::Failed;
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        result = OpenResult::NotRegular;
        return nullptr;
    }
    // O_NONBLOCK stays set: regular files ignore it, and two calls per file count
    // when a backup holds many small files. For the same reason only a file larger
    // than the kernel's own read-ahead is told that it will be read straight through.
    constexpr off_t kAdviseFrom = 256 * 1024;
    if (st.st_size > kAdviseFrom) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::unique_ptr<ZipInputFile> file(new ZipInputFile());
    file->path_ = path;
    file->fd_ = fd;
    file->describe(st);
    result = OpenResult::Opened;
    return file;
}

std::unique_ptr<ZipInputFile> ZipInputFile::openLink(const std::filesystem::path& path, OpenResult& result) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        result = (errno == ENOENT || errno == ENOTDIR) ? OpenResult::Missing : OpenResult::Failed;
        return nullptr;
    }
    if (!S_ISLNK(st.st_mode)) {
        result = OpenResult::Failed;  // swapped again meanwhile: no consistent view of it
        return nullptr;
    }
    std::string text(std::max<std::size_t>(std::size_t(st.st_size) + 1, 256), '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0) {
            result = errno == ENOENT ? OpenResult::Missing : OpenResult::Failed;
            return nullptr;
        }
        if (std::size_t(n) < text.size()) {
            text.resize(std::size_t(n));
            break;
        }
        if (text.size() >= kMaxLinkText) {
            result = OpenResult::Failed;
            return nullptr;
        }
        text.resize(text.size() * 2);  // cut short: the text is longer than lstat said
    }
    std::unique_ptr<ZipInputFile> file(new ZipInputFile());
    file->path_ = path;
    file->isLink_ = true;
    file->linkText_ = std::move(text);
    file->describe(st);
    file->size_ = file->linkText_.size();
    result = OpenResult::Opened;
    return file;
}

void ZipInputFile::describe(const struct stat& st) {
    size_ = std::uint64_t(st.st_size);
    dosTime_ = platform::fileTimeToDos(platform::FileTime{st.st_mtim.tv_sec, std::int32_t(st.st_mtim.tv_nsec)});
    mode_ = std::uint32_t(st.st_mode);
    modTimeUtc_ = std::int64_t(st.st_mtim.tv_sec);
    modTimeNanos_ = std::int64_t(st.st_mtim.tv_nsec);
    stamp_ = stampOf(st);
    attributes_ = platform::faArchive | ((st.st_mode & S_IWUSR) ? 0u : std::uint32_t(platform::faReadOnly));
    const std::string name = path_.filename().string();
    if (!name.empty() && name[0] == '.') attributes_ |= platform::faHidden;
}

ZipInputFile::~ZipInputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ZipInputFile::changedSinceOpened() const {
    if (isLink_) return false;  // its text was taken whole, by one call
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return true;
    return std::uint64_t(st.st_size) != size_ || std::int64_t(st.st_mtim.tv_sec) != modTimeUtc_ ||
           std::int64_t(st.st_mtim.tv_nsec) != modTimeNanos_;
}

std::optional<ZipInputFile::Stamp> ZipInputFile::currentStamp() const {
    struct stat st {};
    if (isLink_ || ::fstat(fd_, &st) != 0) return std::nullopt;
    return stampOf(st);
}

std::size_t ZipInputFile::read(void* buffer, std::size_t size) {
    auto out = static_cast<char*>(buffer);
    std::size_t done = 0;
    if (isLink_) {
        done = std::min<std::size_t>(size, linkText_.size() - std::size_t(read_));
        std::copy_n(linkText_.data() + read_, done, out);
    }
    while (!isLink_ && !atEnd_ && done < size) {
        const ssize_t n = ::read(fd_, out + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SourceReadError("read error");
        if (n == 0) {
            atEnd_ = true;  // the end of the file, wherever it is now
            break;
        }
        done += std::size_t(n);
    }
    // A test's fault plan may let the device fail part-way through the bytes read.
    if (FileFaults* faults = fileFaults(); faults && done > 0) {
        const std::size_t allowed = std::min(done, faults->allowRead(path_, done));
        if (allowed < done) {
            read_ += allowed;
            throw SourceReadError("read error");
        }
    }
    read_ += done;
    return done;
}

void ZipInputFile::rewind() {
    if (!isLink_ && ::lseek(fd_, 0, SEEK_SET) != 0) throw SourceReadError("seek error");
    read_ = 0;
    atEnd_ = false;
}

}  // namespace zb::zip
