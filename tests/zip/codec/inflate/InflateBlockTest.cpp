// Inflate on hand-made streams: each block kind on its own, the limits of the format
// (longest distance, the incomplete codes real encoders write), and every way a stream
// can be malformed. Malformed data must end decoding with false, never a crash or hang.
#include <gtest/gtest.h>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/inflate/Inflate.h"

namespace zb::zip {
namespace {

using test::BitWriter;
using test::Bytes;

test::DecodeResult decode(const Bytes& packed, std::size_t piece = SIZE_MAX) {
    return test::runDecoder(inflate, packed, DecodeParams{}, piece);
}

void storedBlock(BitWriter& w, bool last, const Bytes& data) {
    w.bits(last, 1);
    w.bits(0, 2);
    w.alignToByte();
    w.bits(std::uint32_t(data.size()), 16);
    w.bits(std::uint32_t(~data.size()) & 0xffff, 16);
    for (auto b : data) w.bits(b, 8);
}

// Distance symbol and extra bits of the fixed code.
void fixedDistance(BitWriter& w, unsigned dist) {
    static const unsigned base[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                      33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    unsigned code = 29;
    while (base[code] > dist) --code;
    const unsigned extra = code < 4 ? 0 : code / 2 - 1;
    w.code(code, 5);
    w.bits(dist - base[code], extra);
}

// Length symbol (257..285) and extra bits.
void fixedLength(BitWriter& w, unsigned len) {
    static const unsigned base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    unsigned code = 28;
    while (base[code] > len) --code;
    if (len == 258) code = 28;
    const unsigned extra = (code < 8 || code == 28) ? 0 : code / 4 - 1;
    w.fixedSymbol(257 + code);
    w.bits(len - base[code], extra);
}

// ---- Canonical codes for hand-made dynamic blocks --------------------------------------
using test::canonicalCodes;

const std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct LenSymbol {
    unsigned sym;
    unsigned extra = 0;
};

// Writes a dynamic block header: counts, the code-length code, and the symbols given.
void dynamicHeader(BitWriter& w, bool last, unsigned nlit, unsigned ndist, const std::vector<std::uint8_t>& clLens,
                   const std::vector<LenSymbol>& symbols) {
    w.bits(last, 1);
    w.bits(2, 2);
    w.bits(nlit - 257, 5);
    w.bits(ndist - 1, 5);
    w.bits(19 - 4, 4);
    for (unsigned i = 0; i < 19; ++i) w.bits(clLens[kOrder[i]], 3);
    const auto codes = canonicalCodes(clLens);
    for (const auto& s : symbols) {
        w.code(codes[s.sym], clLens[s.sym]);
        if (s.sym == 16) w.bits(s.extra, 2);
        if (s.sym == 17) w.bits(s.extra, 3);
        if (s.sym == 18) w.bits(s.extra, 7);
    }
}

// A complete code-length code over all 19 symbols (13 of 4 bits, 6 of 5 bits).
std::vector<std::uint8_t> allLenCodes() {
    std::vector<std::uint8_t> l(19, 4);
    for (unsigned s = 10; s <= 15; ++s) l[s] = 5;
    return l;
}

std::vector<LenSymbol> plainLengths(const std::vector<std::uint8_t>& lens) {
    std::vector<LenSymbol> out;
    for (auto l : lens) out.push_back({l});
    return out;
}

// A dynamic block with the given literal/length and distance code lengths, then
// the given body.
Bytes dynamicBlock(
    const std::vector<std::uint8_t>& lit, const std::vector<std::uint8_t>& dist,
    const std::function<void(BitWriter&, const std::vector<std::uint32_t>&, const std::vector<std::uint32_t>&)>& body) {
    BitWriter w;
    std::vector<std::uint8_t> all = lit;
    all.insert(all.end(), dist.begin(), dist.end());
    dynamicHeader(w, true, unsigned(lit.size()), unsigned(dist.size()), allLenCodes(), plainLengths(all));
    body(w, canonicalCodes(lit), canonicalCodes(dist));
    return w.finish();
}

// ---- Well-formed blocks -----------------------------------------------------------------
TEST(InflateBlocks, StoredBlocksIncludingEmptyAndLargest) {
    const Bytes a = test::randomBytes(65535, 1);
    const Bytes b = test::toBytes("tail");
    BitWriter w;
    storedBlock(w, false, {});
    storedBlock(w, false, a);
    storedBlock(w, true, b);
    Bytes expect = a;
    expect.insert(expect.end(), b.begin(), b.end());
    for (std::size_t piece : {std::size_t(1), std::size_t(1000), SIZE_MAX}) {
        const auto r = decode(w.finish(), piece);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.out, expect);
    }
}

TEST(InflateBlocks, FixedBlockWithLiteralsAndMatches) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    for (char c : std::string("abc")) w.fixedSymbol(std::uint8_t(c));
    fixedLength(w, 9);  // overlapping copy: distance 3, length 9
    fixedDistance(w, 3);
    w.fixedSymbol(0xff);
    fixedLength(w, 258);
    fixedDistance(w, 1);  // a run of one byte
    w.fixedSymbol(256);
    const auto r = decode(w.finish());
    ASSERT_TRUE(r.ok);
    Bytes expect = test::toBytes("abcabcabcabc");
    expect.push_back(0xff);
    expect.insert(expect.end(), 258, 0xff);
    EXPECT_EQ(r.out, expect);
}

TEST(InflateBlocks, MatchAtTheLongestDistance) {
    const Bytes history = test::randomBytes(32768, 2);
    BitWriter w;
    storedBlock(w, false, history);
    w.bits(1, 1);
    w.bits(1, 2);
    fixedLength(w, 258);
    fixedDistance(w, 32768);
    w.fixedSymbol(256);
    const auto r = decode(w.finish());
    ASSERT_TRUE(r.ok);
    Bytes expect = history;
    expect.insert(expect.end(), history.begin(), history.begin() + 258);
    EXPECT_EQ(r.out, expect);
}

TEST(InflateBlocks, MatchAtExactlyTheBytesProducedSoFar) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    for (char c : std::string("0123456789")) w.fixedSymbol(std::uint8_t(c));
    fixedLength(w, 10);
    fixedDistance(w, 10);
    w.fixedSymbol(256);
    const auto r = decode(w.finish());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("01234567890123456789"));
}

