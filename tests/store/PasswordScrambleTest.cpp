// Password scrambling: the "#"-text form, the XOR with the project key, and passwords
// that come back unchanged whatever bytes they hold.
#include <gtest/gtest.h>

#include <string>

#include "store/PasswordScramble.h"

using namespace zb::store;

TEST(HashText, BytesBecomeHashDecimals) {
    EXPECT_EQ(BytesToHashText("abc"), "#97#98#99");
    EXPECT_EQ(BytesToHashText(std::string("\0\xff", 2)), "#0#255");
    EXPECT_EQ(BytesToHashText(""), "");
}

TEST(HashText, RunsOfDigitsBecomeBytes) {
    EXPECT_EQ(HashTextToBytes("#97#98#99"), "abc");
    EXPECT_EQ(HashTextToBytes("#0"), std::string(1, '\0'));
    EXPECT_EQ(HashTextToBytes(""), "");
    EXPECT_EQ(HashTextToBytes("no digits"), "");
}

TEST(HashText, AnyNonDigitEndsARunAndIsDropped) {
    EXPECT_EQ(HashTextToBytes("97x98"), "ab");
    EXPECT_EQ(HashTextToBytes("##97##"), "a");
    EXPECT_EQ(HashTextToBytes("#97 98"), "ab");
}

TEST(HashText, ValuesAreTakenModulo256) {
    EXPECT_EQ(HashTextToBytes("#256#300"), std::string("\0\x2c", 2));
    // A run far beyond any integer type still gives its value modulo 256.
    EXPECT_EQ(HashTextToBytes("#99999999999999999999999"), std::string(1, '\xff'));
}

TEST(ScrambleKey, TrimmedNameFollowedByItsLength) {
    EXPECT_EQ(scrambleKey("Documents"), "Documents9");
    EXPECT_EQ(scrambleKey("  mail archive  "), "mail archive12");
    // Characters, not bytes: "ü" is two bytes of UTF-8.
    EXPECT_EQ(scrambleKey("M\xc3\xbcller"), "M\xc3\xbcller6");
}

TEST(XorScramble, ReadsAPasswordStoredByTheWindowsProgram) {
    EXPECT_EQ(XorScramble("#23#10#0#7#8#17#78#4#18#74#55#79#81#69#95#81#79", "Documents9", false),
              "Secret pass 2024!");
    EXPECT_EQ(unscramblePassword("#2#13#13", "mail archive"), "old");
}

TEST(XorScramble, KeyRestartsWithEveryChunk) {
    // Key "ab": chunks of two bytes, each XORed with "a" then "b".
    const std::string out = HashTextToBytes(XorScramble("abcab", "ab", true));
    EXPECT_EQ(out, std::string("\0\0\x02\x03\x03", 5));
}

TEST(XorScramble, ByteEqualToKeyByteIsStoredAsZero) {
    EXPECT_EQ(scramblePassword("D", "Documents"), "#0");
    EXPECT_EQ(unscramblePassword("#0", "Documents"), "D");
}

TEST(XorScramble, RoundTripsLongerThanTheKey) {
    const std::string password = "a rather long password, longer than Documents9 by far!";
    const std::string stored = scramblePassword(password, "Documents");
    EXPECT_EQ(stored.front(), '#');
    EXPECT_EQ(unscramblePassword(stored, "Documents"), password);
    EXPECT_NE(unscramblePassword(stored, "Other"), password);
}

TEST(XorScramble, EveryByteValueRoundTrips) {
    std::string password;
    for (int b = 0; b < 256; ++b) password += static_cast<char>(b);
    EXPECT_EQ(unscramblePassword(scramblePassword(password, "p"), "p"), password);
}

TEST(XorScramble, PasswordBeginningWithHashComesBackUnchanged) {
    for (const std::string password : {"#", "#abc", "#97#98", "##", "#0"}) {
        EXPECT_EQ(unscramblePassword(scramblePassword(password, "Documents"), "Documents"), password) << password;
    }
}

TEST(XorScramble, PlainStoredValueIsUnscrambledDirectly) {
    // A value written by hand without "#" is XORed as it stands.
    const std::string key = scrambleKey("p");  // "p1"
    const std::string plain = "xy";
    const std::string expected{static_cast<char>('x' ^ 'p'), static_cast<char>('y' ^ '1')};
    EXPECT_EQ(unscramblePassword(plain, "p"), expected);
}

TEST(XorScramble, EmptyStaysEmpty) {
    EXPECT_EQ(XorScramble("", "k1", true), "");
    EXPECT_EQ(XorScramble("", "k1", false), "");
}
