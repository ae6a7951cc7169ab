// One line of the archive list of a folder, as the list shows it: the file name, the
// size in whole kilobytes and the last-write time, each as the text of its column.
#pragma once

#include <string>
#include <vector>

namespace zb::restore {

struct ArchiveRow {
    std::string Filename;
    std::string SizeKb;  // bytes / 1024, fraction dropped, in decimal
    std::string Date;    // short date, a blank, long time
};

using ArchiveRows = std::vector<ArchiveRow>;

// The columns the list can be sorted by, with the values of the "By Field" preference.
enum class SortColumn { Name = 0, Size = 1, Date = 2 };

}  // namespace zb::restore
