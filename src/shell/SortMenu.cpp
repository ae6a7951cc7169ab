// The archive list's sort menu. See SortMenu.h.
#include "shell/SortMenu.h"

namespace zb::shell {

bool applySortTag(store::Preferences& prefs, int tag) {
    switch (tag) {
        case kTagByName: prefs.sortField = store::kSortByName; return true;
        case kTagBySize: prefs.sortField = store::kSortBySize; return true;
        case kTagByDate: prefs.sortField = store::kSortByDate; return true;
        case kTagAscending:
        case kTagDescending:
            prefs.sortDescending = tag == kTagDescending;
            prefs.sortDirectionMarked = true;
            return true;
        default: return false;
    }
}

bool sortItemChecked(const store::Preferences& prefs, int tag) {
    switch (tag) {
        case kTagByName: return prefs.sortField == store::kSortByName;
        case kTagBySize: return prefs.sortField == store::kSortBySize;
        case kTagByDate: return prefs.sortField == store::kSortByDate;
        case kTagAscending: return prefs.sortDirectionMarked && !prefs.sortDescending;
        case kTagDescending: return prefs.sortDirectionMarked && prefs.sortDescending;
        default: return false;
    }
}

}  // namespace zb::shell