// Lends a buffer of the stated size plus the margin, counts the bytes that arrive
// anywhere but in place, and refuses bytes past the stated size.
struct LendingOutput : DecodeOutput {
    explicit LendingOutput(std::size_t size) : buffer(size + kLendMargin), stated(size) {}
    std::uint8_t* lendAll(std::size_t size) override { return size == stated ? buffer.data() : nullptr; }
    void write(const std::uint8_t* data, std::size_t size) override {
        if (size > stated - used) throw std::length_error("longer than stated");
        copied += data != buffer.data() + used ? size : 0;
        std::memmove(buffer.data() + used, data, size);
        used += size;
    }
    Bytes buffer;
    std::size_t stated, used = 0, copied = 0;
};

TEST(InflateBlocks, MatchCopiesOfEveryShortDistanceAtTheBufferEnds) {
    // Distances below, at and above the widths copies are made in: a run of matches
    // (the fast loop), then one that ends the output within the final bytes of the
    // input. Into a lent buffer of one byte too few (refused), the exact size and more.
    for (unsigned dist = 1; dist <= 40; ++dist) {
        for (unsigned len : {3u, 8u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 258u}) {
            BitWriter w;
            w.bits(3, 3);  // last, fixed codes
            Bytes expect;
            auto literals = [&](unsigned n, std::uint8_t b, std::uint8_t step) {
                for (unsigned i = 0; i < n; ++i, b += step) w.fixedSymbol(b), expect.push_back(b);
            };
            auto matches = [&](int n) {
                for (int k = 0; k < n; ++k, fixedLength(w, len), fixedDistance(w, dist))
                    for (unsigned i = 0; i < len; ++i) expect.push_back(expect[expect.size() - dist]);
            };
            literals(dist, 'A', 1);
            matches(6);
            literals(20, 'z', 0);
            matches(1);
            w.fixedSymbol(256);
            const Bytes packed = w.finish();
            for (std::size_t stated : {expect.size() - 1, expect.size(), expect.size() + 9}) {
                test::MemoryInput in(packed);
                LendingOutput out(stated);
                const DecodeParams p{8, 0, packed.size(), stated};
                if (stated < expect.size()) {
                    EXPECT_THROW(inflate(in, out, p), std::length_error);
                    continue;
                }
                ASSERT_TRUE(inflate(in, out, p)) << dist << " " << len;
                EXPECT_TRUE(out.used == expect.size() && std::equal(expect.begin(), expect.end(), out.buffer.begin()))
                    << dist << " " << len << " stated " << stated;
                EXPECT_EQ(out.copied, stated >= 1024 ? 0 : expect.size()) << dist << " " << len;
            }
        }
    }
}

