// The wildcard matcher: stars, question marks, sets, letter case and malformed
// patterns.
#include <gtest/gtest.h>

#include "zip/select/WildcardMatch.h"

namespace zb::zip {
namespace {

TEST(WildcardMatch, LoneStarMatchesEverythingEvenEmpty) {
    EXPECT_TRUE(wildcardMatch("*", ""));
    EXPECT_TRUE(wildcardMatch("*", "anything/at all"));
}

TEST(WildcardMatch, PlainTextMatchesWithoutRegardToCase) {
    EXPECT_TRUE(wildcardMatch("Readme.TXT", "readme.txt"));
    EXPECT_FALSE(wildcardMatch("readme.txt", "readme.txt2"));
    EXPECT_FALSE(wildcardMatch("readme.txt2", "readme.txt"));
    EXPECT_TRUE(wildcardMatch("", ""));
    EXPECT_FALSE(wildcardMatch("", "a"));
}

TEST(WildcardMatch, OnlyAsciiLettersAreFolded) {
    EXPECT_FALSE(wildcardMatch("Ä", "ä"));
    EXPECT_TRUE(wildcardMatch("ä?", "äB"));
}

TEST(WildcardMatch, TrailingStarTakesTheEmptyRestButNotTwoStarsOrAQuestionMark) {
    EXPECT_TRUE(wildcardMatch("abc*", "abc"));
    EXPECT_FALSE(wildcardMatch("abc?", "abc"));
    EXPECT_FALSE(wildcardMatch("abc**", "abc"));
}

TEST(WildcardMatch, StarInTheMiddle) {
    EXPECT_TRUE(wildcardMatch("a*c", "ac"));
    EXPECT_TRUE(wildcardMatch("a*c", "abbbc"));
    EXPECT_FALSE(wildcardMatch("a*c", "abcd"));
    EXPECT_TRUE(wildcardMatch("*.txt", "dir/sub/file.TXT"));
    EXPECT_TRUE(wildcardMatch("c:/data/temp/*", "c:/data/temp/a/b/c.doc"));
    EXPECT_TRUE(wildcardMatch("*a*b", "xaxxab"));
    EXPECT_FALSE(wildcardMatch("*a*b", "xaxxa"));
}

TEST(WildcardMatch, QuestionMarkTakesOneCharacterAlsoAfterAStar) {
    EXPECT_TRUE(wildcardMatch("a?c", "abc"));
    EXPECT_FALSE(wildcardMatch("a?c", "ac"));
    EXPECT_TRUE(wildcardMatch("*?", "x"));
    EXPECT_FALSE(wildcardMatch("*?", ""));
    EXPECT_TRUE(wildcardMatch("*??.doc", "ab.doc"));
    EXPECT_FALSE(wildcardMatch("*??.doc", "a.doc"));
    EXPECT_TRUE(wildcardMatch("?", "é"));  // one character, two bytes
}

TEST(WildcardMatch, ARawByteMatchesOnlyItselfNeverTheLetterOfItsNumber) {
    EXPECT_TRUE(wildcardMatch("caf\xe9", "caf\xe9"));
    EXPECT_TRUE(wildcardMatch("caf?", "caf\xe9"));
    EXPECT_FALSE(wildcardMatch("café", "caf\xe9"));  // U+00E9 against a lone 0xE9 byte
    EXPECT_FALSE(wildcardMatch("caf\xe9", "café"));
    EXPECT_FALSE(wildcardMatch("<à-ÿ>", "\xe9"));
}

TEST(WildcardMatch, SetsAndRanges) {
    EXPECT_TRUE(wildcardMatch("report<0-9>.doc", "report5.doc"));
    EXPECT_FALSE(wildcardMatch("report<0-9>.doc", "reportx.doc"));
    EXPECT_TRUE(wildcardMatch("<9-0>", "3"));  // reversed ends mean the same range
    EXPECT_TRUE(wildcardMatch("<abc>x", "bx"));
    EXPECT_TRUE(wildcardMatch("<!a-c>*", "data"));
    EXPECT_FALSE(wildcardMatch("<!a-c>*", "beta"));
    EXPECT_TRUE(wildcardMatch("<^a-c>*", "data"));
    EXPECT_TRUE(wildcardMatch("<A-C>1", "b1"));
}

TEST(WildcardMatch, MalformedSetsNeverMatch) {
    EXPECT_FALSE(wildcardMatch("<a-c", "a"));
    EXPECT_FALSE(wildcardMatch("<>", "a"));
    EXPECT_FALSE(wildcardMatch("<!>", "a"));
    EXPECT_FALSE(wildcardMatch("<a->", "a"));
    EXPECT_FALSE(wildcardMatch("x*<a-", "xa"));
}

TEST(WildcardMatch, StarBeforeASetOnlyAbsorbsMembersOfTheSet) {
    EXPECT_TRUE(wildcardMatch("*<0-9>.log", "2024.log"));
    EXPECT_FALSE(wildcardMatch("*<0-9>.log", "x2024.log"));
    EXPECT_TRUE(wildcardMatch("*<a-z>", "abc"));
    EXPECT_FALSE(wildcardMatch("*<a-z>", "ab1"));
    EXPECT_TRUE(wildcardMatch("*<!0-9>x", "abx"));
}

TEST(WildcardMatch, ManyStarsStayFast) {
    std::string text(2000, 'a');
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*b", text));
    EXPECT_TRUE(wildcardMatch("*a*a*a*a*a*a*a*a*", text));
}

}  // namespace
}  // namespace zb::zip
