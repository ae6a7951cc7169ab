// One line of the member list of an archive: the member's file name, its size inside
// the archive (compressed, in bytes) and its folder, each as the text of its column.
#pragma once

#include <string>
#include <vector>

namespace zb::restore {

struct MemberRow {
    std::string Filename;
    std::string SizeB;  // the packed size in bytes, in decimal
    std::string Path;
};

struct MemberListing {
    std::vector<MemberRow> rows;
    std::string countLabel;  // "(Total N files)"
};

}  // namespace zb::restore
