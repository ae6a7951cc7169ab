// Maps an entry's attribute bits onto the finder's attribute set and applies the
// attribute test of the filter.
#include "findfile/FileAttributeSet.h"

#include "platform/FileSystem.h"

namespace zb::findfile {

TFileAttributes attributesOfEntry(std::uint32_t attributeBits) {
    using namespace zb::platform;
    TFileAttributes set;
    if (attributeBits & faArchive) set.include(ffArchive);
    if (attributeBits & faReadOnly) set.include(ffReadonly);
    if (attributeBits & faHidden) set.include(ffHidden);
    if (attributeBits & faSysFile) set.include(ffSystem);
    if (attributeBits & faDirectory) set.include(ffDirectory);
    return set;
}

bool passesAttributeFilter(TFileAttributes entry, TFileAttributes wanted, bool exact) {
    if (exact) return entry == wanted;
    return entry.empty() || entry.sharesAnyWith(wanted);
}

}  // namespace zb::findfile