TEST(InflateBlocks, DynamicBlockWithRepeatCodes) {
    // 'a'..'d' get 3 bits (one length, then "repeat previous" three times), the end code
    // and length 3 get 2 bits; the single distance code has one bit, the incomplete set
    // encoders write when a block uses only one distance.
    std::vector<std::uint8_t> lit(258, 0);
    lit['a'] = lit['b'] = lit['c'] = lit['d'] = 3;
    lit[256] = lit[257] = 2;
    const std::vector<LenSymbol> syms = {{18, 97 - 11},   // zeros for 0..96
                                         {3},             // 'a'
                                         {16, 0},         // 'b', 'c', 'd'
                                         {18, 138 - 11},  // zeros for 101..238
                                         {18, 17 - 11},   // zeros for 239..255
                                         {2},             // end of block
                                         {2},             // length 3
                                         {1}};            // distance 1
    BitWriter w;
    dynamicHeader(w, true, 258, 1, allLenCodes(), syms);
    const auto lc = canonicalCodes(lit);
    for (char c : std::string("abcd")) w.code(lc[std::uint8_t(c)], 3);
    w.code(lc[257], 2);  // length 3 ...
    w.code(0, 1);        // ... at distance 1
    w.code(lc[256], 2);
    const auto r = decode(w.finish());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("abcdddd"));
}

TEST(InflateBlocks, BlockOfOnlyTheEndCodeWithOneBitCode) {
    std::vector<std::uint8_t> lit(257, 0);
    lit[256] = 1;
    const Bytes packed = dynamicBlock(lit, {0}, [](BitWriter& w, const auto& lc, const auto&) { w.code(lc[256], 1); });
    const auto r = decode(packed);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.out.empty());
}

TEST(InflateBlocks, LiteralOnlyBlockWithoutDistanceCodes) {
    std::vector<std::uint8_t> lit(257, 0);
    lit['x'] = 1;
    lit[256] = 1;
    const Bytes packed = dynamicBlock(lit, {0}, [](BitWriter& w, const auto& lc, const auto&) {
        for (int i = 0; i < 5; ++i) w.code(lc['x'], 1);
        w.code(lc[256], 1);
    });
    const auto r = decode(packed);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("xxxxx"));
}

TEST(InflateBlocks, CodeLengthsWithGapsBetweenThem) {
    // Lengths 1, 3 and 5 only: the table grows past widths no code has.
    std::vector<std::uint8_t> lit(257, 0);
    lit['x'] = 1;
    lit['a'] = lit['b'] = 3;
    for (unsigned s : {'c', 'd', 'e', 'f', 'g', 'h', 'i'}) lit[s] = 5;
    lit[256] = 5;
    const std::string text = "xaxbcidxhgxfe";
    const Bytes packed = dynamicBlock(lit, {0}, [&](BitWriter& w, const auto& lc, const auto&) {
        for (char c : text) w.code(lc[std::uint8_t(c)], lit[std::uint8_t(c)]);
        w.code(lc[256], lit[256]);
    });
    const auto r = decode(packed);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes(text));
}

