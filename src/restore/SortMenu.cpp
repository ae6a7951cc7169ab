// The sort menu's tags and the preferences they set. See SortMenu.h.
#include "restore/SortMenu.h"

namespace zb::restore {

bool ApplySortMenuTag(store::Preferences& prefs, int tag) {
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

bool SortMenuItemChecked(const store::Preferences& prefs, int tag) {
    switch (tag) {
        case kTagByName: return prefs.sortField == store::kSortByName;
        case kTagBySize: return prefs.sortField == store::kSortBySize;
        case kTagByDate: return prefs.sortField == store::kSortByDate;
        case kTagAscending: return prefs.sortDirectionMarked && !prefs.sortDescending;
        case kTagDescending: return prefs.sortDirectionMarked && prefs.sortDescending;
        default: return false;
    }
}

}  // namespace zb::restore
