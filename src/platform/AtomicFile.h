// Replacing a file's whole content in one step, so that a crash leaves either the old
// file or the new one, never half of either: the content goes to a temporary file in
// the same folder, is flushed to the disk, gets the old file's mode (or the mode
// given for a new file) and is renamed over the old one. Through a link, the link's
// target is what is replaced, and the link stays.
#pragma once

#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace zb::platform {

// The file a path finally names when its links are followed (the path itself when it
// is no link). A link that leads nowhere gives the path it leads to.
std::filesystem::path resolveLinks(const std::filesystem::path& path);

// Refuses (returns false, errno set) when the existing file may not be written: no write
// permission for this process, or no write permission for the owner (the file's
// read-only attribute, which holds even for the administrator). A missing file is
// writable as far as this check goes.
bool mayWriteFile(const std::filesystem::path& target);

// Writes `content` as the new content of `path`. Returns false with errno set, and
// leaves the disk as it was, when the file or its folder refuses the write.
bool replaceFileAtomically(const std::filesystem::path& path, std::string_view content,
                           mode_t modeOfNewFile);

}  // namespace zb::platform
