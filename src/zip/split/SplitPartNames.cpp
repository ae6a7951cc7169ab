// Names of the part files and of the directory side file of a split archive.
#include "zip/split/SplitPartNames.h"

#include <cstdio>

#include "platform/Paths.h"

namespace zb::zip {

std::string splitPartFileName(std::string_view archive, int number) {
    char ext[16];
    std::snprintf(ext, sizeof ext, ".%3.3d", number);
    return platform::changeFileExt(archive, ext);
}

std::string zipInfoFileName(std::string_view archive) { return platform::changeFileExt(archive, ".zfc"); }

}  // namespace zb::zip
