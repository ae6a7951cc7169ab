// Applies the finder's filters to one entry. Folders skip the size and contents tests;
// special files (FIFOs, sockets, devices, links that lead nowhere) are never opened, so
// they cannot pass a contents test. A file that cannot be read does not contain the
// text: it is passed over and the search goes on.
#include "findfile/SearchFilter.h"

#include "findfile/ExcludePattern.h"

namespace zb::findfile {

SearchFilter::SearchFilter(const SearchSettings& settings) : settings_(settings) {
    if (!settings.containing.empty()) contents_.emplace(settings.containing, settings.ignoreCase);
}

bool SearchFilter::passesSize(const platform::FileEntry& entry) const {
    if (entry.kind == platform::EntryKind::Directory) return true;
    if (settings_.sizeMin != 0 && entry.size < settings_.sizeMin) return false;
    if (settings_.sizeMax != 0 && entry.size > settings_.sizeMax) return false;
    return true;
}

bool SearchFilter::passesDates(const platform::FileEntry& entry) const {
    using platform::fileTimeToLocalDateTime;
    if (settings_.created.active() && !settings_.created.admits(fileTimeToLocalDateTime(entry.creationTime)))
        return false;
    if (settings_.modified.active() && !settings_.modified.admits(fileTimeToLocalDateTime(entry.lastWriteTime)))
        return false;
    if (settings_.accessed.active() && !settings_.accessed.admits(fileTimeToLocalDateTime(entry.lastAccessTime)))
        return false;
    return true;
}

bool SearchFilter::excluded(const std::string& folder, const platform::FileEntry& entry) const {
    for (const auto& pattern : settings_.excludeFiles) {
        // A blank line of the list names nothing; it must not leave out every file.
        if (pattern.empty()) continue;
        if (matchesExcludePattern(folder, entry.name, pattern)) return true;
    }
    return false;
}

FilterResult SearchFilter::test(const std::string& folder, const platform::FileEntry& entry,
                                const std::atomic<bool>* stop) const {
    if (!passesAttributeFilter(attributesOfEntry(entry.attributes), settings_.attributes, settings_.exactAttribute))
        return FilterResult::Reject;
    if (!passesSize(entry)) return FilterResult::Reject;
    if (!passesDates(entry)) return FilterResult::Reject;
    if (excluded(folder, entry)) return FilterResult::Reject;
    if (contents_ && entry.kind != platform::EntryKind::Directory) {
        if (entry.kind == platform::EntryKind::Special) return FilterResult::Reject;
        switch (contents_->search(folder + entry.name, stop)) {
            case ContentResult::Contains: return FilterResult::Match;
            case ContentResult::Stopped: return FilterResult::Stopped;
            case ContentResult::Lacks:
            case ContentResult::Unreadable: return FilterResult::Reject;
        }
    }
    return FilterResult::Match;
}

}  // namespace zb::findfile
