// Depth-first folder walk for pattern entries. Each folder's entries are taken in name
// order so that the same tree always gives the same archive.
#include "zip/select/DirSearch.h"

#include <algorithm>

#include "zip/select/WildcardMatch.h"

namespace zb::zip {

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

TDirSearch::TDirSearch(const std::string& startFolder, bool recurse, std::string mask, SkipHandler onSkip,
                       bool keepLinks)
    : mask_(std::move(mask)), recurse_(recurse), onSkip_(std::move(onSkip)), keepLinks_(keepLinks) {
    openLevel(withSlash(startFolder));
}

void TDirSearch::openLevel(const std::string& folder) {
    TSearchData level;
    level.folder = folder;
    try {
        level.entries = platform::listFolder(folder);
    } catch (const std::exception&) {
        // An unreadable folder holds files the user asked for: say so, and go on with
        // the rest of the tree.
        if (onSkip_) onSkip_(psFolderUnreadable, folder);
        level.entries.clear();
    }
    std::sort(level.entries.begin(), level.entries.end(),
              [](const platform::FileEntry& a, const platform::FileEntry& b) { return a.name < b.name; });
    levels_.push_back(std::move(level));
}

bool TDirSearch::maskMatches(const std::string& mask, const std::string& name) {
    // A name without extension is matched with a "." behind it, so "*." selects it.
    if (name.find('.') == std::string::npos) return wildcardMatch(mask, name + '.');
    return wildcardMatch(mask, name);
}

bool TDirSearch::next(FoundPath& found) {
    while (!levels_.empty()) {
        TSearchData& level = levels_.back();
        if (level.exhausted()) {
            levels_.pop_back();  // the parent already points past this subfolder
            continue;
        }
        const platform::FileEntry& entry = level.entries[level.current++];
        const std::string path = level.folder + entry.name;
        if (keepLinks_ && entry.isSymlink) {
            if (!maskMatches(mask_, entry.name)) continue;
            found = FoundPath{path, false, true, entry.linkSize, entry.attributes, entry.dosTime};
            return true;
        }
        switch (entry.kind) {
            case platform::EntryKind::Directory:
                if (!recurse_) break;
                if (entry.isSymlink) {
                    if (onSkip_) onSkip_(psFolderLink, path);
                    break;
                }
                found = FoundPath{path + '/', true, false, 0, entry.attributes, entry.dosTime};
                openLevel(path + '/');  // invalidates `level` and `entry`
                return true;
            case platform::EntryKind::File:
                if (!maskMatches(mask_, entry.name)) break;
                found = FoundPath{path, false, entry.isSymlink, entry.size, entry.attributes, entry.dosTime};
                return true;
            case platform::EntryKind::Special:
                if (onSkip_ && maskMatches(mask_, entry.name)) onSkip_(psSpecialFile, path);
                break;
        }
    }
    return false;
}

}  // namespace zb::zip
