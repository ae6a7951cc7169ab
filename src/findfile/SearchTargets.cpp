// Turns the finder's location, file name and folder-plus-mask lines into the list of
// folders a search walks, each made absolute so that the search does not depend on a
// later change of the current folder.
#include "findfile/SearchTargets.h"

#include <algorithm>
#include <filesystem>

#include "platform/Paths.h"

namespace zb::findfile {
namespace {

std::string absoluteFolder(std::string_view folder) {
    std::string full = folder.empty() ? std::filesystem::current_path().string()
                                      : platform::expandFileName(folder);
    return platform::includeTrailingSeparator(full);
}

bool isBlank(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

std::string maskForFilename(std::string_view filename) {
    if (filename.empty()) return "*.*";
    std::string mask(filename);
    if (mask.find('.') == std::string::npos) mask += ".*";
    return mask;
}

std::vector<SearchTarget> targetsFromLocation(std::string_view location, std::string_view filename) {
    const std::string mask = maskForFilename(filename);
    std::vector<SearchTarget> targets;
    std::size_t start = 0;
    do {
        const std::size_t semi = location.find(';', start);
        const std::string_view piece =
            location.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
        start = semi == std::string_view::npos ? location.size() + 1 : semi + 1;
        SearchTarget target{absoluteFolder(piece), mask};
        if (std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(std::move(target));
    } while (start < location.size());
    return targets;
}

std::vector<SearchTarget> targetsFromLines(const std::vector<std::string>& lines) {
    std::vector<SearchTarget> targets;
    for (const auto& line : lines) {
        if (isBlank(line)) continue;
        std::string mask = platform::extractFileName(line);
        if (mask.empty()) mask = "*.*";
        targets.push_back({absoluteFolder(platform::extractFilePath(line)), std::move(mask)});
    }
    return targets;
}

}  // namespace zb::findfile
