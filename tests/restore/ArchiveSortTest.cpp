// Sorting the archive list: names and sizes as text with case, dates as times, both
// directions, and the exchange of equal rows when sorting downwards.
#include <gtest/gtest.h>

#include "support/FixedFormats.h"
#include "platform/DateFormat.h"
#include "restore/ArchiveSort.h"

namespace zb::restore {
namespace {

class ArchiveSortTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
    }
    static std::vector<std::string> names(const ArchiveRows& rows) {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.Filename);
        return out;
    }
    // b.zip: 3 KB, newest; A.zip: 20 KB, oldest; c.zip in between.
    ArchiveRows rows{{"b.zip", "3", "02/03/2024 10:00:00"},
                     {"A.zip", "20", "09/12/2023 08:30:00"},
                     {"c.zip", "100", "15/01/2024 23:59:58"}};
};

TEST_F(ArchiveSortTest, ByNameAscendingPutsCapitalsFirst) {
    SortArchiveList(rows, SortColumn::Name, false);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"A.zip", "b.zip", "c.zip"}));
    SortArchiveList(rows, SortColumn::Name, true);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"c.zip", "b.zip", "A.zip"}));
}

TEST_F(ArchiveSortTest, BySizeComparesTheTextNotTheNumber) {
    SortArchiveList(rows, SortColumn::Size, false);
    // "100" < "20" < "3"
    EXPECT_EQ(names(rows), (std::vector<std::string>{"c.zip", "A.zip", "b.zip"}));
    SortArchiveList(rows, SortColumn::Size, true);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"b.zip", "A.zip", "c.zip"}));
}

TEST_F(ArchiveSortTest, ByDateComparesTimesNotText) {
    // As text "02/03/2024" would sort before "09/12/2023".
    SortArchiveList(rows, SortColumn::Date, false);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"A.zip", "c.zip", "b.zip"}));
    SortArchiveList(rows, SortColumn::Date, true);
    EXPECT_EQ(names(rows), (std::vector<std::string>{"b.zip", "c.zip", "A.zip"}));
}

TEST_F(ArchiveSortTest, DescendingExchangesEqualRows) {
    ArchiveRows equal{{"x.zip", "5", "01/01/2024 00:00:02"}, {"y.zip", "5", "01/01/2024 00:00:02"}};
    SortArchiveList(equal, SortColumn::Size, true);
    EXPECT_EQ(names(equal), (std::vector<std::string>{"y.zip", "x.zip"}));
    SortArchiveList(equal, SortColumn::Size, false);  // ascending keeps them
    EXPECT_EQ(names(equal), (std::vector<std::string>{"y.zip", "x.zip"}));
}

TEST_F(ArchiveSortTest, EmptyListOrEmptyFirstNameIsLeftAlone) {
    ArchiveRows none;
    SortArchiveList(none, SortColumn::Name, false);
    EXPECT_TRUE(none.empty());
    ArchiveRows blank{{"", "", ""}, {"a.zip", "1", ""}};
    SortArchiveList(blank, SortColumn::Name, true);
    EXPECT_EQ(names(blank), (std::vector<std::string>{"", "a.zip"}));
}

TEST_F(ArchiveSortTest, ManyRowsEndInOrder) {
    ArchiveRows many;
    for (int i = 0; i < 40; ++i) many.push_back({"f" + std::to_string((i * 17) % 40) + ".zip", "", ""});
    SortArchiveList(many, SortColumn::Name, false);
    for (std::size_t i = 1; i < many.size(); ++i) EXPECT_LE(many[i - 1].Filename, many[i].Filename);
    SortArchiveList(many, SortColumn::Name, true);
    for (std::size_t i = 1; i < many.size(); ++i) EXPECT_GE(many[i - 1].Filename, many[i].Filename);
}

}  // namespace
}  // namespace zb::restore
