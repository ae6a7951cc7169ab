// The date filter: whole-day bounds compare dates, bounds below one day compare times
// of day, other bounds the full value; both ends inclusive, 0 for no bound.
#include <gtest/gtest.h>

#include "findfile/DateBounds.h"
#include "platform/DateTime.h"

namespace zb::findfile {
namespace {

using platform::encodeDate;
using platform::encodeTime;

const platform::DateTime kDay = encodeDate(2024, 3, 15);

TEST(DateBounds, NoBoundAdmitsEverything) {
    DateBounds b;
    EXPECT_FALSE(b.active());
    EXPECT_TRUE(b.admits(kDay + encodeTime(13, 0, 0)));
    EXPECT_TRUE(b.admits(0));
}

TEST(DateBounds, AMidnightBeforeBoundTakesInTheWholeDay) {
    DateBounds b;
    b.before = kDay;
    EXPECT_TRUE(b.active());
    EXPECT_TRUE(b.admits(kDay));
    EXPECT_TRUE(b.admits(kDay + encodeTime(23, 59, 59, 999)));
    EXPECT_TRUE(b.admits(kDay - 1 + encodeTime(8, 0, 0)));
    EXPECT_FALSE(b.admits(kDay + 1));
}

TEST(DateBounds, AMidnightAfterBoundStartsAtTheBeginningOfTheDay) {
    DateBounds b;
    b.after = kDay;
    EXPECT_TRUE(b.admits(kDay));
    EXPECT_TRUE(b.admits(kDay + encodeTime(0, 0, 1)));
    EXPECT_FALSE(b.admits(kDay - encodeTime(0, 0, 1)));
}

TEST(DateBounds, ATimeOnlyBoundComparesTheTimeOfDayOnAnyDate) {
    DateBounds b;
    b.after = encodeTime(9, 0, 0);
    b.before = encodeTime(17, 0, 0);
    EXPECT_TRUE(b.admits(kDay + encodeTime(9, 0, 0)));
    EXPECT_TRUE(b.admits(kDay + encodeTime(17, 0, 0)));
    EXPECT_TRUE(b.admits(kDay - 400 + encodeTime(12, 30, 0)));
    EXPECT_FALSE(b.admits(kDay + encodeTime(8, 59, 59)));
    EXPECT_FALSE(b.admits(kDay + encodeTime(17, 0, 1)));
    EXPECT_FALSE(b.admits(kDay));
}

TEST(DateBounds, AFullBoundComparesDateAndTime) {
    DateBounds b;
    b.before = kDay + encodeTime(12, 0, 0);
    EXPECT_TRUE(b.admits(kDay + encodeTime(12, 0, 0)));
    EXPECT_TRUE(b.admits(kDay - 1 + encodeTime(18, 0, 0)));
    EXPECT_FALSE(b.admits(kDay + encodeTime(12, 0, 1)));

    DateBounds a;
    a.after = kDay + encodeTime(12, 0, 0);
    EXPECT_TRUE(a.admits(kDay + encodeTime(12, 0, 0)));
    EXPECT_FALSE(a.admits(kDay + encodeTime(11, 59, 59)));
    EXPECT_TRUE(a.admits(kDay + 1 + encodeTime(1, 0, 0)));
}

TEST(DateBounds, EachEndUsesItsOwnKindOfComparison) {
    DateBounds b;
    b.after = kDay + encodeTime(6, 0, 0);  // full
    b.before = kDay;                        // date only
    EXPECT_TRUE(b.admits(kDay + encodeTime(22, 0, 0)));
    EXPECT_FALSE(b.admits(kDay + encodeTime(5, 0, 0)));
    EXPECT_FALSE(b.admits(kDay + 1 + encodeTime(7, 0, 0)));
}

TEST(DateBounds, AnEmptyRangeAdmitsNothing) {
    DateBounds b;
    b.after = kDay + 1;
    b.before = kDay;
    EXPECT_FALSE(b.admits(kDay));
    EXPECT_FALSE(b.admits(kDay + 1));
}

}  // namespace
}  // namespace zb::findfile
