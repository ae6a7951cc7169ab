// Archive naming: folder separator, trimming, the three suffixes, zero fill and the
// date suffix taken from the clock.
#include <gtest/gtest.h>

#include "backup/ArchiveName.h"
#include "platform/DateTime.h"

using namespace zb;
using namespace zb::backup;

namespace {

const platform::ManualClock& fixedClock() {
    static const platform::ManualClock clock(platform::encodeDateTime({2025, 3, 7, 14, 5, 9, 0}));
    return clock;
}

ArchiveNameInputs numbered(int number) {
    ArchiveNameInputs in;
    in.savePath = "/srv/Backup";
    in.prefix = "docs";
    in.suffix = ArchiveSuffix::Number;
    in.number = number;
    return in;
}

std::string nameAt(const platform::DateTimeParts& when, ArchiveNameInputs in) {
    const platform::ManualClock clock(platform::encodeDateTime(when));
    return UpdateArchiveName(in, clock);
}

}  // namespace

TEST(ArchiveName, NumberWithoutZeroFill) {
    EXPECT_EQ(UpdateArchiveName(numbered(7), fixedClock()), "/srv/Backup/docs7.zip");
}

TEST(ArchiveName, ZeroFillUpToTheWidth) {
    ArchiveNameInputs in = numbered(7);
    in.padNumber = true;
    in.numberWidth = 3;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs007.zip");
    in.numberWidth = 2;
    in.number = 123;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs123.zip");
}

TEST(ArchiveName, WidthOnlyCountsWhenZeroFillIsOn) {
    ArchiveNameInputs in = numbered(7);
    in.numberWidth = 5;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs7.zip");
    in.padNumber = true;
    in.numberWidth = 0;  // a hand-edited width, used as read
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs7.zip");
    in.numberWidth = -3;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs7.zip");
}

TEST(ArchiveName, HugeWidthStopsAtTheLongestFileName) {
    ArchiveNameInputs in = numbered(7);
    in.savePath = "";
    in.prefix = "";
    in.padNumber = true;
    in.numberWidth = 2000000000;
    const std::string name = UpdateArchiveName(in, fixedClock());
    EXPECT_EQ(name, std::string(254, '0') + "7.zip");
}

TEST(ArchiveName, FolderEndingInSeparatorGetsNoSecond) {
    ArchiveNameInputs in = numbered(7);
    in.savePath = "/srv/Backup/";
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs7.zip");
    in.savePath = "/";
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/docs7.zip");
}

TEST(ArchiveName, BlanksAroundFolderAndPrefixAreDropped) {
    ArchiveNameInputs in = numbered(7);
    in.savePath = "  /srv/Backup \t";
    in.prefix = "  docs  ";
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs7.zip");
}

TEST(ArchiveName, EmptyFolderGivesARelativeName) {
    ArchiveNameInputs in = numbered(7);
    in.savePath = "   ";
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "docs7.zip");
}

TEST(ArchiveName, EmptyPrefixGivesOnlyTheSuffix) {
    ArchiveNameInputs in = numbered(7);
    in.prefix = "";
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/7.zip");
}

TEST(ArchiveName, NoSuffix) {
    ArchiveNameInputs in = numbered(7);
    in.suffix = ArchiveSuffix::None;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs.zip");
}

TEST(ArchiveName, DateSuffixFromTheClock) {
    ArchiveNameInputs in = numbered(7);
    in.suffix = ArchiveSuffix::Date;
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), "/srv/Backup/docs03-07_14h05m09s.zip");
    EXPECT_EQ(nameAt({2024, 1, 1, 0, 0, 0, 0}, in), "/srv/Backup/docs01-01_00h00m00s.zip");
}

TEST(ArchiveName, DateSuffixHasNoYear) {
    ArchiveNameInputs in = numbered(7);
    in.suffix = ArchiveSuffix::Date;
    const std::string first = nameAt({2024, 12, 31, 23, 59, 59, 0}, in);
    EXPECT_EQ(first, "/srv/Backup/docs12-31_23h59m59s.zip");
    EXPECT_EQ(nameAt({2025, 12, 31, 23, 59, 59, 0}, in), first);
}

TEST(ArchiveName, DateSuffixFollowsTheClockWhenItMoves) {
    ArchiveNameInputs in = numbered(7);
    in.suffix = ArchiveSuffix::Date;
    platform::ManualClock clock(platform::encodeDateTime({2025, 3, 7, 14, 5, 9, 0}));
    clock.advanceSeconds(61);
    EXPECT_EQ(UpdateArchiveName(in, clock), "/srv/Backup/docs03-07_14h06m10s.zip");
}

TEST(RunningNumber, HeldWithinItsBounds) {
    EXPECT_EQ(clampRunningNumber(0), 1);
    EXPECT_EQ(clampRunningNumber(-5), 1);
    EXPECT_EQ(clampRunningNumber(1), 1);
    EXPECT_EQ(clampRunningNumber(999), 999);
    EXPECT_EQ(clampRunningNumber(1000), 1000);
    EXPECT_EQ(clampRunningNumber(1001), 1000);
    EXPECT_EQ(clampRunningNumber(1LL << 40), 1000);
}

TEST(RunningNumber, CappedNumberRepeatsTheName) {
    // After a backup with 1000 the field still shows 1000, so the next name is the same.
    ArchiveNameInputs in = numbered(1000);
    const std::string first = UpdateArchiveName(in, fixedClock());
    in.number = clampRunningNumber(static_cast<long long>(in.number) + 1);
    EXPECT_EQ(UpdateArchiveName(in, fixedClock()), first);
}
