// The finder's own test of an entry against one line of its exclusion list, without
// regard to case. A pattern with a folder part first needs that folder to end the
// entry's folder; then the names are walked together with the finder's wildcard
// rules, where "*" stops at a "." of the name: "*" alone matches only names without a
// ".", "*.*" only names with one, and an empty name part matches every name.
#pragma once

#include <string_view>

namespace zb::findfile {

// `folder` is the entry's folder with its trailing separator, `name` the entry's name.
bool matchesExcludePattern(std::string_view folder, std::string_view name, std::string_view pattern);

// The name part of the test on its own.
bool matchesExcludeName(std::string_view name, std::string_view pattern);

}  // namespace zb::findfile
