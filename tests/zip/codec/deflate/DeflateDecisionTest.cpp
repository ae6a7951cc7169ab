// The compressor's decisions, entry by entry: every block's literals and matches, the
// block ends and the read requests must be those of the plain model of the rules
// (DeflateReferenceModel). Stored blocks carry no entries; there only the block ends
// are compared, and a stored block is only allowed where the model says its bytes
// were still in the window.
#include "zip/codec/deflate/DeflateReferenceModel.h"
#include "zip/codec/deflate/DeflateTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>

namespace zb::zip::test {
namespace {

struct Case {
    std::string name;
    std::function<Bytes()> make;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"text", [] { return textBytes(150000, 31); }},
        {"binary", [] { return binaryBytes(150000, 32); }},
        {"repetitive", [] { return repetitiveBytes(200000, 33); }},
        {"literalHeavy", [] { return literalHeavyBytes(300000, 34); }},
        {"zeros", [] { return filledBytes(100000, 0); }},
        {"tinyText", [] { return textBytes(300, 35); }},
        {"tail",
         [] {  // a repeat that runs to the very end of the input
             Bytes b = textBytes(5000, 36);
             b.insert(b.end(), b.begin() + 100, b.begin() + 1100);
             return b;
         }},
        {"slideBoundary", [] { return repetitiveBytes(65274 + 32768 + 3, 37); }},
        {"longChains",
         [] {  // common short prefixes, differing right after: chains
               // longer than any budget, matches shorter than nice
             std::mt19937 rng(40);
             Bytes b;
             const char* prefixes[] = {"ABCD", "ABCE", "ABC", "XYZW", "\x00\x00\x00\x00"};
             while (b.size() < 200000) {
                 const char* p = prefixes[rng() % 5];
                 const std::size_t n = p[0] == 0 ? 4 : std::strlen(p);
                 b.insert(b.end(), p, p + n);
                 for (unsigned k = 0, m = 1 + rng() % 3; k < m; ++k) {
                     b.push_back(static_cast<std::uint8_t>(0xF0 + rng() % 8));  // binary
                 }
             }
             return b;
         }},
        {"mixed",
         [] {
             Bytes b = randomBytes(70000, 38);
             const Bytes t = textBytes(120000, 39);
             b.insert(b.end(), t.begin(), t.end());
             return b;
         }},
        {"farthestReach",
         [] {  // few repeats (64 byte values, so blocks still compress), and copies from
               // exactly as far back as a match may reach (32506) and one byte farther,
               // some behind a near miss of the same hash
             std::mt19937 rng(41);
             Bytes b(150000);
             for (auto& byte : b) {
                 byte = static_cast<std::uint8_t>(0x40 + rng() % 64);
             }
             for (std::size_t p = 40000, k = 0; p + 64 < b.size(); p += 997, ++k) {
                 const std::size_t back = 32506 + k % 2;
                 std::copy_n(b.begin() + static_cast<long>(p - back), 12, b.begin() + static_cast<long>(p));
                 if (k % 4 >= 2) {
                     std::copy_n(b.begin() + static_cast<long>(p), 3, b.begin() + static_cast<long>(p - 40));
                     b[p - 40] ^= 0x20;
                 }
             }
             return b;
         }},
    };
    return all;
}

void expectSameDecisions(const Bytes& data, int level) {
    MemorySource source(data);
    MemorySink sink;
    Deflater deflater;
    const DeflateResult result = deflater.compress(source, sink, level);
    const ReferenceRun model = referenceRun(data, level);

    EXPECT_EQ(source.requests, model.reads) << "read requests";
    if (result.method == 0) {
        ASSERT_EQ(model.blocks.size(), 1u) << "whole-file store needs a single block";
        EXPECT_TRUE(model.blocks[0].inWindow);
        return;
    }
    const Decoded decoded = decodeBlocks(sink.bytes);
    ASSERT_EQ(decoded.data, data);
    ASSERT_EQ(decoded.blocks.size(), model.blocks.size()) << "number of blocks";
    for (std::size_t i = 0; i < model.blocks.size(); ++i) {
        const Block& got = decoded.blocks[i];
        const ReferenceBlock& want = model.blocks[i];
        EXPECT_EQ(got.inputBytes, want.inputBytes) << "block " << i;
        EXPECT_EQ(got.last, i + 1 == model.blocks.size()) << "block " << i;
        if (got.type == 0) {
            EXPECT_TRUE(want.inWindow) << "stored block " << i << " whose bytes slid out";
        } else {
            ASSERT_EQ(got.tokens.size(), want.tokens.size()) << "block " << i;
            for (std::size_t k = 0; k < want.tokens.size(); ++k) {
                ASSERT_EQ(got.tokens[k], want.tokens[k])
                    << "block " << i << " entry " << k << ": got (" << got.tokens[k].distance << ","
                    << got.tokens[k].value << ") want (" << want.tokens[k].distance << "," << want.tokens[k].value
                    << ")";
            }
        }
    }
}

