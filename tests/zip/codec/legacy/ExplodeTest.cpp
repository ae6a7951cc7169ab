// Explode on hand-made streams: both dictionary sizes, with and without a literal tree,
// the length extension, codes up to 16 bits through both distance table widths,
// references before the first byte, the end at exactly the stated size, and malformed
// or cut-short data.
#include <gtest/gtest.h>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/legacy/Explode.h"

namespace zb::zip {
namespace {

using test::Bytes;
using Lengths = std::vector<std::uint8_t>;

constexpr std::uint16_t kBigWindow = 0x02;
constexpr std::uint16_t kLiteralTree = 0x04;

Lengths flat(std::size_t n, std::uint8_t bits) { return Lengths(n, bits); }

// 64 symbols with codes of 1 to 16 bits: a complete code with long codes.
Lengths skewed() {
    Lengths l(64);
    for (unsigned s = 0; s < 10; ++s) l[s] = std::uint8_t(s + 1);
    for (unsigned s = 10; s < 20; ++s) l[s] = 15;
    for (unsigned s = 20; s < 64; ++s) l[s] = 16;
    return l;
}

class ImplodeStream {
public:
    ImplodeStream(std::uint16_t flags, Lengths lit, Lengths len, Lengths dist)
        : flags_(flags), lit_(std::move(lit)), len_(std::move(len)), dist_(std::move(dist)) {
        if (flags_ & kLiteralTree) tree(lit_);
        tree(len_);
        tree(dist_);
    }
    ImplodeStream& literal(std::uint8_t b) {
        w_.bits(1, 1);
        if (flags_ & kLiteralTree)
            code(lit_, b);
        else
            w_.bits(b, 8);
        return *this;
    }
    ImplodeStream& text(std::string_view s) {
        for (unsigned char c : s) literal(c);
        return *this;
    }
    ImplodeStream& bytes(const Bytes& b) {
        for (auto c : b) literal(c);
        return *this;
    }
    ImplodeStream& match(std::size_t dist, std::size_t len) {
        const unsigned lowBits = (flags_ & kBigWindow) ? 7 : 6;
        const std::size_t minMatch = (flags_ & kLiteralTree) ? 3 : 2;
        const std::size_t d = dist - 1;
        w_.bits(0, 1);
        w_.bits(d & ((1u << lowBits) - 1), lowBits);
        code(dist_, unsigned(d >> lowBits));
        const std::size_t l = len - minMatch;
        if (l >= 63) {
            code(len_, 63);
            w_.bits(l - 63, 8);
        } else {
            code(len_, unsigned(l));
        }
        return *this;
    }
    ImplodeStream& rawBits(std::uint32_t v, unsigned n) {
        w_.bits(v, n);
        return *this;
    }
    Bytes finish() const { return w_.finish(); }

private:
    // Run-length bytes: (count - 1) << 4 | (bits - 1), after a byte count less one.
    void tree(const Lengths& lens) {
        Bytes runs;
        for (std::size_t i = 0; i < lens.size();) {
            std::size_t n = 1;
            while (i + n < lens.size() && lens[i + n] == lens[i] && n < 16) ++n;
            runs.push_back(std::uint8_t(((n - 1) << 4) | (lens[i] - 1)));
            i += n;
        }
        w_.bits(runs.size() - 1, 8);
        for (auto b : runs) w_.bits(b, 8);
    }
    // Codes go out first bit first, every bit inverted.
    void code(const Lengths& lens, unsigned sym) {
        const auto codes = test::canonicalCodes(lens);
        w_.code(~codes[sym] & ((1u << lens[sym]) - 1), lens[sym]);
    }

