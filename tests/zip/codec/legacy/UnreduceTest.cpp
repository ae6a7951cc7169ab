// Unreduce on hand-made streams: follower sets of every size, DLE repeats with the
// length extension and distance split of each factor, references before the first
// byte, the end at the stated size, and malformed or cut-short data.
#include <gtest/gtest.h>

#include <array>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/legacy/Unreduce.h"

namespace zb::zip {
namespace {

using test::Bytes;
using FollowerSets = std::array<Bytes, 256>;

constexpr std::uint8_t kDle = 144;

unsigned indexBits(std::size_t n) {
    unsigned bits = 1;
    while ((std::size_t(1) << bits) < n) ++bits;
    return bits;
}

// Encodes first-stage bytes through the follower sets: a follower as 0 + index, any
// other byte as 1 + 8 bits (just 8 bits after a byte with an empty set).
Bytes reduced(const FollowerSets& sets, const Bytes& stage) {
    test::BitWriter w;
    for (int j = 255; j >= 0; --j) {
        w.bits(sets[j].size(), 6);
        for (auto f : sets[j]) w.bits(f, 8);
    }
    unsigned last = 0;
    for (auto c : stage) {
        const Bytes& set = sets[last];
        if (set.empty()) {
            w.bits(c, 8);
        } else {
            const auto it = std::find(set.begin(), set.end(), c);
            if (it != set.end()) {
                w.bits(0, 1);
                w.bits(unsigned(it - set.begin()), indexBits(set.size()));
            } else {
                w.bits(1, 1);
                w.bits(c, 8);
            }
        }
        last = c;
    }
    return w.finish();
}

test::DecodeResult decode(const Bytes& packed, unsigned factor, std::uint64_t size, std::size_t piece = SIZE_MAX) {
    DecodeParams p;
    p.method = std::uint16_t(factor + 1);
    p.compressedSize = packed.size();
    p.uncompressedSize = size;
    return test::runDecoder(unreduce, packed, p, piece);
}

// The bytes after DLE for a repeat of `len` (>= 3) bytes from `dist` back.
Bytes repeat(unsigned factor, std::size_t dist, std::size_t len) {
    const unsigned mask = 0xffu >> factor;
    const std::size_t d = dist - 1;
    const unsigned high = unsigned(d >> 8);
    Bytes out{kDle};
    const std::size_t l = len - 3;
    if (l < mask) {
        out.push_back(std::uint8_t((high << (8 - factor)) | l));
    } else {
        out.push_back(std::uint8_t((high << (8 - factor)) | mask));
        out.push_back(std::uint8_t(l - mask));
    }
    out.push_back(std::uint8_t(d & 0xff));
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

void expectDecodes(const FollowerSets& sets, const Bytes& stage, unsigned factor, const Bytes& expect) {
    const Bytes packed = reduced(sets, stage);
    for (std::size_t piece : {SIZE_MAX, std::size_t(1)}) {
        const auto r = decode(packed, factor, expect.size(), piece);
        ASSERT_TRUE(r.ok) << "factor " << factor;
        EXPECT_EQ(r.out, expect) << "factor " << factor;
    }
}

TEST(Unreduce, LiteralsWithoutFollowerSets) {
    for (unsigned f = 1; f <= 4; ++f) expectDecodes({}, test::toBytes("reduced"), f, test::toBytes("reduced"));
}

TEST(Unreduce, DleZeroIsAPlainDle) {
    for (unsigned f = 1; f <= 4; ++f)
        expectDecodes({}, {'a', kDle, 0, 'b', kDle, 0, kDle, 0}, f, {'a', kDle, 'b', kDle, kDle});
}

TEST(Unreduce, RepeatsForEachFactor) {
    for (unsigned f = 1; f <= 4; ++f) {
        const Bytes stage = cat({test::toBytes("abcd"), repeat(f, 4, 5), test::toBytes("!")});
        expectDecodes({}, stage, f, test::toBytes("abcdabcda!"));
    }
}

TEST(Unreduce, LengthExtensionForEachFactor) {
    for (unsigned f = 1; f <= 4; ++f) {
        const unsigned mask = 0xffu >> f;
        for (std::size_t len : {std::size_t(mask + 2), std::size_t(mask + 3), std::size_t(mask + 3 + 255)}) {
            const Bytes stage = cat({test::toBytes("x"), repeat(f, 1, len)});
            Bytes expect(len + 1, 'x');
            expectDecodes({}, stage, f, expect);
        }
    }
}

TEST(Unreduce, LongestDistanceOfEachFactor) {
    for (unsigned f = 1; f <= 4; ++f) {
        const std::size_t maxDist = (std::size_t((0xffu >> (8 - f))) << 8) + 256;  // 512 .. 4096
        Bytes history = test::randomBytes(maxDist, f);
        std::replace(history.begin(), history.end(), kDle, std::uint8_t(kDle + 1));
        const Bytes stage = cat({history, repeat(f, maxDist, 6)});
        Bytes expect = history;
        expect.insert(expect.end(), history.begin(), history.begin() + 6);
        expectDecodes({}, stage, f, expect);
    }
}

TEST(Unreduce, RepeatFromBeforeTheFirstByteGivesZeros) {
    const Bytes stage = cat({test::toBytes("ab"), repeat(2, 10, 4)});
    expectDecodes({}, stage, 2, {'a', 'b', 0, 0, 0, 0});
}

TEST(Unreduce, FollowerSetsOfEverySize) {
    FollowerSets sets;
    Bytes stage;
    // The set of a byte decides how the next byte is sent; sizes 1 to 63 (the most its
    // 6-bit count holds), indices of 1 to 6 bits.
    for (std::size_t n : {1, 2, 3, 4, 5, 8, 9, 16, 17, 32, 33, 62, 63}) {
        const std::uint8_t owner = std::uint8_t(n);
        Bytes pool;
        for (unsigned v = 0; v < 256; ++v)
            if (v != kDle && v != 0xee) pool.push_back(std::uint8_t(v));
        std::shuffle(pool.begin(), pool.end(), std::mt19937(unsigned(n)));
        const Bytes set(pool.begin(), pool.begin() + std::ptrdiff_t(n));
        sets[owner] = set;
        for (auto follower : set) {
            stage.push_back(owner);
            stage.push_back(follower);  // sent as an index into the owner's set
        }
        stage.push_back(owner);
        stage.push_back(0xee);  // not in the set: sent as 1 + 8 bits
    }
    sets[0] = {'q'};  // the byte before the first one counts as 0
    stage.insert(stage.begin(), 'q');
    expectDecodes(sets, stage, 3, stage);
}

TEST(Unreduce, FollowerSetsApplyToBytesAfterDle) {
    // The set that picks a byte is the one of the byte before it in the coded stream,
    // DLE and repeat bytes included.
    FollowerSets sets;
    sets[kDle] = {0, 3};
    sets[3] = {2};
    const Bytes stage = {'a', 'b', 'c', kDle, 3, 2, kDle, 0};
    expectDecodes(sets, stage, 4, {'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', kDle});
}

TEST(Unreduce, EndsAtTheStatedSize) {
    const Bytes stage = cat({test::toBytes("abcd"), repeat(1, 4, 100), test::toBytes("tail")});
    const auto r = decode(reduced({}, stage), 1, 10);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.out, test::toBytes("abcdabcdab"));
    const auto none = decode(reduced({}, stage), 1, 0);
    ASSERT_TRUE(none.ok);
    EXPECT_TRUE(none.out.empty());
}

TEST(Unreduce, IndexBeyondTheFollowerSet) {
    test::BitWriter w;
    for (int j = 255; j >= 0; --j) {
        w.bits(j == 0 ? 3 : 0, 6);
        if (j == 0) {
            for (char c : std::string("abc")) w.bits(std::uint8_t(c), 8);
        }
    }
    w.bits(0, 1);
    w.bits(3, 2);  // index 3 of a set of 3
    EXPECT_FALSE(decode(w.finish(), 1, 1).ok);
}

TEST(Unreduce, DataEndingTooSoon) {
    const Bytes packed = reduced({}, test::toBytes("abcdef"));
    EXPECT_TRUE(decode(packed, 2, 6).ok);
    const auto r = decode(packed, 2, 7);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(decode(Bytes(packed.begin(), packed.begin() + 100), 2, 6).ok);  // inside the sets
}

TEST(Unreduce, OnlyMethodsTwoToFive) {
    const Bytes packed = reduced({}, test::toBytes("abc"));
    for (unsigned method : {0u, 1u, 6u, 8u}) {
        DecodeParams p;
        p.method = std::uint16_t(method);
        p.uncompressedSize = 3;
        EXPECT_FALSE(test::runDecoder(unreduce, packed, p).ok) << method;
    }
}

TEST(Unreduce, RandomInputEndsCleanly) {
    for (unsigned method = 2; method <= 5; ++method) {
        DecodeParams p;
        p.method = std::uint16_t(method);
        p.uncompressedSize = 50000;
        const auto counts = test::runOnRandomInput(unreduce, p, 400, method);
        EXPECT_EQ(counts.tooLong, 0u);  // never more than the stated size
    }
}

TEST(Unreduce, CutShortCorpusMembersEndCleanly) {
    for (const char* archive : {"legacy/pkzip_reduce1.zip", "legacy/pkzip_reduce4.zip"}) {
        const auto m = test::readArchiveMembers(test::testData(archive)).at(1);
        ASSERT_EQ(m.name, "TEST.EXE");
        DecodeParams p;
        p.method = m.method;
        p.compressedSize = m.compressedSize;
        p.uncompressedSize = m.uncompressedSize;
        const auto whole = test::runDecoder(unreduce, m.data, p);
        ASSERT_TRUE(whole.ok);
        test::expectCleanEndings(unreduce, m.data, p, whole.out, 97);
    }
}

}  // namespace
}  // namespace zb::zip
