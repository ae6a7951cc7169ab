// The file system as the program sees it: one folder's entries with attributes, 64-bit
// size and the three times; the attribute mapping of the program's Windows origin
// (read-only = no owner write permission, hidden = name begins with ".", archive on
// every regular file, system never); and the small file operations the engine needs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace zb::platform {

// Attribute bits with the values of the program's origin.
enum FileAttribute : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeId = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
};

enum class EntryKind { File, Directory, Special };  // Special: FIFO, socket, device, dangling link

struct FileEntry {
    std::string name;            // name only, no folder
    EntryKind kind = EntryKind::File;
    bool isSymlink = false;      // the entry itself is a link (to a file or a folder)
    std::uint64_t linkSize = 0;  // for a link: the length of its own text
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;  // FileAttribute bits
    FileTime creationTime;       // birth time where recorded (statx), else status change
    FileTime lastAccessTime;
    FileTime lastWriteTime;
    std::uint32_t dosTime = 0;   // lastWriteTime in DOS form, local time
};

// The entry for one path (a link to a file reads as the file it names; a link to a
// folder as a Directory with isSymlink set). nullopt when it does not exist.
std::optional<FileEntry> statEntry(const std::filesystem::path& path);

// Every entry of a folder except "." and "..", in the order the system gives them,
// whose name matches `mask` (Windows find-first rules: "*" and "?", without regard to
// case, "*.*" matches every name, "name.*" also matches "name"; an empty mask matches
// nothing). A link is described as statEntry() describes it; an entry that vanishes
// while the folder is read is left out. Throws std::filesystem::filesystem_error when
// the folder cannot be read.
std::vector<FileEntry> listFolder(const std::filesystem::path& folder, std::string_view mask = "*");

// Windows find-mask match of one name (see listFolder).
bool matchesFindMask(std::string_view name, std::string_view mask);

std::uint32_t fileAttributes(const std::filesystem::path& path);  // 0xFFFFFFFF when missing
// Only faReadOnly has an effect here: set, it takes every write permission away; clear,
// it gives the owner write permission back. false when the file is missing or refuses.
bool setFileAttributes(const std::filesystem::path& path, std::uint32_t attributes);
bool setFileTimes(const std::filesystem::path& path, FileTime lastWrite, std::optional<FileTime> lastAccess = {});

// Free bytes for an unprivileged writer in the folder that holds `path`.
std::uint64_t freeSpace(const std::filesystem::path& folder);

// A new, empty file with a unique name in `folder` (created exclusively, mode 0600),
// e.g. for the temporary copy of an archive during an update. The name is `prefix`,
// eight random characters and ".tmp". Throws std::filesystem::filesystem_error.
std::filesystem::path createTempFile(const std::filesystem::path& folder, std::string_view prefix);
std::filesystem::path tempFolder();  // $TMPDIR, else /tmp

}  // namespace zb::platform
