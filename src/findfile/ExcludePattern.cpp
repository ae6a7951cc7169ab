// Exclusion matching of the finder. Folders are compared by their final characters, so
// a pattern folder such as "cache/" leaves out matching names in every folder whose
// path ends that way, and an absolute one such as "/tmp/" only in that folder. Both
// sides are compared as folded code points, so "?" takes one character however many
// bytes it has, and letters match without regard to case as in every mask of the
// program.
#include "findfile/ExcludePattern.h"

#include <string>

#include "platform/Paths.h"
#include "platform/TextCase.h"

namespace zb::findfile {
namespace {

using Text = std::u32string_view;

bool folderMatches(Text entryFolder, Text patternFolder) {
    // A drive at the front of the pattern: there are no drives here, so only a drive
    // given as a wildcard ("*:" or "?:") can match, and it matches any entry.
    if (patternFolder.size() >= 2 && patternFolder[1] == U':') {
        if (patternFolder[0] != U'*' && patternFolder[0] != U'?') return false;
        patternFolder.remove_prefix(2);
    }
    // The root "/" belongs to the entry's folder text itself, so the pattern folder may
    // be as long as the whole of it.
    if (entryFolder.size() < patternFolder.size()) return false;
    return entryFolder.substr(entryFolder.size() - patternFolder.size()) == patternFolder;
}

bool namesMatch(Text name, Text pattern) {
    if (pattern.empty()) return true;
    std::size_t i = 0, j = 0;
    while (i < name.size() && j < pattern.size()) {
        const char32_t c = name[i];
        const char32_t p = pattern[j];
        if (c == p || (p == U'?' && c != U'.')) {
            ++i;
            ++j;
        } else if (c == U'.') {
            if (p == U'?') {
                ++j;
            } else if (p == U'*') {
                const auto dot = pattern.find(U'.', j);
                j = dot == Text::npos ? pattern.size() : dot;
            } else {
                return false;
            }
        } else if (p == U'*') {
            ++i;
        } else {
            return false;
        }
    }
    while (j < pattern.size() && (pattern[j] == U'*' || pattern[j] == U'?')) ++j;
    return i == name.size() && j == pattern.size();
}

}  // namespace

bool matchesExcludeName(std::string_view name, std::string_view pattern) {
    return namesMatch(platform::foldedCodePoints(name), platform::foldedCodePoints(pattern));
}

bool matchesExcludePattern(std::string_view folder, std::string_view name, std::string_view pattern) {
    const auto slash = pattern.rfind(platform::kPathSeparator);
    if (slash != std::string_view::npos &&
        !folderMatches(platform::foldedCodePoints(folder), platform::foldedCodePoints(pattern.substr(0, slash + 1))))
        return false;
    return matchesExcludeName(name, slash == std::string_view::npos ? pattern : pattern.substr(slash + 1));
}

}  // namespace zb::findfile
