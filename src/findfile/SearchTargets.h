// What a search walks: a list of folders, each with the file mask to list in it. The
// finder builds it once when a search starts, from its location pieces and file name,
// or from its list of folder-plus-mask lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zb::findfile {

struct SearchTarget {
    std::string folder;  // absolute and normalised, with a trailing separator
    std::string mask;    // a file mask without folder

    bool operator==(const SearchTarget&) const = default;
};

// The mask searched for a file name: "*.*" for an empty one, and the name with ".*"
// appended when it holds no "." (so "readme" also finds "readme.txt").
std::string maskForFilename(std::string_view filename);

// One target per ";"-separated piece of `location` (an empty piece is the current
// folder; a trailing ";" adds no piece). A piece that names a folder already listed is
// searched once; as file names here are case-sensitive, only the same absolute,
// normalised path counts as the same folder.
std::vector<SearchTarget> targetsFromLocation(std::string_view location, std::string_view filename);

// One target per non-blank line, each a folder followed by a mask ("*.*" when the line
// ends in a separator), in the order given.
std::vector<SearchTarget> targetsFromLines(const std::vector<std::string>& lines);

}  // namespace zb::findfile
