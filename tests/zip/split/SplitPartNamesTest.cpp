// Names of the part files and of the ".zfc" side file.
#include <gtest/gtest.h>

#include "zip/split/SplitPartNames.h"

using namespace zb::zip;

TEST(SplitPartNames, ExtensionBecomesThreeDigitPartNumber) {
    EXPECT_EQ(splitPartFileName("/data/backup.zip", 1), "/data/backup.001");
    EXPECT_EQ(splitPartFileName("/data/backup.zip", 12), "/data/backup.012");
    EXPECT_EQ(splitPartFileName("/data/backup.zip", 999), "/data/backup.999");
}

TEST(SplitPartNames, NumbersBeyondThreeDigitsKeepAllDigits) {
    EXPECT_EQ(splitPartFileName("/data/backup.zip", 1000), "/data/backup.1000");
}

TEST(SplitPartNames, NameWithoutExtensionGetsOne) {
    EXPECT_EQ(splitPartFileName("/data/backup", 2), "/data/backup.002");
    // A dot in a folder name is no extension.
    EXPECT_EQ(splitPartFileName("/data.old/backup", 3), "/data.old/backup.003");
}

TEST(SplitPartNames, OnlyTheLastExtensionIsReplaced) {
    EXPECT_EQ(splitPartFileName("/data/backup.tar.zip", 1), "/data/backup.tar.001");
    // A part's own name maps onto its siblings.
    EXPECT_EQ(splitPartFileName("/data/backup.007", 1), "/data/backup.001");
}

TEST(SplitPartNames, ZipInfoFileSitsBesideTheArchive) {
    EXPECT_EQ(zipInfoFileName("/data/backup.zip"), "/data/backup.zfc");
    EXPECT_EQ(zipInfoFileName("/data/backup.003"), "/data/backup.zfc");
    EXPECT_EQ(zipInfoFileName("/data/backup"), "/data/backup.zfc");
}
