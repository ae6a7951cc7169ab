// Inflate against data compressed by zlib (the peer): every block kind it writes, every
// level, input handed over in pieces of any size, wrong size hints, and the way output
// is handed on.
#include <gtest/gtest.h>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/inflate/Inflate.h"

namespace zb::zip {
namespace {

using test::Bytes;

struct Sample {
    const char* name;
    Bytes data;
};

const std::vector<Sample>& samples() {
    static const std::vector<Sample> all = [] {
        std::vector<Sample> s;
        s.push_back({"empty", {}});
        s.push_back({"one byte", {0x41}});
        s.push_back({"short text", test::toBytes("Varnholt restores what it packed, byte for byte.")});
        s.push_back({"text 100K", test::wordyText(100000, 1)});
        s.push_back({"random 70K", test::randomBytes(70000, 2)});
        s.push_back({"runs 300K", test::runsAndPatterns(300000, 3)});
        s.push_back({"zeros 1M", Bytes(1 << 20, 0)});
        s.push_back({"text 1.5M", test::wordyText(1500000, 4)});
        return s;
    }();
    return all;
}

DecodeParams paramsFor(const Bytes& packed, const Bytes& plain) {
    DecodeParams p;
    p.method = 8;
    p.compressedSize = packed.size();
    p.uncompressedSize = plain.size();
    return p;
}

void expectRoundTrip(const Bytes& plain, const Bytes& packed, const DecodeParams& p, std::size_t piece,
                     const std::string& what) {
    const auto r = test::runDecoder(inflate, packed, p, piece);
    ASSERT_TRUE(r.ok) << what;
    ASSERT_EQ(r.out.size(), plain.size()) << what;
    EXPECT_TRUE(r.out == plain) << what;
}

TEST(InflateRoundTrip, EveryShapeAtEveryLevel) {
    for (const auto& s : samples()) {
        for (int level : {0, 1, 6, 9}) {
            const Bytes packed = test::zlibDeflateRaw(s.data, level);
            expectRoundTrip(s.data, packed, paramsFor(packed, s.data), SIZE_MAX,
                            std::string(s.name) + " level " + std::to_string(level));
        }
    }
}

TEST(InflateRoundTrip, FixedCodeHuffmanOnlyAndRunLengthStrategies) {
    for (const auto& s : samples()) {
        for (int strategy : {Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE, Z_FILTERED}) {
            const Bytes packed = test::zlibDeflateRaw(s.data, 6, strategy);
            expectRoundTrip(s.data, packed, paramsFor(packed, s.data), SIZE_MAX,
                            std::string(s.name) + " strategy " + std::to_string(strategy));
        }
    }
}

TEST(InflateRoundTrip, InputInPiecesOfAnySize) {
    const Bytes plain = test::runsAndPatterns(200000, 9);
    for (int level : {0, 6}) {
        const Bytes packed = test::zlibDeflateRaw(plain, level);
        for (std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(4095), std::size_t(65537)})
            expectRoundTrip(plain, packed, paramsFor(packed, plain), piece,
                            "level " + std::to_string(level) + " piece " + std::to_string(piece));
    }
}

TEST(InflateRoundTrip, SizeHintsOnlyShapeBuffers) {
    const Bytes plain = test::wordyText(700000, 5);
    const Bytes packed = test::zlibDeflateRaw(plain, 6);
    struct Hint {
        std::uint64_t compressed, uncompressed;
    };
    // Unknown, too small (a member bigger than it said), exact, and far too large.
    for (const Hint h :
         {Hint{0, 0}, Hint{1, 1}, Hint{10, 1000}, Hint{packed.size(), plain.size()}, Hint{~0ull, ~0ull}}) {
        DecodeParams p;
        p.compressedSize = h.compressed;
        p.uncompressedSize = h.uncompressed;
        expectRoundTrip(plain, packed, p, SIZE_MAX,
                        "hint " + std::to_string(h.compressed) + "/" + std::to_string(h.uncompressed));
    }
}

TEST(InflateRoundTrip, SmallMemberWithExactHintsIsOneWrite) {
    const Bytes plain = test::wordyText(5000, 6);
    const Bytes packed = test::zlibDeflateRaw(plain, 9);
    test::MemoryInput in(packed);
    test::VectorOutput out;
    ASSERT_TRUE(inflate(in, out, paramsFor(packed, plain)));
    EXPECT_EQ(out.bytes, plain);
    EXPECT_EQ(out.writes, 1u);
}

TEST(InflateRoundTrip, LargeOutputIsHandedOnInLargePieces) {
    const Bytes plain = test::wordyText(3000000, 7);
    const Bytes packed = test::zlibDeflateRaw(plain, 6);
    test::MemoryInput in(packed);
    test::VectorOutput out;
    ASSERT_TRUE(inflate(in, out, paramsFor(packed, plain)));
    EXPECT_EQ(out.bytes, plain);
    // Not one write per block or per 32 KiB window: a few pieces of 256 KiB.
    EXPECT_LE(out.writes, plain.size() / (128 * 1024) + 1);
}

TEST(InflateRoundTrip, BytesAfterTheLastBlockAreLeftAlone) {
    const Bytes plain = test::wordyText(30000, 8);
    Bytes packed = test::zlibDeflateRaw(plain, 6);
    const Bytes tail = test::randomBytes(100, 3);
    packed.insert(packed.end(), tail.begin(), tail.end());
    expectRoundTrip(plain, packed, paramsFor(packed, plain), SIZE_MAX, "with trailing bytes");
}

TEST(InflateRoundTrip, OutputSideExceptionPassesOn) {
    const Bytes plain = test::wordyText(400000, 10);
    const Bytes packed = test::zlibDeflateRaw(plain, 6);
    test::MemoryInput in(packed);
    test::VectorOutput out(1000);
    EXPECT_THROW(inflate(in, out, paramsFor(packed, plain)), std::length_error);
}

TEST(InflateRoundTrip, InputSideExceptionPassesOn) {
    struct CancellingInput : DecodeInput {
        std::size_t read(std::uint8_t*, std::size_t) override { throw std::runtime_error("cancelled"); }
    } in;
    test::VectorOutput out;
    EXPECT_THROW(inflate(in, out, DecodeParams{}), std::runtime_error);
}

}  // namespace
}  // namespace zb::zip
