// Expansion of include lines: plain paths are checked one by one, pattern entries are
// walked after them, so the result keeps the plain paths first and each pattern's files
// in walk order. Duplicates are left for the writer, which knows the stored names.
#include "zip/select/FileSpecExpansion.h"

#include "platform/FileSystem.h"
#include "zip/records/StoredName.h"
#include "zip/select/DirSearch.h"
#include "zip/select/WildcardMatch.h"

namespace zb::zip {

SpecKind classifySpec(const std::string& entry) {
    if (!entry.empty() && entry.back() == '/') return SpecKind::Folder;
    if (entry.find_first_of("*?<>|") != std::string::npos) return SpecKind::Pattern;
    return SpecKind::Plain;
}

bool matchesSpecList(const std::vector<std::string>& list, const std::string& path) {
    if (list.empty()) return false;
    const std::string name = fileNamePart(path);
    for (const std::string& entry : list) {
        if (entry.empty()) continue;
        const bool whole = entry.find('/') != std::string::npos;
        if (wildcardMatch(entry, whole ? path : name)) return true;
    }
    return false;
}

namespace {

// The archive's own path, and the way to tell whether a path names it.
class ArchiveIdentity {
public:
    explicit ArchiveIdentity(const std::string& zipName) {
        if (!zipName.empty()) canonical_ = canonicalOf(normalisedPath(zipName));
    }
    // Any spelling of the archive's path, or a link to it.
    bool is(const std::string& path) const { return !canonical_.empty() && canonicalOf(path) == canonical_; }
    // A file found by a walk of `start` (whose canonical form is `canonicalStart`):
    // folder links are not followed, so only the start and the file itself can be links.
    bool isWalked(const std::string& canonicalStart, const std::string& start, const FoundPath& found) const {
        if (canonical_.empty()) return false;
        if (found.isLink) return is(found.path);
        return canonicalStart.size() + (found.path.size() - start.size()) == canonical_.size() &&
               canonical_.compare(0, canonicalStart.size(), canonicalStart) == 0 &&
               canonical_.compare(canonicalStart.size(), std::string::npos, found.path, start.size()) == 0;
    }
    static std::string canonicalOf(const std::string& path) {
        std::error_code ec;
        std::string c = std::filesystem::weakly_canonical(normalisedPath(path), ec).string();
        return ec ? normalisedPath(path) : c;
    }

private:
    std::string canonical_;
};

}  // namespace

std::uint64_t FileSpecExpansion::expand(std::vector<std::string>& filesList) const {
    std::uint64_t totalBytes = 0;
    const ArchiveIdentity archive(zipName);
    std::vector<std::string> kept;
    std::vector<std::string> patterns;
    kept.reserve(filesList.size());

    for (const std::string& original : filesList) {
        switch (classifySpec(original)) {
            case SpecKind::Folder: kept.push_back(original); continue;
            case SpecKind::Pattern: patterns.push_back(original); continue;
            case SpecKind::Plain: break;
        }
        std::string path = original;
        if (path.find('/') == std::string::npos) path = rootDir + path;
        if (matchesSpecList(excludeList, path)) continue;
        const auto entry = platform::statEntry(path);
        if (!entry) {
            if (onNoSuchFile) onNoSuchFile(path);
            continue;
        }
        if (storeLinks && entry->isSymlink) {
            if (zipAction == zaFreshen && isMember && !isMember(path)) continue;
            kept.push_back(path);
            totalBytes += entry->linkSize;
            continue;
        }
        if (entry->kind == platform::EntryKind::Special) {
            if (onPathSkipped) onPathSkipped(psSpecialFile, path);
            continue;
        }
        if (entry->kind == platform::EntryKind::Directory) {
            // A folder named without its trailing "/" is still a folder: zip it as one.
            kept.push_back(path + '/');
            continue;
        }
        if (skipIfArchiveBitNotSet && !(entry->attributes & platform::faArchive)) continue;
        if (zipAction == zaFreshen && isMember && !isMember(path)) continue;
        if (archive.is(path)) continue;
        kept.push_back(path);
        totalBytes += entry->size;
    }

    for (std::string pattern : patterns) {
        bool walkRecurse = recurse;
        if (pattern.front() == '|' || pattern.front() == '>') {
            walkRecurse = pattern.front() == '>';
            pattern.erase(0, 1);
        }
        std::string folder = folderPart(pattern);
        std::string mask = fileNamePart(pattern);
        if (folder.empty()) folder = rootDir;
        if (mask == "*.*") mask = "*";
        const auto folderEntry = folder.empty() ? std::nullopt : platform::statEntry(folder);
        if (!folderEntry || folderEntry->kind != platform::EntryKind::Directory) {
            if (onPathSkipped) onPathSkipped(psFolderMissing, folder.empty() ? pattern : folder);
            continue;
        }
        if (folder.back() != '/') folder += '/';
        std::string canonicalStart = ArchiveIdentity::canonicalOf(folder);
        if (canonicalStart.back() != '/') canonicalStart += '/';
        TDirSearch search(folder, walkRecurse, mask, onPathSkipped, storeLinks);
        FoundPath found;
        while (search.next(found)) {
            if (onRecursingFile) onRecursingFile(found.path);
            if (found.isFolder) {
                if (walkRecurse && addDirEntriesOnRecurse) kept.push_back(found.path);
                continue;
            }
            if (matchesSpecList(excludeList, found.path)) continue;
            if (processMessages) processMessages();
            if (!(storeLinks && found.isLink) && archive.isWalked(canonicalStart, folder, found)) continue;
            if (skipIfArchiveBitNotSet && !(found.attributes & platform::faArchive)) continue;
            if (zipAction == zaFreshen && isMember && !isMember(found.path)) continue;
            kept.push_back(found.path);
            totalBytes += found.size;
        }
    }
    filesList = std::move(kept);
    return totalBytes;
}

}  // namespace zb::zip
