// Code page 437 <-> UTF-8, checked byte by byte and against the system's own converter.
#include "platform/CodePage437.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace zb::platform {
namespace {

std::string allBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += char(i);
    return s;
}

TEST(CodePage437, AllBytesRoundTrip) {
    const std::string bytes = allBytes();
    const std::string utf8 = cp437ToUtf8(bytes);
    EXPECT_TRUE(isValidUtf8(utf8));
    auto back = utf8ToCp437(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, bytes);
    for (int i = 0; i < 256; ++i) {
        std::string one(1, char(i));
        ASSERT_EQ(utf8ToCp437(cp437ToUtf8(one)), one) << i;
    }
}

TEST(CodePage437, KnownCharacters) {
    EXPECT_EQ(cp437ToUtf8("A/b"), "A/b");
    EXPECT_EQ(cp437ToUtf8("\x80\x81\x9e\xe1\xff"), "Çü₧ß\u00A0");
    EXPECT_EQ(cp437ToUtf8("\xb0\xc9\xcd\xbb"), "░╔═╗");
    EXPECT_EQ(utf8ToCp437("Grüße.txt"), std::string("Gr\x81\xe1" "e.txt"));
}

TEST(CodePage437, AgreesWithTheSystemConverter) {
    iconv_t cd = iconv_open("UTF-8", "CP437");
    ASSERT_NE(cd, (iconv_t)-1);
    for (int i = 0x80; i < 256; ++i) {
        char in[1] = {char(i)};
        char out[8];
        char* ip = in;
        char* op = out;
        size_t il = 1, ol = sizeof out;
        ASSERT_NE(iconv(cd, &ip, &il, &op, &ol), size_t(-1)) << i;
        EXPECT_EQ(cp437ToUtf8(std::string(1, char(i))), std::string(out, op)) << i;
    }
    iconv_close(cd);
}

TEST(CodePage437, UnrepresentableCharactersGiveNothing) {
    EXPECT_EQ(utf8ToCp437("日本.txt"), std::nullopt);
    EXPECT_EQ(utf8ToCp437("euro €"), std::nullopt);
    EXPECT_EQ(utf8ToCp437("Ā"), std::nullopt);
    EXPECT_EQ(utf8ToCp437("bad \xff byte"), std::nullopt);
    EXPECT_EQ(utf8ToCp437(""), std::string());
}

TEST(CodePage437, Utf8Validity) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("ü日😀"));
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_FALSE(isValidUtf8("\xc3"));              // cut short
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));          // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xf4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\x80"));
    EXPECT_FALSE(isValidUtf8("a\xe2\x82z"));
}

}  // namespace
}  // namespace zb::platform