// Literal/length code lengths 1 to 15 (one length symbol, 257, of 14 bits) and
// distance code lengths 1 to 15, so the longest codes are beyond every primary table.
std::vector<std::uint8_t> longLiteralLengths() {
    std::vector<std::uint8_t> lit(258, 0);
    for (unsigned i = 0; i <= 12; ++i) lit[i] = std::uint8_t(i + 1);
    lit[257] = 14;
    lit[14] = lit[256] = 15;
    return lit;
}
std::vector<std::uint8_t> longDistanceLengths() {
    std::vector<std::uint8_t> dist(30, 0);
    for (unsigned i = 0; i <= 13; ++i) dist[i] = std::uint8_t(i + 1);
    dist[14] = dist[29] = 15;
    return dist;
}

TEST(InflateBlocks, LongCodesGoThroughSubTables) {
    const auto lit = longLiteralLengths();
    const auto dist = longDistanceLengths();
    auto withMatch = [&](unsigned distSym, unsigned extraBits) {
        return dynamicBlock(lit, dist, [&](BitWriter& w, const auto& lc, const auto& dc) {
            for (unsigned s : {0u, 12u, 14u, 5u, 14u}) w.code(lc[s], lit[s]);
            w.code(lc[257], lit[257]);  // length 3
            w.code(dc[distSym], dist[distSym]);
            w.bits(0, extraBits);
            w.code(lc[256], lit[256]);
        });
    };
    const auto r = decode(withMatch(3, 0));  // distance 4
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, (Bytes{0, 12, 14, 5, 14, 12, 14, 5}));
    EXPECT_FALSE(decode(withMatch(13, 5)).ok);   // distance 97, after 5 bytes
    EXPECT_FALSE(decode(withMatch(29, 13)).ok);  // distance 24577, a 15-bit code
}

TEST(InflateBlocks, LongAndShortCodesInALongBlock) {
    // Long enough for the fast loop: literals and a length beyond the primary table,
    // then a distance from a table as wide as it goes (with sub-tables) or three bits.
    const auto lit = longLiteralLengths();
    const auto wide = longDistanceLengths();
    const std::vector<std::uint8_t> narrow = {1, 2, 3, 3};
    struct Case {
        const std::vector<std::uint8_t>& dist;
        unsigned sym, extra, distance;
    };
    for (const Case& c : {Case{wide, 3, 0, 4}, Case{wide, 14, 6, 129}, Case{narrow, 3, 0, 4}, Case{narrow, 2, 0, 3}}) {
        Bytes expected;
        const Bytes packed = dynamicBlock(lit, c.dist, [&](BitWriter& w, const auto& lc, const auto& dc) {
            for (unsigned round = 0; round < 400; ++round) {
                for (unsigned s : {0u, 12u, 14u, 5u, 1u}) {
                    w.code(lc[s], lit[s]);
                    expected.push_back(std::uint8_t(s));
                }
                if (expected.size() < c.distance) continue;
                w.code(lc[257], lit[257]);  // length 3
                w.code(dc[c.sym], c.dist[c.sym]);
                w.bits(0, c.extra);
                for (int k = 0; k < 3; ++k) expected.push_back(expected[expected.size() - c.distance]);
            }
            w.code(lc[256], lit[256]);
        });
        const auto r = decode(packed);
        ASSERT_TRUE(r.ok) << "distance " << c.distance;
        EXPECT_EQ(r.out, expected) << "distance " << c.distance;
    }
}

// ---- Malformed streams ------------------------------------------------------------------
TEST(InflateMalformed, ReservedBlockType) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(3, 2);
    w.bits(0, 16);
    EXPECT_FALSE(decode(w.finish()).ok);
}

TEST(InflateMalformed, StoredLengthAndComplementDisagree) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(0, 2);
    w.alignToByte();
    w.bits(5, 16);
    w.bits(0xfffb, 16);  // complement of 4
    for (int i = 0; i < 5; ++i) w.bits('z', 8);
    EXPECT_FALSE(decode(w.finish()).ok);
}

TEST(InflateMalformed, StoredBlockShorterThanItsLength) {
    BitWriter w;
    storedBlock(w, true, test::randomBytes(300, 4));
    Bytes packed = w.finish();
    packed.resize(packed.size() - 1);
    EXPECT_FALSE(decode(packed).ok);
}

