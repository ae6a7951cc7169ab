// The temporary file of a member being extracted. See TempMemberFile.h.
#include "zip/extract/TempMemberFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zip/ZipErrors.h"
#include "zip/io/FileFaults.h"

namespace zb::zip {

TempMemberFile::TempMemberFile(const platform::DirHandle& folder, std::string path)
    : folder_(folder), path_(std::move(path)) {
    fd_ = folder_.createTempFile(kTempMemberPrefix, name_);
    if (fd_ < 0) error_ = std::string("cannot create a file here: ") + std::strerror(errno);
}

TempMemberFile::~TempMemberFile() { discard(); }

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
    const bool closed = platform::closeDescriptor(fd_);
    fd_ = -1;
    if (!ok || !closed) error_ = std::strerror(errno);
    return ok && closed;
}

bool TempMemberFile::commit(const std::string& name) {
    if (fd_ >= 0 || name_.empty()) return false;
    if (!folder_.rename(name_, name)) {
        error_ = std::string("cannot replace the target: ") + std::strerror(errno);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace zb::zip
