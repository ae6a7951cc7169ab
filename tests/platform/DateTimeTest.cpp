// Day numbers, the time of day as a fraction, local time and the DOS form of ZIP
// records, each checked against dates worked out by hand.
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include "TzGuard.h"

namespace zb::platform {
namespace {

DateTimeParts parts(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    DateTimeParts p;
    p.year = y; p.month = mo; p.day = d; p.hour = h; p.minute = mi; p.second = s; p.millisecond = ms;
    return p;
}

void expectParts(const DateTimeParts& p, int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    EXPECT_EQ(p.year, y); EXPECT_EQ(p.month, mo); EXPECT_EQ(p.day, d);
    EXPECT_EQ(p.hour, h); EXPECT_EQ(p.minute, mi); EXPECT_EQ(p.second, s); EXPECT_EQ(p.millisecond, ms);
}

TEST(DateTimeDays, KnownDayNumbers) {
    EXPECT_EQ(encodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(encodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(encodeDate(1970, 1, 1), 25569.0);
    EXPECT_EQ(encodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(encodeDate(2000, 3, 1), 36586.0);  // 2000 is a leap year
    EXPECT_EQ(encodeDate(1899, 12, 29), -1.0);
    EXPECT_DOUBLE_EQ(encodeTime(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(encodeTime(18, 0, 0), 0.75);
}

TEST(DateTimeDays, RoundTripAcrossTheYears) {
    for (int y : {1, 1600, 1899, 1900, 1980, 2000, 2024, 2100, 9999})
        for (int m = 1; m <= 12; ++m)
            for (int d : {1, 15, daysInMonth(y, m)}) {
                DateTime v = encodeDateTime(parts(y, m, d, 13, 59, 58, 999));
                expectParts(decodeDateTime(v), y, m, d, 13, 59, 58, 999);
            }
}

TEST(DateTimeDays, BeforeTheEpochTheFractionIsStillTheTime) {
    DateTime v = encodeDateTime(parts(1899, 12, 29, 6, 0, 0));
    EXPECT_DOUBLE_EQ(v, -1.25);
    expectParts(decodeDateTime(-1.25), 1899, 12, 29, 6, 0, 0);
}

TEST(DateTimeDays, InvalidDatesAreRefused) {
    EXPECT_THROW(encodeDate(2023, 2, 29), std::invalid_argument);
    EXPECT_NO_THROW(encodeDate(2024, 2, 29));
    EXPECT_THROW(encodeDate(1900, 2, 29), std::invalid_argument);
    EXPECT_THROW(encodeDate(2024, 13, 1), std::invalid_argument);
    EXPECT_THROW(encodeDate(2024, 4, 31), std::invalid_argument);
    EXPECT_THROW(encodeTime(24, 0, 0), std::invalid_argument);
    EXPECT_EQ(tryEncodeDateTime(parts(2024, 1, 1, 0, 60, 0)), std::nullopt);
    EXPECT_EQ(tryEncodeDateTime(parts(0, 1, 1)), std::nullopt);
}

TEST(DateTimeDays, DecodingRoundsToTheMillisecond) {
    DateTime almostMidnight = encodeDate(2024, 5, 31) + (86400000.0 - 0.2) / 86400000.0;
    expectParts(decodeDateTime(almostMidnight), 2024, 6, 1, 0, 0, 0);
    DateTime addedSeconds = encodeDate(2024, 5, 31) + encodeTime(23, 59, 0);
    for (int i = 0; i < 60; ++i) addedSeconds += 1.0 / 86400.0;
    expectParts(decodeDateTime(addedSeconds), 2024, 6, 1, 0, 0, 0);
}

TEST(DateTimeDays, DayOfWeekStartsOnSunday) {
    EXPECT_EQ(dayOfWeek(encodeDate(1899, 12, 30)), 7);  // a Saturday
    EXPECT_EQ(dayOfWeek(encodeDate(2025, 3, 7) + 0.9), 6);   // a Friday
    EXPECT_EQ(dayOfWeek(encodeDate(2024, 2, 25)), 1);  // a Sunday
    EXPECT_EQ(dayOfWeek(encodeDate(1899, 12, 25)), 2);  // a Monday, before the epoch
}

TEST(DateTimeLocal, FileTimesFollowTheZone) {
    test::TzGuard tz("UTC");
    EXPECT_DOUBLE_EQ(fileTimeToLocalDateTime({0, 0}), 25569.0);
    test::TzGuard berlin("Europe/Berlin");
    // 2024-07-01 12:00:00 UTC is 14:00 summer time in Berlin; in January it is 13:00.
    expectParts(decodeDateTime(fileTimeToLocalDateTime({1719835200, 250'000'000})), 2024, 7, 1, 14, 0, 0, 250);
    expectParts(decodeDateTime(fileTimeToLocalDateTime({1704110400, 0})), 2024, 1, 1, 13, 0, 0);
    FileTime back = localDateTimeToFileTime(encodeDateTime(parts(2024, 7, 1, 14, 0, 0, 250)));
    EXPECT_EQ(back.seconds, 1719835200);
    EXPECT_EQ(back.nanoseconds, 250'000'000);
}

TEST(DateTimeDos, PackingOfKnownValues) {
    // 2025-03-07 14:05:09 -> date (45<<9 | 3<<5 | 7), time (14<<11 | 5<<5 | 4), the odd second cut.
    std::uint32_t dos = dateTimeToDos(encodeDateTime(parts(2025, 3, 7, 14, 5, 9)));
    EXPECT_EQ(dos >> 16, (45u << 9) | (3u << 5) | 7u);
    EXPECT_EQ(dos & 0xFFFF, (14u << 11) | (5u << 5) | 4u);
    expectParts(decodeDateTime(dosToDateTime(dos)), 2025, 3, 7, 14, 5, 8);
}

TEST(DateTimeDos, RoundTripOfEverySecondOfADay) {
    for (int s = 0; s < 86400; s += 2) {
        DateTime v = encodeDateTime(parts(2024, 2, 29, s / 3600, s / 60 % 60, s % 60));
        std::uint32_t dos = dateTimeToDos(v);
        ASSERT_EQ(dateTimeToDos(dosToDateTime(dos)), dos);
        ASSERT_DOUBLE_EQ(dosToDateTime(dos), v);
    }
}

TEST(DateTimeDos, RangeIsClamped) {
    EXPECT_EQ(dateTimeToDos(encodeDate(1975, 6, 1)), 0x00210000u);  // 1980-01-01 00:00
    expectParts(decodeDateTime(dosToDateTime(dateTimeToDos(encodeDate(2200, 1, 1)))), 2107, 12, 31, 23, 59, 58);
    // A damaged record (month 0, day 0, second 31*2) still gives a date.
    expectParts(decodeDateTime(dosToDateTime(0x0000FFFFu)), 1980, 1, 1, 23, 59, 59);
    expectParts(decodeDateTime(dosToDateTime((44u << 9 | 2u << 5 | 31u) << 16)), 2024, 2, 29, 0, 0, 0);
}

TEST(DateTimeDos, FileTimesInLocalTime) {
    test::TzGuard tz("America/New_York");
    // 2024-07-01 16:00:00 UTC is 12:00 in New York (summer time).
    std::uint32_t dos = fileTimeToDos({1719849600, 0});
    expectParts(decodeDateTime(dosToDateTime(dos)), 2024, 7, 1, 12, 0, 0);
    EXPECT_EQ(dosToFileTime(dos).seconds, 1719849600);
    EXPECT_EQ(fileTimeToDos({0, 0}), 0x00210000u);  // 1969 in New York: before the DOS range
}

TEST(DateTimeClock, ManualClockMoves) {
    ManualClock clock(encodeDate(2025, 12, 31) + encodeTime(23, 59, 59));
    clock.advanceSeconds(1);
    expectParts(decodeDateTime(clock.now()), 2026, 1, 1, 0, 0, 0);
    clock.set(1.5);
    EXPECT_EQ(clock.now(), 1.5);
}

TEST(DateTimeClock, SystemClockIsNow) {
    test::TzGuard tz("UTC");
    SystemClock clock;
    DateTime expected = 25569.0 + double(std::time(nullptr)) / 86400.0;
    EXPECT_NEAR(clock.now(), expected, 5.0 / 86400.0);
}

}  // namespace
}  // namespace zb::platform
