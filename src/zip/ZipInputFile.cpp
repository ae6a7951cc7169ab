// Opening and reading source files for the writer.
#include "zip/ZipInputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "zip/FileFaults.h"

namespace zb::zip {

std::unique_ptr<TZipInputFile> TZipInputFile::open(const std::filesystem::path& path, OpenResult& result) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
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
    // Regular files ignore O_NONBLOCK; clear it all the same for plain blocking reads.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::unique_ptr<TZipInputFile> file(new TZipInputFile());
    file->path_ = path;
    file->fd_ = fd;
    file->size_ = std::uint64_t(st.st_size);
    file->dosTime_ = platform::fileTimeToDos(platform::FileTime{st.st_mtim.tv_sec, std::int32_t(st.st_mtim.tv_nsec)});
    file->mode_ = std::uint32_t(st.st_mode);
    file->modTimeUtc_ = std::int64_t(st.st_mtim.tv_sec);
    file->modTimeNanos_ = std::int64_t(st.st_mtim.tv_nsec);
    file->attributes_ = platform::faArchive | ((st.st_mode & S_IWUSR) ? 0u : std::uint32_t(platform::faReadOnly));
    const std::string name = path.filename().string();
    if (!name.empty() && name[0] == '.') file->attributes_ |= platform::faHidden;
    result = OpenResult::Opened;
    return file;
}

TZipInputFile::~TZipInputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool TZipInputFile::changedSinceOpened() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return true;
    return std::uint64_t(st.st_size) != size_ || std::int64_t(st.st_mtim.tv_sec) != modTimeUtc_ ||
           std::int64_t(st.st_mtim.tv_nsec) != modTimeNanos_;
}

std::size_t TZipInputFile::read(void* buffer, std::size_t size) {
    auto out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd_, out + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw TSourceReadError("read error");
        if (n == 0) break;  // the end of the file, wherever it is now
        done += std::size_t(n);
    }
    // A test's fault plan may let the device fail part-way through the bytes read.
    if (FileFaults* faults = fileFaults(); faults && done > 0) {
        const std::size_t allowed = std::min(done, faults->allowRead(path_, done));
        if (allowed < done) {
            read_ += allowed;
            throw TSourceReadError("read error");
        }
    }
    read_ += done;
    return done;
}

void TZipInputFile::rewind() {
    if (::lseek(fd_, 0, SEEK_SET) != 0) throw TSourceReadError("seek error");
    read_ = 0;
}

}  // namespace zb::zip
