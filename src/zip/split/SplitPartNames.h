// The file names of a split archive on this system: the numbered part files (the
// archive's extension replaced by the part number in three digits, counted from 1)
// and the side file that keeps a copy of the set's directory (extension ".zfc").
#pragma once

#include <string>
#include <string_view>

namespace zb::zip {

// "backup.zip", 1 -> "backup.001"; numbers above 999 get as many digits as they need.
std::string splitPartFileName(std::string_view archive, int number);

// "backup.zip" -> "backup.zfc".
std::string zipInfoFileName(std::string_view archive);

}  // namespace zb::zip
