// Target paths of extracted members.
#include "zip/extract/ExtractPath.h"

namespace zb::zip {

bool unsafeMemberName(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) return true;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return true;
    if (name.size() >= 2 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

std::string extractFolder(const std::string& destDir, const std::string& rootDir, bool recreateDirs,
                          const std::string& directory) {
    std::string base;
    if (destDir == "/")
        base = "/";
    else if (!destDir.empty())
        base = destDir + "/";
    if (!recreateDirs || directory.empty()) return base;
    std::string folder = directory;
    if (!rootDir.empty() && folder.compare(0, rootDir.size(), rootDir) == 0) folder.erase(0, rootDir.size());
    // What is left is relative (unsafe names never get here); strip stray leading
    // separators so that it stays below the destination.
    std::size_t lead = folder.find_first_not_of('/');
    folder.erase(0, lead == std::string::npos ? folder.size() : lead);
    return base + folder;
}

}  // namespace zb::zip