// A block that would be valid but for its literal/length and distance counts.
Bytes blockWithCounts(unsigned nlit, unsigned ndist) {
    std::vector<std::uint8_t> lit(nlit, 0);
    lit['a'] = lit[256] = 1;
    std::vector<std::uint8_t> dist(ndist, 0);
    dist[0] = 1;
    return dynamicBlock(lit, dist, [](BitWriter& w, const auto& lc, const auto&) {
        w.code(lc['a'], 1);
        w.code(lc[256], 1);
    });
}

TEST(InflateMalformed, TooManyLiteralOrDistanceCodes) {
    const auto control = decode(blockWithCounts(286, 30));
    ASSERT_TRUE(control.ok);
    EXPECT_EQ(control.out, test::toBytes("a"));
    for (auto [nlit, ndist] : {std::pair{287u, 30u}, std::pair{288u, 1u}, std::pair{257u, 31u}, std::pair{257u, 32u}})
        EXPECT_FALSE(decode(blockWithCounts(nlit, ndist)).ok) << nlit << "/" << ndist;
}

TEST(InflateMalformed, CodeLengthCodeOverSubscribedOrIncomplete) {
    std::vector<std::uint8_t> over(19, 1);
    std::vector<std::uint8_t> none(19, 0);
    for (const auto& cl : {over, none}) {
        BitWriter w;
        dynamicHeader(w, true, 257, 1, cl, {});
        w.bits(0, 64);
        EXPECT_FALSE(decode(w.finish()).ok);
    }
    // Lengths 1 and 2 for the symbols 0 and 1 leave a quarter of the code unused; the
    // lengths sent with it would make a valid block.
    std::vector<std::uint8_t> incomplete(19, 0);
    incomplete[0] = 1;
    incomplete[1] = 2;
    std::vector<LenSymbol> syms(257 + 1, LenSymbol{0});
    syms['a'] = syms[256] = syms[257] = {1};
    BitWriter w;
    dynamicHeader(w, true, 257, 1, incomplete, syms);
    w.code(0, 1);  // 'a'
    w.code(1, 1);  // end of block
    EXPECT_FALSE(decode(w.finish()).ok);
}

TEST(InflateMalformed, LiteralCodeOverSubscribed) {
    std::vector<std::uint8_t> lit(257, 0);
    lit['a'] = lit['b'] = lit['c'] = 1;
    lit[256] = 1;
    EXPECT_FALSE(decode(dynamicBlock(lit, {1}, [](BitWriter& w, auto&, auto&) { w.bits(0, 16); })).ok);
}

TEST(InflateMalformed, LiteralCodeIncomplete) {
    std::vector<std::uint8_t> lit(257, 0);
    lit['a'] = 2;
    lit[256] = 2;
    EXPECT_FALSE(decode(dynamicBlock(lit, {1}, [](BitWriter& w, auto& lc, auto&) { w.code(lc[256], 2); })).ok);
}

TEST(InflateMalformed, LiteralCodeWithoutEndOfBlock) {
    std::vector<std::uint8_t> lit(257, 0);
    lit['a'] = lit['b'] = 1;
    EXPECT_FALSE(decode(dynamicBlock(lit, {1}, [](BitWriter& w, auto&, auto&) { w.bits(0, 16); })).ok);
}

TEST(InflateMalformed, DistanceCodeOverSubscribedOrIncomplete) {
    std::vector<std::uint8_t> lit(258, 0);
    lit['a'] = 1;
    lit[256] = 2;
    lit[257] = 2;
    for (const std::vector<std::uint8_t>& dist :
         {std::vector<std::uint8_t>{1, 1, 1}, std::vector<std::uint8_t>{2, 2}}) {
        EXPECT_FALSE(decode(dynamicBlock(lit, dist, [](BitWriter& w, auto& lc, auto&) { w.code(lc[256], 2); })).ok);
    }
}

TEST(InflateMalformed, RepeatWithNothingBeforeIt) {
    BitWriter w;
    dynamicHeader(w, true, 257, 1, allLenCodes(), {{16, 0}});
    w.bits(0, 64);
    EXPECT_FALSE(decode(w.finish()).ok);
}