    std::uint16_t flags_;
    Lengths lit_, len_, dist_;
    test::BitWriter w_;
};

test::DecodeResult decode(const Bytes& packed, std::uint16_t flags, std::uint64_t size,
                          std::uint64_t compressedSize = 0, std::size_t piece = SIZE_MAX) {
    DecodeParams p;
    p.method = 6;
    p.flags = flags;
    p.compressedSize = compressedSize ? compressedSize : packed.size();
    p.uncompressedSize = size;
    return test::runDecoder(explode, packed, p, piece);
}

ImplodeStream standard(std::uint16_t flags) { return ImplodeStream(flags, flat(256, 8), flat(64, 6), flat(64, 6)); }

void expectDecodes(const ImplodeStream& s, std::uint16_t flags, const Bytes& expect) {
    for (std::size_t piece : {SIZE_MAX, std::size_t(1)}) {
        const auto r = decode(s.finish(), flags, expect.size(), 0, piece);
        ASSERT_TRUE(r.ok) << "flags " << flags;
        EXPECT_EQ(r.out, expect) << "flags " << flags;
    }
}

const std::uint16_t kAllFlags[] = {0, kBigWindow, kLiteralTree, kBigWindow | kLiteralTree};

TEST(Explode, LiteralsWithAndWithoutALiteralTree) {
    for (auto flags : kAllFlags) {
        auto s = standard(flags);
        s.text("imploded");
        expectDecodes(s, flags, test::toBytes("imploded"));
    }
}

TEST(Explode, ShortestMatchDependsOnTheLiteralTree) {
    for (auto flags : kAllFlags) {
        const std::size_t minMatch = (flags & kLiteralTree) ? 3 : 2;
        auto s = standard(flags);
        s.text("xyz").match(3, minMatch).match(1, minMatch + 4);
        Bytes expect = test::toBytes("xyz");
        for (std::size_t i = 0; i < minMatch; ++i) expect.push_back(expect[i]);
        expect.insert(expect.end(), minMatch + 4, expect.back());
        expectDecodes(s, flags, expect);
    }
}

TEST(Explode, LongestLengthUsesTheExtraByte) {
    for (auto flags : kAllFlags) {
        const std::size_t minMatch = (flags & kLiteralTree) ? 3 : 2;
        for (std::size_t len : {minMatch + 62, minMatch + 63, minMatch + 63 + 255}) {
            auto s = standard(flags);
            s.text("ab").match(2, len);
            Bytes expect;
            for (std::size_t i = 0; i < len + 2; ++i) expect.push_back(i % 2 ? 'b' : 'a');
            expectDecodes(s, flags, expect);
        }
    }
}

TEST(Explode, LongestDistanceOfEachDictionary) {
    for (auto flags : kAllFlags) {
        const std::size_t window = (flags & kBigWindow) ? 8192 : 4096;
        const Bytes history = test::randomBytes(window, flags);
        auto s = standard(flags);
        s.bytes(history).match(window, 20);
        Bytes expect = history;
        expect.insert(expect.end(), history.begin(), history.begin() + 20);
        expectDecodes(s, flags, expect);
    }
}

TEST(Explode, MatchFromBeforeTheFirstByteGivesZeros) {
    auto s = standard(kBigWindow);
    s.text("ab").match(6000, 5).text("c");
    expectDecodes(s, kBigWindow, {'a', 'b', 0, 0, 0, 0, 0, 'c'});
}

TEST(Explode, EndsAtExactlyTheStatedSize) {
    auto s = standard(kLiteralTree);
    s.text("abc").match(3, 50).text("never reached");
    const auto r = decode(s.finish(), kLiteralTree, 10);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("abcabcabca"));
    const auto none = decode(s.finish(), kLiteralTree, 0);
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.out.empty());
}

TEST(Explode, LongCodesThroughEitherDistanceTableWidth) {
    const std::uint16_t flags = kBigWindow;
    ImplodeStream s(flags, {}, skewed(), skewed());
    Bytes expect;
    s.text("0123456789");
    expect = test::toBytes("0123456789");
    // Distances whose high bits have 16-bit codes (symbols 20..63 of the skewed tree)
    // need history: write 8000 literals first.
    const Bytes history = test::randomBytes(8000, 5);
    s.bytes(history);
    expect.insert(expect.end(), history.begin(), history.end());
    for (unsigned high : {0u, 9u, 10u, 19u, 20u, 62u}) {
        for (unsigned lensym : {0u, 9u, 15u, 40u}) {
            const std::size_t dist = (std::size_t(high) << 7) + 5 + 1;
            const std::size_t len = lensym + 2;
            s.match(dist, len);
            for (std::size_t i = 0; i < len; ++i) expect.push_back(expect[expect.size() - dist]);
        }
    }
    const Bytes packed = s.finish();
    // The table width for distances follows the compressed size; the output does not.
    for (std::uint64_t compressed : {std::uint64_t(packed.size()), std::uint64_t(300000)}) {
        const auto r = decode(packed, flags, expect.size(), compressed);
        ASSERT_TRUE(r.ok) << compressed;
        EXPECT_EQ(r.out, expect) << compressed;
    }
}

