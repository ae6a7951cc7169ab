// Names compared without regard to letter case, in ASCII and the common European
// alphabets, and blanks trimmed at the ends only.
#include "platform/TextCase.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace zb::platform {
namespace {

TEST(TextCase, AsciiAndEuropeanLetters) {
    EXPECT_TRUE(equalsIgnoreCase("MAIL ARCHIVE", "mail archive"));
    EXPECT_FALSE(equalsIgnoreCase("mail", "mail "));
    EXPECT_TRUE(equalsIgnoreCase("CAFÉ ÜBER", "café über"));
    EXPECT_TRUE(equalsIgnoreCase("ŁÓDŹ", "łódź"));
    EXPECT_TRUE(equalsIgnoreCase("ΑΘΗΝΑ", "αθηνα"));
    EXPECT_TRUE(equalsIgnoreCase("МОСКВА Ёж", "москва ёж"));
    EXPECT_FALSE(equalsIgnoreCase("a×b", "a÷b"));
    EXPECT_EQ(foldCase("ÀÞ×ŸĲ"), "àþ×ÿĳ");
    EXPECT_EQ(foldCase("\xff\xc3"), "\xff\xc3");  // bytes that are not UTF-8 stay
}

TEST(TextCase, FoldingOfSingleCodePoints) {
    for (char32_t c = U'A'; c <= U'Z'; ++c) EXPECT_EQ(foldCodePoint(c), c + 32);
    EXPECT_EQ(foldCodePoint(U'Ā'), U'ā');
    EXPECT_EQ(foldCodePoint(U'Ĺ'), U'ĺ');
    EXPECT_EQ(foldCodePoint(U'ĺ'), U'ĺ');
    EXPECT_EQ(foldCodePoint(U'Ž'), U'ž');
    EXPECT_EQ(foldCodePoint(U'ß'), U'ß');
    EXPECT_EQ(foldCodePoint(U'日'), U'日');
}

TEST(TextCase, FoldedCodePointsKeepInvalidBytesApartFromLetters) {
    struct Row {
        const char* text;
        std::u32string points;
    } rows[] = {
        {"AbÄ", U"abä"},
        {"日😀", U"日😀"},
        {"", U""},
        {"caf\xe9", {U'c', U'a', U'f', kInvalidUtf8Byte + 0xE9}},  // a Latin-1 byte, not "é"
        {"\xc0\xafX", {kInvalidUtf8Byte + 0xC0, kInvalidUtf8Byte + 0xAF, U'x'}},  // overlong "/"
        {"\xed\xa0\x80", {kInvalidUtf8Byte + 0xED, kInvalidUtf8Byte + 0xA0, kInvalidUtf8Byte + 0x80}},
    };
    for (const Row& row : rows) EXPECT_EQ(foldedCodePoints(row.text), row.points) << row.text;
    for (char32_t c : {U'a', U'é', U'€', U'😀'}) {  // the encoder and the decoder agree
        std::string text;
        appendUtf8(text, c);
        EXPECT_EQ(utf8CodePoints(text), std::u32string(1, c));
    }
}

TEST(TextCase, TrimBlanks) {
    EXPECT_EQ(trimBlanks("  a b \t"), "a b");
    EXPECT_EQ(trimBlanks("\t \t"), "");
    EXPECT_EQ(trimBlanks("x\n"), "x\n");  // only blanks and tabs
}

}  // namespace
}  // namespace zb::platform
