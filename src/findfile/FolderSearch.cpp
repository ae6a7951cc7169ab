// Walks the folders of a search. A folder is listed once, and that listing serves both
// the mask test of its entries and the choice of subfolders. Links to folders are
// reported like any entry but never entered, so a link back up the tree cannot make
// the walk endless. A folder that cannot be listed (gone, or not readable) has no
// entries; it does not end the search.
#include "findfile/FolderSearch.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Paths.h"

namespace zb::findfile {

FolderSearch::FolderSearch(const SearchSettings& settings, Callbacks callbacks, const std::atomic<bool>& stop)
    : settings_(settings), callbacks_(std::move(callbacks)), stop_(stop), filter_(settings) {}

std::string FolderSearch::reportedFolder(const std::string& folder) {
    return platform::excludeTrailingSeparator(folder);
}

void FolderSearch::run() {
    for (const auto& target : settings_.targets) {
        if (stopped()) return;
        searchFolder(target.folder, target.mask);
    }
}

void FolderSearch::searchFolder(const std::string& folder, const std::string& mask) {
    if (stopped()) return;
    const std::string reported = reportedFolder(folder);
    if (callbacks_.newFolder && callbacks_.newFolder(reported)) return;

    std::vector<platform::FileEntry> entries;
    try {
        entries = platform::listFolder(folder, "*");
    } catch (const std::system_error&) {
        return;
    }

    for (const auto& entry : entries) {
        if (stopped()) return;
        if (!platform::matchesFindMask(entry.name, mask)) continue;
        const FilterResult result = filter_.test(folder, entry, &stop_);
        if (result == FilterResult::Stopped) return;
        if (result == FilterResult::Match && callbacks_.found) callbacks_.found(reported, entry);
    }

    if (!settings_.subfolders) return;
    for (const auto& entry : entries) {
        if (stopped()) return;
        if (entry.kind != platform::EntryKind::Directory || entry.isSymlink) continue;
        searchFolder(folder + entry.name + platform::kPathSeparator, mask);
    }
}

}  // namespace zb::findfile
