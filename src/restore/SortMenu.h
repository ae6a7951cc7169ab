// The archive list's "Files Sort" menu: its five items carry the tags 100 to 500, the
// first three choosing the column, the last two the direction. A chosen item changes
// the preferences that the list is sorted by and that are saved at exit.
#pragma once

#include "store/Preferences.h"

namespace zb::restore {

inline constexpr int kTagByName = 100;
inline constexpr int kTagBySize = 200;
inline constexpr int kTagByDate = 300;
inline constexpr int kTagAscending = 400;
inline constexpr int kTagDescending = 500;

// Applies the item with `tag`; false (and nothing changed) for a tag the menu lacks.
bool ApplySortMenuTag(store::Preferences& prefs, int tag);

// Which of the five items is checked for these preferences. No direction item is
// checked while the stored direction was never a known one.
bool SortMenuItemChecked(const store::Preferences& prefs, int tag);

}  // namespace zb::restore
