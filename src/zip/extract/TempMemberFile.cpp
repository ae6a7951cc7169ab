// The file of a member being extracted. See TempMemberFile.h.
#include "zip/extract/TempMemberFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "zip/ZipErrors.h"
#include "zip/io/FileFaults.h"

namespace zb::zip {

namespace {

std::atomic<bool> gUnnamedAllowed{true};

// How an unnamed file gets its name: through its descriptor directly (needs a
// privilege most users lack) or through /proc; learnt once per process.
enum class LinkRoute { Unknown, Descriptor, Proc };
std::atomic<LinkRoute> gLinkRoute{LinkRoute::Unknown};

bool procReachable() {
    static const bool reachable = ::access("/proc/self/fd", X_OK) == 0;
    return reachable;
}

int linkByProc(int fd, int dirFd, const char* name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), dirFd, name, AT_SYMLINK_FOLLOW);
}

}  // namespace

void TempMemberFile::allowUnnamed(bool allow) { gUnnamedAllowed = allow; }

TempMemberFile::TempMemberFile(const platform::DirHandle& folder, std::string path, bool replacing,
                               bool& unnamedWorks)
    : folder_(folder), path_(std::move(path)) {
    if (!replacing && openUnnamed(unnamedWorks)) return;
    fd_ = folder_.createTempFile(kTempMemberPrefix, name_);
    if (fd_ < 0) error_ = std::string("cannot create a file here: ") + std::strerror(errno);
}

TempMemberFile::~TempMemberFile() { discard(); }

bool TempMemberFile::openUnnamed(bool& unnamedWorks) {
    if (!unnamedWorks || !gUnnamedAllowed) return false;
    // Without /proc the file could only be named with a privilege; not worth a try.
    if (gLinkRoute != LinkRoute::Descriptor && !procReachable()) return false;
    fd_ = ::openat(folder_.descriptor(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ >= 0) return true;
    // The file system (or the kernel) has no unnamed files: the rest of the run uses
    // hidden names. Any other failure is for the named path to meet and report.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) unnamedWorks = false;
    return false;
}

void TempMemberFile::discard() {
    if (fd_ >= 0) platform::closeDescriptor(fd_);
    fd_ = -1;
    if (!committed_ && !name_.empty()) folder_.remove(name_);
    name_.clear();
}

MemberOutput::Sink TempMemberFile::sink() {
    return [this](const std::uint8_t* data, std::size_t size) {
        std::size_t allowed = size;
        if (FileFaults* faults = fileFaults()) allowed = std::min(size, faults->allowWrite(path_, size));
        if (!platform::writeAll(fd_, data, allowed) || allowed < size) throw ECantWriteUCF();
    };
}

bool TempMemberFile::finish(std::uint32_t mode, platform::FileTime lastWrite, bool flush) {
    bool ok = platform::setDescriptorMode(fd_, mode) && platform::setDescriptorTime(fd_, lastWrite);
    if (ok && flush) ok = platform::syncDescriptor(fd_);
    if (!ok) error_ = std::strerror(errno);
    finished_ = ok;
    // An unnamed file is named through its descriptor, so it stays open until then.
    if (name_.empty()) return ok;
    const bool closed = platform::closeDescriptor(fd_);
    fd_ = -1;
    if (!closed) error_ = std::strerror(errno);
    return ok && closed;
}

bool TempMemberFile::linkUnnamed(const std::string& name) {
    const int dir = folder_.descriptor();
    if (gLinkRoute != LinkRoute::Proc) {
        if (::linkat(fd_, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) {
            gLinkRoute = LinkRoute::Descriptor;
            return true;
        }
        if (errno != ENOENT || gLinkRoute == LinkRoute::Descriptor) return false;
        gLinkRoute = LinkRoute::Proc;
    }
    return linkByProc(fd_, dir, name.c_str()) == 0;
}

bool TempMemberFile::commit(const std::string& name) {
    if (!finished_ || (fd_ >= 0) != name_.empty()) return false;
    if (name_.empty()) {
        // Fails rather than replace a file that took the name since it was found free.
        if (!linkUnnamed(name)) {
            error_ = errno == EEXIST ? std::string("a file of that name appeared meanwhile")
                                     : std::string("cannot create the target: ") + std::strerror(errno);
            return false;
        }
        committed_ = true;
        const bool closed = platform::closeDescriptor(fd_);
        fd_ = -1;
        if (closed) return true;
        // A late write failure: the file is not what the member holds.
        error_ = std::strerror(errno);
        folder_.remove(name);
        committed_ = false;
        return false;
    }
    if (!folder_.rename(name_, name)) {
        error_ = std::string("cannot replace the target: ") + std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace zb::zip
