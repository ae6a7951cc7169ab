// Writing the ".zfc" side file of a split archive.
#include "zip/split/ZipInfoFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zb::zip {

ZipInfoFileResult writeZipInfoFile(const std::string& path, const std::string& bytes, bool flush) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return ZipInfoFileResult::CreateFailed;
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += std::size_t(n);
    }
    if (ok && flush && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (!ok) {
        ::unlink(path.c_str());
        return ZipInfoFileResult::SaveFailed;
    }
    return ZipInfoFileResult::Saved;
}

}  // namespace zb::zip
