// The "Files Sort" menu of the archive list: five radio items in two groups, told
// apart by their tags, and the marks they show. Before the preferences are read "By
// name" is marked and no direction is; a stored "Sort" the program does not know keeps
// that state (sorting ascending, closing then writes "Sort" 1).
#pragma once

#include "store/Preferences.h"

namespace zb::shell {

// The items' tags.
enum SortMenuTag : int {
    kTagByName = 100,
    kTagBySize = 200,
    kTagByDate = 300,
    kTagAscending = 400,
    kTagDescending = 500,
};

// A click on an item (PopupmenuAscClick): marks it, sets SortField (100, 200, 300) or
// SortDescending (400, 500). False for a tag the menu does not have (nothing changes).
// The window then sorts the list with the preferences' field and direction.
bool applySortTag(store::Preferences& prefs, int tag);

// Whether the item of a tag shows its mark.
bool sortItemChecked(const store::Preferences& prefs, int tag);

}  // namespace zb::shell
