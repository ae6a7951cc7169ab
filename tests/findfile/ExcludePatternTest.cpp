// The finder's exclusion matcher: the name walk with its "*" and "?" rules, the folder
// suffix test, and the comparison without regard to case, also beyond ASCII.
#include <gtest/gtest.h>

#include "findfile/ExcludePattern.h"

namespace zb::findfile {
namespace {

TEST(ExcludeName, LiteralNamesMatchOnlyThemselves) {
    EXPECT_TRUE(matchesExcludeName("README.TXT", "README.TXT"));
    EXPECT_FALSE(matchesExcludeName("README.TXT", "README.TX"));
    EXPECT_FALSE(matchesExcludeName("README.TX", "README.TXT"));
}

TEST(ExcludeName, StarConsumesUpToTheNextDotOfTheName) {
    EXPECT_TRUE(matchesExcludeName("ARCHIVE.ZIP", "*.ZIP"));
    EXPECT_TRUE(matchesExcludeName("A.ZIP", "*.ZIP"));
    EXPECT_TRUE(matchesExcludeName(".ZIP", "*.ZIP"));
    EXPECT_FALSE(matchesExcludeName("ARCHIVE.ZIP.BAK", "*.ZIP"));
    EXPECT_TRUE(matchesExcludeName("ARCHIVE.ZIP", "ARCH*.*"));
    EXPECT_TRUE(matchesExcludeName("ARCHIVE.ZIP", "*.Z*"));
}

TEST(ExcludeName, StarAloneMatchesOnlyNamesWithoutADot) {
    EXPECT_TRUE(matchesExcludeName("MAKEFILE", "*"));
    EXPECT_FALSE(matchesExcludeName("A.B", "*"));
    EXPECT_TRUE(matchesExcludeName("A.B", "*.*"));
    EXPECT_FALSE(matchesExcludeName("MAKEFILE", "*.*"));
}

TEST(ExcludeName, QuestionMarkStandsForOneCharacterButNotADot) {
    EXPECT_TRUE(matchesExcludeName("A1.TXT", "A?.TXT"));
    EXPECT_FALSE(matchesExcludeName("A12.TXT", "A?.TXT"));
    // At a dot of the name, "?" is passed over, so "A?.TXT" also takes "A.TXT".
    EXPECT_TRUE(matchesExcludeName("A.TXT", "A?.TXT"));
    EXPECT_TRUE(matchesExcludeName("A.TXT", "A??.TXT"));
    EXPECT_FALSE(matchesExcludeName("A.TXT", "A?TXT"));
}

TEST(ExcludeName, TrailingWildcardsOfThePatternArePassedOver) {
    EXPECT_TRUE(matchesExcludeName("LOG", "LOG*"));
    EXPECT_TRUE(matchesExcludeName("LOG", "LOG???"));
    EXPECT_TRUE(matchesExcludeName("LOG.1", "LOG.?*"));
    EXPECT_FALSE(matchesExcludeName("LOG", "LOG.*"));
}

TEST(ExcludeName, AnEmptyPatternNameMatchesEveryName) {
    EXPECT_TRUE(matchesExcludeName("ANY.THING", ""));
    EXPECT_TRUE(matchesExcludeName("X", ""));
}

TEST(ExcludeName, ANonEmptyPatternDoesNotMatchAnEmptyName) {
    EXPECT_FALSE(matchesExcludeName("", "A"));
    EXPECT_TRUE(matchesExcludeName("", "*"));
}

TEST(ExcludePattern, ComparesWithoutRegardToCase) {
    EXPECT_TRUE(matchesExcludePattern("/home/u/", "Notes.Txt", "notes.TXT"));
    EXPECT_TRUE(matchesExcludePattern("/Home/U/", "a.bak", "/home/u/*.BAK"));
    EXPECT_TRUE(matchesExcludePattern("/data/\xC3\x9C" "bung/", "x", "/DATA/\xC3\xBC" "BUNG/"));
}

TEST(ExcludeName, LettersBeyondAsciiMatchWithoutRegardToCase) {
    EXPECT_TRUE(matchesExcludeName("\xC3\x84rger.txt", "\xC3\xA4RGER.TXT"));              // Ärger / äRGER
    EXPECT_TRUE(matchesExcludeName("\xD0\x94\xD0\xB0.doc", "\xD0\xB4\xD0\x90.DOC"));  // Да / дА
    EXPECT_FALSE(matchesExcludeName("\xC3\x84rger.txt", "Arger.txt"));
}

TEST(ExcludeName, AQuestionMarkTakesOneCharacterHoweverManyBytesItHas) {
    EXPECT_TRUE(matchesExcludeName("caf\xC3\xA9.txt", "caf?.txt"));
    EXPECT_TRUE(matchesExcludeName("\xE2\x82\xAC.txt", "?.txt"));      // the euro sign, 3 bytes
    EXPECT_TRUE(matchesExcludeName("\xF0\x9F\x98\x80.txt", "?.txt"));  // 4 bytes
    EXPECT_TRUE(matchesExcludeName("caf\xC3\xA9.txt", "caf??.txt"));  // a "?" at the dot is passed over
    EXPECT_FALSE(matchesExcludeName("caf\xC3\xA9s.txt", "caf?.txt"));
}

TEST(ExcludeName, BytesThatAreNotUtf8MatchOnlyThemselvesOrAWildcard) {
    EXPECT_TRUE(matchesExcludeName("a\xFF.txt", "a\xFF.txt"));
    EXPECT_FALSE(matchesExcludeName("a\xFF.txt", "a\xFE.txt"));
    EXPECT_TRUE(matchesExcludeName("a\xFF.txt", "a?.txt"));
    EXPECT_TRUE(matchesExcludeName("a\xC3.txt", "a*.txt"));  // a lead byte without its follower
    EXPECT_FALSE(matchesExcludeName("a\xC3.txt", "a\xC3\x83.txt"));
}

TEST(ExcludePattern, APatternWithoutFolderMatchesInEveryFolder) {
    EXPECT_TRUE(matchesExcludePattern("/a/", "x.tmp", "*.tmp"));
    EXPECT_TRUE(matchesExcludePattern("/a/b/c/", "x.tmp", "*.tmp"));
    EXPECT_TRUE(matchesExcludePattern("/", "x.tmp", "*.tmp"));
}

TEST(ExcludePattern, AnAbsoluteFolderMatchesThatFolderOnly) {
    EXPECT_TRUE(matchesExcludePattern("/tmp/", "x.tmp", "/tmp/*.tmp"));
    EXPECT_FALSE(matchesExcludePattern("/tmp/sub/", "x.tmp", "/tmp/*.tmp"));
    EXPECT_FALSE(matchesExcludePattern("/", "x.tmp", "/tmp/*.tmp"));
    EXPECT_TRUE(matchesExcludePattern("/", "x.tmp", "/*.tmp"));
}

TEST(ExcludePattern, ARelativeFolderMatchesTheEndOfTheEntrysFolder) {
    EXPECT_TRUE(matchesExcludePattern("/home/u/cache/", "a.dat", "cache/*.dat"));
    EXPECT_TRUE(matchesExcludePattern("/var/cache/", "a.dat", "cache/*.dat"));
    EXPECT_FALSE(matchesExcludePattern("/home/u/cache/deeper/", "a.dat", "cache/*.dat"));
    // The comparison is by characters, as the finder always did.
    EXPECT_TRUE(matchesExcludePattern("/home/u/mycache/", "a.dat", "cache/*.dat"));
}

TEST(ExcludePattern, APatternFolderLongerThanTheEntrysFolderDoesNotMatch) {
    EXPECT_FALSE(matchesExcludePattern("/b/", "x", "/a/b/x"));
}

TEST(ExcludePattern, AFolderWithAnEmptyNameLeavesOutEverythingInIt) {
    EXPECT_TRUE(matchesExcludePattern("/data/old/", "a.txt", "/data/old/"));
    EXPECT_TRUE(matchesExcludePattern("/data/old/", "noext", "/data/old/"));
    EXPECT_FALSE(matchesExcludePattern("/data/new/", "a.txt", "/data/old/"));
}

TEST(ExcludePattern, AWildcardDriveMatchesAnyFolderAndALetterDriveNone) {
    EXPECT_TRUE(matchesExcludePattern("/tmp/", "a.tmp", "*:/tmp/*.tmp"));
    EXPECT_TRUE(matchesExcludePattern("/tmp/", "a.tmp", "?:/tmp/*.tmp"));
    EXPECT_FALSE(matchesExcludePattern("/tmp/", "a.tmp", "C:/tmp/*.tmp"));
}

TEST(ExcludePattern, WildcardsInTheFolderPartAreNotWildcards) {
    EXPECT_FALSE(matchesExcludePattern("/tmp/", "a.tmp", "/t*/*.tmp"));
    EXPECT_TRUE(matchesExcludePattern("/t*/", "a.tmp", "/t*/*.tmp"));
}

}  // namespace
}  // namespace zb::findfile
