// Where a member is written: the destination folder, the member's stored folder when
// folders are recreated (less the RootDir prefix), and its file name. Also the test
// that keeps every write inside the destination: a stored name with a ".." step, an
// absolute path, a drive letter or a NUL byte is never turned into a path.
#pragma once

#include <string>
#include <string_view>

namespace zb::zip {

// True when the name must not be used as a path below the destination.
bool unsafeMemberName(std::string_view storedName);

// The folder (with a trailing "/", or empty for the current folder) that receives a
// member whose stored folder is `directory`.
std::string extractFolder(const std::string& destDir, const std::string& rootDir, bool recreateDirs,
                          const std::string& directory);

}  // namespace zb::zip
