// Exclusion matching of the finder. Folders are compared by their final characters, so
// a pattern folder such as "cache/" leaves out matching names in every folder whose
// path ends that way, and an absolute one such as "/tmp/" only in that folder.
#include "findfile/ExcludePattern.h"

#include <string>

#include "platform/Paths.h"

namespace zb::findfile {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return out;
}

bool folderMatches(std::string_view entryFolder, std::string_view patternFolder) {
    // A drive at the front of the pattern: there are no drives here, so only a drive
    // given as a wildcard ("*:" or "?:") can match, and it matches any entry.
    if (patternFolder.size() >= 2 && patternFolder[1] == ':') {
        if (patternFolder[0] != '*' && patternFolder[0] != '?') return false;
        patternFolder.remove_prefix(2);
    }
    // The root "/" belongs to the entry's folder text itself, so the pattern folder may
    // be as long as the whole of it.
    if (entryFolder.size() < patternFolder.size()) return false;
    return entryFolder.substr(entryFolder.size() - patternFolder.size()) == patternFolder;
}

}  // namespace

bool matchesExcludeName(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return true;
    std::size_t i = 0, j = 0;
    while (i < name.size() && j < pattern.size()) {
        const char c = name[i];
        const char p = pattern[j];
        if (c == p || (p == '?' && c != '.')) {
            ++i;
            ++j;
        } else if (c == '.') {
            if (p == '?') {
                ++j;
            } else if (p == '*') {
                const auto dot = pattern.find('.', j);
                j = dot == std::string_view::npos ? pattern.size() : dot;
            } else {
                return false;
            }
        } else if (p == '*') {
            ++i;
        } else {
            return false;
        }
    }
    while (j < pattern.size() && (pattern[j] == '*' || pattern[j] == '?')) ++j;
    return i == name.size() && j == pattern.size();
}

bool matchesExcludePattern(std::string_view folder, std::string_view name, std::string_view pattern) {
    const std::string p = upper(pattern);
    const auto slash = p.rfind(platform::kPathSeparator);
    const std::string_view patternFolder =
        slash == std::string::npos ? std::string_view() : std::string_view(p).substr(0, slash + 1);
    const std::string_view patternName =
        slash == std::string::npos ? std::string_view(p) : std::string_view(p).substr(slash + 1);
    if (!patternFolder.empty() && !folderMatches(upper(folder), patternFolder)) return false;
    return matchesExcludeName(upper(name), patternName);
}

}  // namespace zb::findfile
