// The "Files Sort" menu: each tag sets its preference and checks its own item only; a
// tag the menu lacks changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "restore/SortMenu.h"

namespace zb::restore {
namespace {

TEST(SortMenuTest, TagsSetThePreferencesAndTheirChecks) {
    // From "by size" with no direction marked: {tag, applied, field, descending, checked items}.
    const struct {
        int tag;
        bool applied;
        int field;
        bool descending;
        std::vector<int> checked;
    } cases[] = {
        {kTagByName, true, store::kSortByName, false, {kTagByName}},
        {kTagAscending, true, store::kSortBySize, false, {kTagBySize, kTagAscending}},
        {kTagDescending, true, store::kSortBySize, true, {kTagBySize, kTagDescending}},
        {450, false, store::kSortBySize, false, {kTagBySize}},
    };
    for (const auto& c : cases) {
        store::Preferences prefs;
        prefs.sortField = store::kSortBySize;
        EXPECT_EQ(ApplySortMenuTag(prefs, c.tag), c.applied) << c.tag;
        EXPECT_EQ(prefs.sortField, c.field) << c.tag;
        EXPECT_EQ(prefs.sortDescending, c.descending) << c.tag;
        for (int tag : {kTagByName, kTagBySize, kTagByDate, kTagAscending, kTagDescending})
            EXPECT_EQ(SortMenuItemChecked(prefs, tag), std::count(c.checked.begin(), c.checked.end(), tag) == 1)
                << c.tag << " item " << tag;
    }
}

}  // namespace
}  // namespace zb::restore
