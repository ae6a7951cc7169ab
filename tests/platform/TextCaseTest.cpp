// Names compared without regard to letter case, in ASCII and the common European
// alphabets, and blanks trimmed at the ends only.
#include "platform/TextCase.h"

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

TEST(TextCase, TrimBlanks) {
    EXPECT_EQ(trimBlanks("  a b \t"), "a b");
    EXPECT_EQ(trimBlanks("\t \t"), "");
    EXPECT_EQ(trimBlanks("x\n"), "x\n");  // only blanks and tabs
}

}  // namespace
}  // namespace zb::platform
