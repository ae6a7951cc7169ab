// The "Files Sort" menu: each tag sets its preference and checks its own item only,
// and a tag the menu lacks changes nothing.
#include <gtest/gtest.h>

#include "restore/SortMenu.h"

namespace zb::restore {
namespace {

TEST(SortMenuTest, TagsSetThePreferencesAndTheirChecks) {
    struct Case {
        int tag;
        bool applied;
        int field;
        bool descending, marked;
        int checkedField, checkedDirection;  // 0 when no direction item is checked
    };
    // Start: by size, direction never marked.
    const Case cases[] = {
        {kTagByName, true, store::kSortByName, false, false, kTagByName, 0},
        {kTagByDate, true, store::kSortByDate, false, false, kTagByDate, 0},
        {kTagAscending, true, store::kSortBySize, false, true, kTagBySize, kTagAscending},
        {kTagDescending, true, store::kSortBySize, true, true, kTagBySize, kTagDescending},
        {450, false, store::kSortBySize, false, false, kTagBySize, 0},
    };
    for (const Case& c : cases) {
        store::Preferences prefs;
        prefs.sortField = store::kSortBySize;
        EXPECT_EQ(ApplySortMenuTag(prefs, c.tag), c.applied) << c.tag;
        EXPECT_EQ(prefs.sortField, c.field) << c.tag;
        EXPECT_EQ(prefs.sortDescending, c.descending) << c.tag;
        EXPECT_EQ(prefs.sortDirectionMarked, c.marked) << c.tag;
        for (int tag : {kTagByName, kTagBySize, kTagByDate, kTagAscending, kTagDescending})
            EXPECT_EQ(SortMenuItemChecked(prefs, tag), tag == c.checkedField || tag == c.checkedDirection)
                << c.tag << " item " << tag;
    }
}

}  // namespace
}  // namespace zb::restore
