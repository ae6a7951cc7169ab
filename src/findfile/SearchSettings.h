// Everything one search runs with, copied from the finder's properties when the search
// starts, so that changing a property while a search runs cannot affect it (and a
// worker thread never reads the finder's own members).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "findfile/DateBounds.h"
#include "findfile/FileAttributeSet.h"
#include "findfile/SearchTargets.h"

namespace zb::findfile {

struct SearchSettings {
    std::vector<SearchTarget> targets;
    TFileAttributes attributes;
    bool exactAttribute = false;
    bool subfolders = true;
    std::vector<std::string> excludeFiles;
    DateBounds created, modified, accessed;
    std::uint64_t sizeMin = 0;  // 0: no bound
    std::uint64_t sizeMax = 0;  // 0: no bound
    std::string containing;     // empty: no contents test
    bool ignoreCase = true;
};

}  // namespace zb::findfile