TEST(InflateMalformed, RepeatPastTheLastLength) {
    BitWriter w;
    // 257 + 1 lengths wanted; 138 + 118 zeros, then a run of 11 too many.
    dynamicHeader(w, true, 257, 1, allLenCodes(), {{18, 127}, {18, 118 - 11}, {18, 0}});
    w.bits(0, 64);
    EXPECT_FALSE(decode(w.finish()).ok);
}

TEST(InflateMalformed, FixedCodeSymbolsThatNeverOccur) {
    {
        BitWriter w;  // length symbol 286
        w.bits(1, 1);
        w.bits(1, 2);
        w.fixedSymbol('a');
        w.fixedSymbol(286);
        w.bits(0, 16);
        EXPECT_FALSE(decode(w.finish()).ok);
    }
    {
        BitWriter w;  // distance symbol 30
        w.bits(1, 1);
        w.bits(1, 2);
        w.fixedSymbol('a');
        w.fixedSymbol(257);
        w.code(30, 5);
        w.fixedSymbol(256);
        EXPECT_FALSE(decode(w.finish()).ok);
    }
}

TEST(InflateMalformed, DistanceBeyondTheBytesProduced) {
    BitWriter w;
    w.bits(1, 1);
    w.bits(1, 2);
    w.fixedSymbol('a');
    fixedLength(w, 3);
    fixedDistance(w, 2);
    w.fixedSymbol(256);
    const auto r = decode(w.finish());
    EXPECT_FALSE(r.ok);
}

TEST(InflateMalformed, NoBlockMarkedLast) {
    BitWriter w;
    storedBlock(w, false, test::toBytes("not the end"));
    EXPECT_FALSE(decode(w.finish()).ok);
    EXPECT_FALSE(decode({}).ok);
}

// Every cut of a valid stream fails, and what was handed on is a prefix of the data.
void expectEveryTruncationFails(const Bytes& plain, const Bytes& packed, std::size_t piece) {
    for (std::size_t cut = 0; cut < packed.size(); ++cut) {
        const Bytes part(packed.begin(), packed.begin() + std::ptrdiff_t(cut));
        const auto r = decode(part, piece);
        ASSERT_FALSE(r.ok) << "cut at " << cut;
        ASSERT_LE(r.out.size(), plain.size());
        ASSERT_TRUE(std::equal(r.out.begin(), r.out.end(), plain.begin())) << "cut at " << cut;
    }
}

TEST(InflateMalformed, TruncationAtEveryByte) {
    const Bytes plain = test::wordyText(6000, 11);
    expectEveryTruncationFails(plain, test::zlibDeflateRaw(plain, 6), SIZE_MAX);
    expectEveryTruncationFails(plain, test::zlibDeflateRaw(plain, 6, Z_FIXED), SIZE_MAX);
    expectEveryTruncationFails(plain, test::zlibDeflateRaw(plain, 0), SIZE_MAX);
    const Bytes runs = test::runsAndPatterns(40000, 12);
    expectEveryTruncationFails(runs, test::zlibDeflateRaw(runs, 9), 3);
}

TEST(InflateMalformed, RandomInputEndsCleanly) {
    std::mt19937 rng(13);
    unsigned succeeded = 0;
    for (int i = 0; i < 3000; ++i) {
        const Bytes junk = test::randomBytes(rng() % 3000, rng());
        succeeded += decode(junk).ok;
    }
    SUCCEED() << succeeded << " random inputs happened to be valid";
}

TEST(InflateMalformed, FlippedBytesInValidStreamsEndCleanly) {
    const Bytes plain = test::wordyText(50000, 14);
    const Bytes packed = test::zlibDeflateRaw(plain, 6);
    std::mt19937 rng(15);
    for (int i = 0; i < 1500; ++i) {
        Bytes bad = packed;
        for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] ^= std::uint8_t(1u << (rng() % 8));
        const auto r = decode(bad, i % 2 ? SIZE_MAX : 977);
        if (r.ok) {
            EXPECT_LE(r.out.size(), packed.size() * 8 * 258);
        }
    }
}

}  // namespace
}  // namespace zb::zip