class DeflateDecisions : public ::testing::TestWithParam<std::tuple<int, std::size_t>> {};

TEST_P(DeflateDecisions, MatchTheRules) {
    const auto [level, which] = GetParam();
    expectSameDecisions(cases()[which].make(), level);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, DeflateDecisions,
                         ::testing::Combine(::testing::Range(1, 10), ::testing::Range<std::size_t>(0, 11)),
                         [](const auto& info) {
                             return cases()[std::get<1>(info.param)].name + "_level" +
                                    std::to_string(std::get<0>(info.param));
                         });

TEST(DeflateDecisionModel, CaseListIsComplete) { EXPECT_EQ(cases().size(), 11u); }

// The early-flush estimate really ends blocks (above level 2) long before the tally
// is full, and the levels without it never do.
TEST(DeflateDecisionModel, EarlyFlushEndsBlocksAboveLevelTwo) {
    const Bytes data = literalHeavyBytes(600000, 40);
    for (int level : {1, 2, 3, 6, 9}) {
        const Compressed c = compressBytes(data, level);
        const Decoded d = decodeBlocks(c.bytes);
        ASSERT_EQ(d.data, data);
        std::size_t early = 0;
        for (std::size_t i = 0; i + 1 < d.blocks.size(); ++i) {
            if (d.blocks[i].type != 0 && d.blocks[i].tokens.size() < 32767) {
                ++early;
                EXPECT_EQ(d.blocks[i].tokens.size() % 4096, 0u) << "level " << level;
            }
        }
        if (level <= 2) {
            EXPECT_EQ(early, 0u) << "level " << level;
        } else {
            EXPECT_GT(early, 0u) << "level " << level;
        }
    }
}

// Read requests follow the window: 32768 first, then the free room; a one-byte input
// asks for 65534 (65535 stands for "unknown" in the 16-bit room), a 100-byte input
// for the rest of the 64 KiB window.
TEST(DeflateDecisionModel, ReadRequestsFollowTheWindow) {
    {
        const Bytes one{'a'};
        MemorySource source(one);
        MemorySink sink;
        Deflater().compress(source, sink, 6);
        EXPECT_EQ(source.requests, (std::vector<std::size_t>{32768, 65534}));
    }
    {
        const Bytes hundred = randomBytes(100, 41);
        MemorySource source(hundred);
        MemorySink sink;
        Deflater().compress(source, sink, 1);
        EXPECT_EQ(source.requests, (std::vector<std::size_t>{32768, 65436}));
    }
    {
        const Bytes none;
        MemorySource source(none);
        MemorySink sink;
        Deflater().compress(source, sink, 9);
        EXPECT_EQ(source.requests, (std::vector<std::size_t>{32768}));
    }
    {
        const Bytes big = textBytes(200000, 42);
        MemorySource source(big);
        MemorySink sink;
        Deflater().compress(source, sink, 5);
        ASSERT_GE(source.requests.size(), 3u);
        EXPECT_EQ(source.requests[0], 32768u);
        EXPECT_EQ(source.requests[1], 32768u);
        // 200000 = 6 x 32768 + 3392: after the last slide the data ends at window
        // offset 32768 + 3392, so the request that finds the end asks for the rest.
        EXPECT_EQ(source.requests.back(), 65536u - 32768u - 3392u);
        EXPECT_EQ(source.requests.size(), 8u);
    }
}

}  // namespace
}  // namespace zb::zip::test
