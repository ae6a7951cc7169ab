// The folder walk behind pattern entries such as "/home/me/docs/*.txt": it lists one
// folder, or a whole tree depth first, and hands back each matching file with its size
// and, when recursing, each folder it enters. It never opens anything: special files
// (FIFOs, sockets, devices, links that lead nowhere) and links to folders are reported
// and left out, so a walk can neither block nor loop, and it has no depth limit. A walk
// that keeps links hands back every link whose name the mask takes as a path of its
// own, a link to a folder or to nothing included, and enters none.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "zip/PathSkipReason.h"

namespace zb::zip {

// One folder level of a walk: the folder (with a trailing "/") and its entries.
struct TSearchData {
    std::string folder;
    std::vector<platform::FileEntry> entries;
    std::size_t current = 0;  // index of the entry to look at next

    bool exhausted() const { return current >= entries.size(); }
};

// What one step of the walk found.
struct FoundPath {
    std::string path;  // folder + name; a folder ends in "/"
    bool isFolder = false;
    bool isLink = false;     // a link: to a file, or, when links are kept, to anything
    std::uint64_t size = 0;  // of the file, or of a kept link's text
    std::uint32_t attributes = 0;
    std::uint32_t dosTime = 0;
};

class TDirSearch {
public:
    using SkipHandler = std::function<void(TPathSkipReason, const std::string&)>;

    // `startFolder` with or without a trailing "/"; `mask` is matched against each file
    // name without regard to case ("*." selects files without extension).
    TDirSearch(const std::string& startFolder, bool recurse, std::string mask, SkipHandler onSkip = {},
               bool keepLinks = false);

    // The next path in depth-first order; false once the walk is over.
    bool next(FoundPath& found);

    // Whether `name` is taken by `mask`, with the extension rule of the walk.
    static bool maskMatches(const std::string& mask, const std::string& name);

private:
    void openLevel(const std::string& folder);

    std::vector<TSearchData> levels_;
    std::string mask_;
    bool recurse_;
    SkipHandler onSkip_;
    bool keepLinks_;
};

}  // namespace zb::zip
