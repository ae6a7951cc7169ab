// A record of every entry below a folder, seen without following links (inode, type,
// size, mode, modification time and the content of files), so that a test can prove
// that a run changed nothing there.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/TempDir.h"

namespace zb::test {

struct EntryState {
    ino_t inode = 0;
    mode_t mode = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    std::string content;  // files: their bytes; links: their text
    bool operator==(const EntryState&) const = default;
};

using TreeSnapshot = std::map<std::string, EntryState>;

// Every entry below `root` (and `root` itself), leaving out the subtree `except`.
inline TreeSnapshot snapshotTree(const std::filesystem::path& root, const std::filesystem::path& except = {}) {
    namespace fs = std::filesystem;
    TreeSnapshot out;
    auto record = [&](const fs::path& p) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) return;
        EntryState e{st.st_ino, st.st_mode, st.st_size, std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     {}};
        if (S_ISREG(st.st_mode)) e.content = readFile(p);
        if (S_ISLNK(st.st_mode)) e.content = fs::read_symlink(p).string();
        out[p.string()] = e;
    };
    record(root);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (!except.empty() && it->path() == except) {
            it.disable_recursion_pending();
            continue;
        }
        record(it->path());
    }
    return out;
}

}  // namespace zb::test
