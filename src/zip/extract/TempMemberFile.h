// A member's bytes on their way to the target: a new file, created exclusively and
// readable by its owner only, beside the target in the target's own folder. Only a
// member that decoded completely with the right CRC is given its mode and time and
// renamed over the target, so the target is always a new inode (a link or a file with
// several hard links in its place is replaced, never written through) and a member
// that fails for any reason leaves the existing file as it was. Whatever is not
// committed is removed when the object goes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DirHandle.h"
#include "zip/codec/MemberOutput.h"

namespace zb::zip {

class TempMemberFile {
public:
    // Creates the temporary file in `folder` (which must outlive this object) for the
    // target `path` (the path under which the disk-fault seam sees its writes).
    TempMemberFile(const platform::DirHandle& folder, std::string path);
    ~TempMemberFile();
    TempMemberFile(const TempMemberFile&) = delete;
    TempMemberFile& operator=(const TempMemberFile&) = delete;

    // False when the file could not be created; error() says why.
    bool created() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    // Where the decoder's blocks go; a failed write raises ECantWriteUCF.
    MemberOutput::Sink sink();
    // Mode, time and (when asked) a flush to disk, then close; false on failure.
    bool finish(std::uint32_t mode, platform::FileTime lastWrite, bool flush);
    // Puts the finished file in the place of `name`; false when that fails.
    bool commit(const std::string& name);

private:
    void discard();

    const platform::DirHandle& folder_;
    std::string path_;
    std::string name_;
    std::string error_;
    int fd_ = -1;
    bool committed_ = false;
};

// Prefix of every temporary name (a hidden name, so a left-over is easy to tell).
inline constexpr const char* kTempMemberPrefix = ".zbx-";

}  // namespace zb::zip
