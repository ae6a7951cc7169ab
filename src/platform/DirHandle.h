// An open folder, and the file operations relative to it that extraction needs so
// that nothing below a destination is ever reached through a link: opening a child
// folder without following it, looking at an entry without following it, creating a
// temporary file exclusively, renaming, removing and making links inside the folder.
// Checking a path and then writing by that path leaves a gap in which the path can be
// changed; working through the folder's descriptor closes it. The same small
// interface can be built on the handle-relative calls of other systems.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/DateTime.h"

namespace zb::platform {

// What an entry of a folder is, seen without following it.
enum class NodeKind { File, Directory, Link, Other };

struct NodeInfo {
    NodeKind kind = NodeKind::File;
    std::uint32_t mode = 0;    // permission bits
    std::uint64_t links = 1;   // hard links to the inode
    FileTime lastWriteTime;
};

// How opening a child folder went.
enum class ChildFolder { Opened, IsLink, NotAFolder, Failed };

class DirHandle {
public:
    DirHandle() = default;
    // The folder named by `path`, links followed as the user named it; invalid (see
    // valid()) when it cannot be opened.
    static DirHandle open(const std::string& path);
    ~DirHandle();
    DirHandle(DirHandle&& other) noexcept;
    DirHandle& operator=(DirHandle&& other) noexcept;
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;

    bool valid() const { return fd_ >= 0; }
    // The same folder again, as an independent handle.
    DirHandle duplicate() const;
    int descriptor() const { return fd_; }

    // The child folder `name`, never through a link; created (with the usual
    // permissions) when missing and `create` is set.
    DirHandle child(const std::string& name, bool create, ChildFolder& outcome) const;
    // The entry `name` as it is, nullopt when there is none.
    std::optional<NodeInfo> entry(const std::string& name) const;
    // A new file created exclusively with owner-only permissions, named `prefix` and
    // random characters; returns its descriptor (-1 on failure) and sets `name`.
    int createTempFile(const std::string& prefix, std::string& name) const;
    // A new link holding `target`, under a fresh name beginning with `prefix`.
    bool createTempLink(const std::string& target, const std::string& prefix, std::string& name) const;
    // Replaces `to` (whatever it is, except a folder) by `from` in one step.
    bool rename(const std::string& from, const std::string& to) const;
    bool remove(const std::string& name) const;
    // The text of the link `name`, nullopt when it is not a link.
    std::optional<std::string> readLink(const std::string& name) const;
    // Modification time of the entry itself (a link is not followed).
    bool setEntryTime(const std::string& name, FileTime lastWrite) const;

private:
    explicit DirHandle(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Operations on an open file's descriptor.
// Writes all of `data`; false on any failure (disk full, file-size limit, ...).
bool writeAll(int fd, const void* data, std::size_t size);
bool setDescriptorMode(int fd, std::uint32_t mode);
bool setDescriptorTime(int fd, FileTime lastWrite);
bool syncDescriptor(int fd);
// Closes it; false when the close reports a late write failure.
bool closeDescriptor(int fd);
// Permissions a newly created file gets: 0666 less the process's umask.
std::uint32_t newFileMode();

}  // namespace zb::platform