TEST(Explode, OverSubscribedTree) {
    Lengths over = flat(64, 6);
    over[5] = 5;
    ImplodeStream s(0, {}, over, flat(64, 6));
    s.text("abc");
    EXPECT_FALSE(decode(s.finish(), 0, 3).ok);
}

TEST(Explode, UnusedCodeOfAnIncompleteTree) {
    Lengths incomplete = flat(64, 7);  // half the code space unused
    ImplodeStream ok(0, {}, incomplete, flat(64, 6));
    ok.text("ab").match(1, 2);
    const auto r = decode(ok.finish(), 0, 4);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("abbb"));

    ImplodeStream bad(0, {}, incomplete, flat(64, 6));
    bad.text("ab").rawBits(0, 1).rawBits(0, 6).rawBits(0, 6).rawBits(0, 7);  // all-zero length code: unused
    EXPECT_FALSE(decode(bad.finish(), 0, 10).ok);
}

TEST(Explode, TreeRunsNotMatchingTheSymbolCount) {
    {
        test::BitWriter w;  // 5 runs of 16 for a 64-symbol tree
        w.bits(4, 8);
        for (int i = 0; i < 5; ++i) w.bits(0xf5, 8);
        w.bits(0, 64);
        EXPECT_FALSE(decode(w.finish(), 0, 10).ok);
    }
    {
        test::BitWriter w;  // 3 runs of 16: 16 symbols short
        w.bits(2, 8);
        for (int i = 0; i < 3; ++i) w.bits(0xf5, 8);
        for (int i = 0; i < 5; ++i) w.bits(0xf5, 8);  // what would be the next tree
        w.bits(0, 64);
        EXPECT_FALSE(decode(w.finish(), 0, 10).ok);
    }
}

TEST(Explode, DataEndingTooSoon) {
    auto s = standard(kLiteralTree);
    s.text("abcdef");
    const Bytes packed = s.finish();
    EXPECT_TRUE(decode(packed, kLiteralTree, 6).ok);
    EXPECT_FALSE(decode(packed, kLiteralTree, 7).ok);
    EXPECT_FALSE(decode(Bytes(packed.begin(), packed.begin() + 10), kLiteralTree, 6).ok);  // inside the trees
}

TEST(Explode, RandomInputEndsCleanly) {
    for (auto flags : kAllFlags) {
        DecodeParams p;
        p.method = 6;
        p.flags = flags;
        p.uncompressedSize = 50000;
        const auto counts = test::runOnRandomInput(explode, p, 400, flags + 7u);
        EXPECT_EQ(counts.tooLong, 0u);
    }
}

TEST(Explode, RandomDataAfterValidTreesEndsCleanly) {
    // Random trees are nearly always rejected; behind valid ones random data is decoded.
    std::mt19937 rng(31);
    for (auto flags : kAllFlags) {
        for (int i = 0; i < 100; ++i) {
            Bytes packed = standard(flags).finish();
            const Bytes junk = test::randomBytes(rng() % 3000, rng());
            packed.insert(packed.end(), junk.begin(), junk.end());
            const auto r = decode(packed, flags, 1 + rng() % 100000);
            EXPECT_LE(r.out.size(), 100000u);
        }
    }
}

TEST(Explode, CutShortCorpusMembersEndCleanly) {
    for (const char* archive : {"legacy/hwzip_implode_4k2t.zip", "legacy/hwzip_implode_8k3t.zip"}) {
        const auto m = test::readArchiveMembers(test::testData(archive)).at(0);
        ASSERT_EQ(m.name, "gpl3.txt");
        DecodeParams p;
        p.method = 6;
        p.flags = m.flags;
        p.compressedSize = m.compressedSize;
        p.uncompressedSize = m.uncompressedSize;
        const auto whole = test::runDecoder(explode, m.data, p);
        ASSERT_TRUE(whole.ok);
        test::expectCleanEndings(explode, m.data, p, whole.out, 37);
    }
}

}  // namespace
}  // namespace zb::zip
