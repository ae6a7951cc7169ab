// The table of due times computed from the stored schedule keys: the three kinds, their
// fallbacks for unreadable values, and the order and membership of the table.
#include <gtest/gtest.h>

#include "support/FixedFormats.h"
#include "backup/ScheduleTimes.h"
#include "platform/DateFormat.h"

namespace zb::backup {
namespace {

using platform::encodeDate;
using platform::encodeTime;

constexpr double kSecond = 1.0 / 86400.0;

class ScheduleTimesTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
    }
    // Wednesday, 20 March 2024, 10:00:00.
    platform::DateTime wednesday10 = encodeDate(2024, 3, 20) + encodeTime(10, 0, 0);
    platform::ManualClock clock{wednesday10};

    ScheduleEntry only(int mode, const std::string& text) {
        auto table = ComputeScheduleTimes({{"P", mode, text}}, clock);
        EXPECT_EQ(table.size(), 1u);
        return table.empty() ? ScheduleEntry{} : table[0];
    }
};

TEST_F(ScheduleTimesTest, ProjectsWithoutScheduleAreLeftOutAndOrderIsKept) {
    auto table = ComputeScheduleTimes({{"a", store::kModeNone, "09:00:00"},
                                       {"b", store::kModeEveryMinutes, "30"},
                                       {"c", store::kModeNone, ""},
                                       {"d", store::kModeDailyOnce, "08:00:00"}},
                                      clock);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].ProjectName, "b");
    EXPECT_EQ(table[1].ProjectName, "d");
    EXPECT_TRUE(ComputeScheduleTimes({{"a", store::kModeNone, ""}}, clock).empty());
    EXPECT_TRUE(ComputeScheduleTimes({}, clock).empty());
}

TEST_F(ScheduleTimesTest, DailyOnceIsTodayAtTheStoredTimeEvenWhenPassed) {
    auto e = only(store::kModeDailyOnce, "09:00:00");
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 20) + encodeTime(9, 0, 0), kSecond);
    EXPECT_DOUBLE_EQ(e.Interval, 1.0);
    e = only(store::kModeDailyOnce, "23:30:15");
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 20) + encodeTime(23, 30, 15), kSecond);
}

TEST_F(ScheduleTimesTest, DailyOnceWithUnreadableTimeFallsBackToNoon) {
    for (const char* text : {"", "abc", "25:00:00", "9 o'clock"}) {
        auto e = only(store::kModeDailyOnce, text);
        EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 20) + encodeTime(12, 0, 0), kSecond) << text;
        EXPECT_DOUBLE_EQ(e.Interval, 1.0) << text;
    }
}

TEST_F(ScheduleTimesTest, EveryNMinutesStartsAPeriodFromNow) {
    auto e = only(store::kModeEveryMinutes, "90");
    EXPECT_NEAR(e.Interval, encodeTime(1, 30, 0), kSecond);
    EXPECT_NEAR(e.NextRun, wednesday10 + encodeTime(1, 30, 0), kSecond);
    e = only(store::kModeEveryMinutes, "1439");
    EXPECT_NEAR(e.Interval, encodeTime(23, 59, 0), kSecond);
    e = only(store::kModeEveryMinutes, "2");
    EXPECT_NEAR(e.Interval, encodeTime(0, 2, 0), kSecond);
}

TEST_F(ScheduleTimesTest, EveryNMinutesFallsBackToOneHour) {
    // Not a number, a whole day or more, and periods below one minute (which would
    // start the project at every tick) all give one hour.
    for (const char* text : {"", "abc", "12x", "1440", "5000", "0", "-5", "1.5"}) {
        auto e = only(store::kModeEveryMinutes, text);
        EXPECT_NEAR(e.Interval, encodeTime(1, 0, 0), kSecond) << text;
        EXPECT_NEAR(e.NextRun, wednesday10 + encodeTime(1, 0, 0), kSecond) << text;
    }
}

TEST_F(ScheduleTimesTest, WeeklyIsTheNextMatchingDayAtNoon) {
    auto e = only(store::kModeWeekly, "Wednesday");  // today, even after noon it stays today
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 20) + encodeTime(12, 0, 0), kSecond);
    EXPECT_DOUBLE_EQ(e.Interval, 7.0);
    e = only(store::kModeWeekly, "Friday");
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 22) + encodeTime(12, 0, 0), kSecond);
    e = only(store::kModeWeekly, "Tuesday");
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 26) + encodeTime(12, 0, 0), kSecond);
    e = only(store::kModeWeekly, "Sunday");
    EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 24) + encodeTime(12, 0, 0), kSecond);
}

TEST_F(ScheduleTimesTest, WeeklyDayNameIsComparedWithCaseAndUnknownNamesAreEightDaysAhead) {
    for (const char* text : {"wednesday", "WEDNESDAY", "Mittwoch", ""}) {
        auto e = only(store::kModeWeekly, text);
        EXPECT_NEAR(e.NextRun, encodeDate(2024, 3, 28) + encodeTime(12, 0, 0), kSecond) << text;
        EXPECT_DOUBLE_EQ(e.Interval, 7.0);
    }
}

TEST_F(ScheduleTimesTest, UnknownModeIsListedButNeverDue) {
    auto e = only(7, "09:00:00");
    EXPECT_EQ(e.ProjectName, "P");
    EXPECT_GE(e.NextRun, kNeverDue);
    e = only(-1, "");
    EXPECT_GE(e.NextRun, kNeverDue);
}

TEST_F(ScheduleTimesTest, EnglishDayNames) {
    EXPECT_STREQ(EnglishDayName(encodeDate(2024, 3, 17)), "Sunday");
    EXPECT_STREQ(EnglishDayName(encodeDate(2024, 3, 23) + 0.99), "Saturday");
    EXPECT_STREQ(EnglishDayName(encodeDate(2000, 1, 1)), "Saturday");
}

}  // namespace
}  // namespace zb::backup
