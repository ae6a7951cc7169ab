// Unshrink on hand-made code streams: new strings and their reuse, the KwKwK case, code
// growth to 13 bits, partial clears at any code size, a full table, and malformed or
// cut-short data.
#include <gtest/gtest.h>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/legacy/Unshrink.h"

namespace zb::zip {
namespace {

using test::Bytes;

// Writes codes at the current width; control sequences as the encoder sends them.
class ShrinkStream {
public:
    ShrinkStream& code(unsigned c) {
        w_.bits(c, width_);
        return *this;
    }
    ShrinkStream& text(std::string_view s) {
        for (unsigned char c : s) code(c);
        return *this;
    }
    ShrinkStream& grow() {
        code(256).code(1);
        ++width_;
        return *this;
    }
    ShrinkStream& partialClear() { return code(256).code(2); }
    Bytes bytes() const { return w_.finish(); }

private:
    test::BitWriter w_;
    unsigned width_ = 9;
};

test::DecodeResult decode(const Bytes& packed, std::uint64_t size, std::size_t piece = SIZE_MAX) {
    DecodeParams p;
    p.method = 1;
    p.compressedSize = packed.size();
    p.uncompressedSize = size;
    return test::runDecoder(unshrink, packed, p, piece);
}

void expectDecodes(const ShrinkStream& s, std::string_view expect) {
    const auto r = decode(s.bytes(), expect.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes(expect));
    const auto slow = decode(s.bytes(), expect.size(), 1);
    ASSERT_TRUE(slow.ok);
    EXPECT_EQ(slow.out, test::toBytes(expect));
}

TEST(Unshrink, PlainBytes) { expectDecodes(ShrinkStream().text("Hi there"), "Hi there"); }

TEST(Unshrink, EachCodeAddsTheNextString) {
    // 257 = "ab" (added when 'b' arrives), 258 = "ba", 259 = "abb".
    expectDecodes(ShrinkStream().text("ab").code(257).code(258).code(259),
                  "ab"
                  "ab"
                  "ba"
                  "abb");
}

TEST(Unshrink, CodeNotYetDefinedIsThePreviousStringPlusItsFirstByte) {
    // 257 is read before it is defined: "a" + "a"; then 258 likewise: "aa" + "a".
    expectDecodes(ShrinkStream().text("a").code(257).code(258), "aaaaaa");
}

TEST(Unshrink, CodesGrowToThirteenBits) {
    ShrinkStream s;
    s.text("a").grow().text("b").code(257);
    s.grow().code(258).grow().text("c").grow().code(259).code(260);
    // 257 "ab", 258 "ba", 259 "abb", 260 "bac", 261 "ca".
    expectDecodes(s,
                  "ab"
                  "ab"
                  "ba"
                  "c"
                  "abb"
                  "bac");
}

TEST(Unshrink, GrowingBeyondThirteenBitsIsMalformed) {
    ShrinkStream s;
    s.text("a").grow().grow().grow().grow();
    s.code(256).code(1);
    EXPECT_FALSE(decode(s.bytes(), 1).ok);
}

TEST(Unshrink, PartialClearFreesLeavesOnlyAtNineAndTwelveBits) {
    // 257 "ab", 258 "ba", 259 "abc" (prefix 257). The clear frees 258 and 259, keeps
    // 257, which 259 built on. 258 is then reused for "cd", 259 for "dc".
    for (int grows : {0, 3}) {
        SCOPED_TRACE(grows);
        ShrinkStream s;
        for (int i = 0; i < grows; ++i) s.grow();
        s.text("ab").code(257).text("c").partialClear().text("d").code(258).code(257);
        expectDecodes(s, "ababcdcdab");
    }
}

TEST(Unshrink, FreedCodeIsUndefinedUntilReused) {
    ShrinkStream s;
    s.text("ab").code(257).text("c").partialClear().code(259);  // free code is 258
    EXPECT_FALSE(decode(s.bytes(), 100).ok);
}

TEST(Unshrink, FullTableStopsAddingUntilAPartialClear) {
    ShrinkStream s;
    s.grow().grow().grow().grow();
    const Bytes letters = test::randomBytes(8192 - 257 + 1, 21);
    for (auto b : letters) s.code(b);
    // Table now full: entry 257 + i is letters[i] letters[i + 1].
    Bytes expect = letters;
    s.code(8191);
    expect.push_back(letters[8191 - 257]);
    expect.push_back(letters[8191 - 257 + 1]);
    s.code('z');  // adds nothing: no room
    expect.push_back('z');
    s.partialClear();  // every entry is a leaf: all free again
    s.code('y').code(257);
    expect.push_back('y');
    expect.push_back('z');
    expect.push_back('y');
    const auto r = decode(s.bytes(), expect.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, expect);
}

TEST(Unshrink, FirstCodeMustBeAByte) { EXPECT_FALSE(decode(ShrinkStream().code(257).text("a").bytes(), 3).ok); }

TEST(Unshrink, UnknownControlCode) {
    EXPECT_FALSE(decode(ShrinkStream().text("a").code(256).code(3).text("b").bytes(), 2).ok);
    EXPECT_FALSE(decode(ShrinkStream().text("a").code(256).code(0).text("b").bytes(), 2).ok);
}

TEST(Unshrink, CodeBeyondTheNextFreeOne) {
    EXPECT_FALSE(decode(ShrinkStream().text("ab").code(300).bytes(), 10).ok);
    EXPECT_FALSE(decode(ShrinkStream().text("ab").code(259).bytes(), 10).ok);
    // The next free code itself is the KwKwK case, not an error.
    EXPECT_TRUE(decode(ShrinkStream().text("ab").code(258).bytes(), 4).ok);
}

TEST(Unshrink, ControlCodeWithoutItsArgument) {
    test::BitWriter w;
    w.bits('a', 9);
    w.bits(256, 9);  // then the data ends
    EXPECT_FALSE(decode(w.finish(), 1).ok);
}

TEST(Unshrink, DataEndingBeforeTheStatedSize) {
    const Bytes packed = ShrinkStream().text("abc").bytes();
    EXPECT_TRUE(decode(packed, 3).ok);
    const auto r = decode(packed, 4);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("abc"));
    EXPECT_TRUE(decode({}, 0).ok);
}

TEST(Unshrink, RandomInputEndsCleanly) {
    DecodeParams p;
    p.method = 1;
    p.uncompressedSize = 100000;
    const auto counts = test::runOnRandomInput(unshrink, p, 2000, 22);
    EXPECT_LT(counts.ok, 2000u);  // random bits are seldom a valid code stream
}

TEST(Unshrink, FlippedBitsInACorpusMemberEndCleanly) {
    const auto m = test::readArchiveMembers(test::testData("legacy/hwzip_shrink.zip")).at(0);
    ASSERT_EQ(m.name, "big.txt");
    DecodeParams p;
    p.method = 1;
    p.compressedSize = m.compressedSize;
    p.uncompressedSize = m.uncompressedSize;
    std::mt19937 rng(24);
    for (int i = 0; i < 25; ++i) {
        Bytes bad = m.data;
        bad[rng() % bad.size()] ^= std::uint8_t(1u << (rng() % 8));
        test::MemoryInput in(bad);
        test::VectorOutput out(m.uncompressedSize);
        try {
            unshrink(in, out, p);
        } catch (const std::length_error&) {
            // longer than stated: the output side refused it
        }
    }
}

TEST(Unshrink, CutShortCorpusMemberEndsCleanly) {
    const auto members = test::readArchiveMembers(test::testData("legacy/pkzip_shrink.zip"));
    const auto& m = members.at(1);  // TEST.EXE, with partial clears at 12 bits
    ASSERT_EQ(m.name, "TEST.EXE");
    DecodeParams p;
    p.method = 1;
    p.compressedSize = m.compressedSize;
    p.uncompressedSize = m.uncompressedSize;
    const auto whole = test::runDecoder(unshrink, m.data, p);
    ASSERT_TRUE(whole.ok);
    test::expectCleanEndings(unshrink, m.data, p, whole.out, 211);
}

}  // namespace
}  // namespace zb::zip
