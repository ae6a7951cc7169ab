// What the writer sees for the members that stress the block choice and the header
// fields: empty and tiny members stored whole, a run of equal bytes, the text/binary
// decision on the first block, incompressible data as stored blocks, and the flag
// bits of each level.
#include "zip/codec/deflate/DeflateTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>

namespace zb::zip::test {
namespace {

std::vector<unsigned> blockTypes(const Bytes& stream) {
    std::vector<unsigned> types;
    for (const Block& b : decodeBlocks(stream).blocks) {
        types.push_back(b.type);
    }
    return types;
}

TEST(DeflateEdgeCases, EmptyInputIsAStoredEmptyTextMember) {
    for (int level = 1; level <= 9; ++level) {
        const Bytes none;
        MemorySource source(none);
        MemorySink sink;
        const DeflateResult r = Deflater().compress(source, sink, level);
        EXPECT_EQ(r.method, 0) << level;
        EXPECT_EQ(r.compressedSize, 0u) << level;
        EXPECT_EQ(r.internalAttributes, 1) << level;
        EXPECT_EQ(sink.calls, 0u) << level;
    }
}

TEST(DeflateEdgeCases, HundredRandomBytesAreStoredWhole) {
    const Bytes data = randomBytes(100, 51);
    for (int level = 1; level <= 9; ++level) {
        const Compressed c = compressBytes(data, level);
        EXPECT_EQ(c.result.method, 0) << level;
        EXPECT_EQ(c.result.compressedSize, 100u) << level;
        EXPECT_EQ(c.bytes, data) << "raw bytes, no block header";
    }
}

TEST(DeflateEdgeCases, ShortInputsThatDoNotShrinkAreStoredWhole) {
    // Position 0 is never a match candidate, so "aaaa" is four literals: 39 bits of
    // fixed code plus the block header do not beat 4 raw bytes.
    const Bytes aaaa{'a', 'a', 'a', 'a'};
    const Compressed c = compressBytes(aaaa, 6);
    EXPECT_EQ(c.result.method, 0);
    EXPECT_EQ(c.bytes, aaaa);
    const Bytes one{'z'};
    EXPECT_EQ(compressBytes(one, 1).result.method, 0);
}

TEST(DeflateEdgeCases, HundredThousandEqualBytesShrinkAndFlagTheLevel) {
    const Bytes data = filledBytes(100000, 'A');
    const std::uint16_t expectedFlags[10] = {0, 4, 4, 0, 0, 0, 0, 0, 2, 2};
    for (int level = 1; level <= 9; ++level) {
        const Compressed c = compressBytes(data, level);
        EXPECT_EQ(c.result.method, 8) << level;
        EXPECT_LT(c.result.compressedSize, 1000u) << level;
        EXPECT_EQ(c.result.flagBits, expectedFlags[level]) << level;
        EXPECT_EQ(c.result.flagBits, deflateFlagBits(level));
        EXPECT_EQ(zlibInflate(c.bytes), data) << level;
        EXPECT_EQ(engineInflate(c.bytes), data) << level;
        for (unsigned type : blockTypes(c.bytes)) {
            EXPECT_NE(type, 0u) << "no stored block for a run of equal bytes";
        }
    }
}

TEST(DeflateEdgeCases, TextAndBinaryAreDecidedOnTheFirstBlock) {
    EXPECT_EQ(compressBytes(textBytes(100000, 52), 6).result.internalAttributes, 1);
    EXPECT_EQ(compressBytes(randomBytes(100000, 53), 6).result.internalAttributes, 0);
    EXPECT_EQ(compressBytes(binaryBytes(100000, 54), 1).result.internalAttributes, 0);

    // A first block full of bytes above 127 marks the member binary, although almost
    // all of it is plain text.
    Bytes mostlyText = randomBytes(40000, 55);
    const Bytes text = textBytes(400000, 56);
    mostlyText.insert(mostlyText.end(), text.begin(), text.end());
    for (int level : {1, 6, 9}) {
        EXPECT_EQ(compressBytes(mostlyText, level).result.internalAttributes, 0) << level;
    }

    // The same binary bytes after the first block change nothing.
    Bytes textFirst = textBytes(400000, 57);
    const Bytes noise = randomBytes(40000, 58);
    textFirst.insert(textFirst.end(), noise.begin(), noise.end());
    EXPECT_EQ(compressBytes(textFirst, 6).result.internalAttributes, 1);
}

TEST(DeflateEdgeCases, TheQuarterRuleIsInclusive) {
    // 400 text bytes, then 100 binary bytes (a quarter exactly): still text; one
    // binary byte more makes it binary. No 3-byte string repeats, so every byte is a
    // literal and counts.
    auto make = [](unsigned binary) {
        for (std::uint32_t seed = 1;; ++seed) {
            std::mt19937 rng(seed);
            Bytes b;
            for (unsigned i = 0; i < 400; ++i) {
                b.push_back(static_cast<std::uint8_t>(7 + rng() % 121));
            }
            for (unsigned i = 0; i < binary; ++i) {
                const unsigned r = rng() % 135;
                b.push_back(static_cast<std::uint8_t>(r < 7 ? r : r + 121));
            }
            std::set<std::uint32_t> seen;
            bool repeats = false;
            for (std::size_t i = 0; i + 2 < b.size() && !repeats; ++i) {
                repeats = !seen.insert(b[i] | b[i + 1] << 8 | b[i + 2] << 16).second;
            }
            if (!repeats) {
                return b;
            }
        }
    };
    for (unsigned binary : {100u, 101u}) {
        for (int level : {1, 6}) {
            const Compressed c = compressBytes(make(binary), level);
            EXPECT_EQ(c.result.internalAttributes, binary == 100 ? 1 : 0) << binary;
        }
    }
}

TEST(DeflateEdgeCases, RandomDataBecomesStoredBlocksInsideTheStream) {
    const Bytes data = randomBytes(200000, 59);
    for (int level : {1, 3, 6, 9}) {
        const Compressed c = compressBytes(data, level);
        EXPECT_EQ(c.result.method, 8) << level;
        const Decoded d = decodeBlocks(c.bytes);
        ASSERT_EQ(d.data, data);
        ASSERT_GE(d.blocks.size(), 2u);
        for (const Block& b : d.blocks) {
            EXPECT_EQ(b.type, 0u) << level;
        }
        EXPECT_EQ(c.result.compressedSize, 200000u + 5u * d.blocks.size()) << level;
        EXPECT_EQ(zlibInflate(c.bytes), data);
        EXPECT_EQ(engineInflate(c.bytes), data);
    }
}

TEST(DeflateEdgeCases, SmallCompressibleBlocksUseTheFixedCodeLargeOnesTheirOwn) {
    const std::string s = "abcabcabcabcabcabcabcabc, abcabcabcabc!";
    const Bytes small(s.begin(), s.end());
    const Compressed a = compressBytes(small, 6);
    ASSERT_EQ(a.result.method, 8);
    EXPECT_EQ(blockTypes(a.bytes), std::vector<unsigned>{1});

    const Compressed b = compressBytes(textBytes(20000, 60), 6);
    EXPECT_EQ(blockTypes(b.bytes), std::vector<unsigned>{2});
}

// The writer's exceptions (full disk, cancel, read error) pass through untouched,
// and the compressor is ready for the next member afterwards.
TEST(DeflateEdgeCases, ExceptionsFromTheRoutinesPassThrough) {
    struct FailingSink : DeflateSink {
        int left;
        explicit FailingSink(int n) : left(n) {}
        void write(const std::uint8_t*, std::size_t) override {
            if (left-- == 0) {
                throw std::runtime_error("disk full");
            }
        }
    };
    struct FailingSource : DeflateSource {
        std::size_t read(std::uint8_t*, std::size_t) override { throw std::runtime_error("read error"); }
    };
    const Bytes data = randomBytes(300000, 61);
    Deflater d;
    MemorySource source(data);
    FailingSink sink(1);
    EXPECT_THROW(d.compress(source, sink, 6), std::runtime_error);
    FailingSource bad;
    MemorySink unused;
    EXPECT_THROW(d.compress(bad, unused, 6), std::runtime_error);

    const Bytes text = textBytes(50000, 62);
    const Compressed after = compressBytes(text, 6, &d);
    EXPECT_EQ(after.bytes, compressBytes(text, 6).bytes);
}

TEST(DeflateEdgeCases, LevelsOutsideOneToNineAreRefusedBeforeReading) {
    const Bytes data = textBytes(100, 63);
    for (int level : {0, -1, 10}) {
        MemorySource source(data);
        MemorySink sink;
        EXPECT_THROW(Deflater().compress(source, sink, level), std::invalid_argument);
        EXPECT_TRUE(source.requests.empty());
        EXPECT_TRUE(sink.bytes.empty());
    }
}

// One compressor serves a whole run: a member's output must not depend on what the
// members before it left in the window (a match may run past the end of the input
// into bytes that are not part of it).
TEST(DeflateEdgeCases, MembersDoNotInfluenceEachOther) {
    Bytes tail = textBytes(3000, 64);
    tail.insert(tail.end(), tail.begin() + 10, tail.begin() + 510);  // repeat to the end
    for (int level : {1, 4, 6, 9}) {
        Deflater shared;
        compressBytes(randomBytes(70000, 65), level, &shared);
        compressBytes(filledBytes(5000, 0xFF), level, &shared);
        const Compressed reused = compressBytes(tail, level, &shared);
        const Compressed fresh = compressBytes(tail, level);
        EXPECT_EQ(reused.bytes, fresh.bytes) << level;
        EXPECT_EQ(zlibInflate(fresh.bytes), tail);
    }
}

TEST(DeflateEdgeCases, SinkGetsNoEmptyWrites) {
    for (const Bytes& data : {textBytes(100000, 66), randomBytes(100000, 67), Bytes{1}}) {
        MemorySource source(data);
        MemorySink sink;
        const DeflateResult r = Deflater().compress(source, sink, 6);
        EXPECT_FALSE(sink.emptyWrite);
        EXPECT_EQ(r.compressedSize, sink.bytes.size());
    }
}

}  // namespace
}  // namespace zb::zip::test
