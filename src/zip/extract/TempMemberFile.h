// A member's bytes on their way to the target, never visible under the target's name
// before they are complete and true. A member whose name is still free is written to
// an unnamed file in the target's folder (where the file system offers them) and
// linked in under its name only at the end (failing rather than replacing a file that
// took the name meanwhile): no temporary name, no rename. Otherwise the file is created
// exclusively, readable by its owner only, under a hidden name beside the target and
// renamed over the target at the end, so the target is always a new inode (a link or
// a file with several hard links in its place is replaced, never written through).
// Only a member that decoded completely with the right CRC is given its mode and time
// and committed; whatever is not committed is removed when the object goes, so a
// member that fails for any reason leaves the existing file as it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DirHandle.h"
#include "zip/codec/MemberOutput.h"

namespace zb::zip {

class TempMemberFile {
public:
    // Creates the file in `folder` (which must outlive this object) for the target
    // `path` (the path under which the disk-fault seam sees its writes). `replacing`
    // says an entry of the target's name exists. `unnamedWorks` is the run's note
    // whether unnamed files are worth trying; cleared when the file system refuses one.
    TempMemberFile(const platform::DirHandle& folder, std::string path, bool replacing, bool& unnamedWorks);
    ~TempMemberFile();
    TempMemberFile(const TempMemberFile&) = delete;
    TempMemberFile& operator=(const TempMemberFile&) = delete;

    // False when the file could not be created; error() says why.
    bool created() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    // Whether the file has no name until it is committed.
    bool unnamed() const { return created() && name_.empty(); }
    // Where the decoder's blocks go; a failed write raises ECantWriteUCF.
    MemberOutput::Sink sink();
    // Mode, time and (when asked) a flush to disk, then close; false on failure.
    bool finish(std::uint32_t mode, platform::FileTime lastWrite, bool flush);
    // Puts the finished file in the place of `name`; false when that fails.
    bool commit(const std::string& name);

    // Whether new files may be unnamed at all (on by default); tests turn it off to
    // follow the path of file systems without them.
    static void allowUnnamed(bool allow);

private:
    void discard();
    bool openUnnamed(bool& unnamedWorks);
    bool linkUnnamed(const std::string& name);

    const platform::DirHandle& folder_;
    std::string path_;
    std::string name_;
    std::string error_;
    int fd_ = -1;
    bool committed_ = false;
    bool finished_ = false;
};

// Prefix of every temporary name (a hidden name, so a left-over is easy to tell).
inline constexpr const char* kTempMemberPrefix = ".zbx-";

}  // namespace zb::zip
