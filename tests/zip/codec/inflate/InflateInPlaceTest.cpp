// Inflate with the compressed member read in place from the input side's memory, and
// stored blocks written from there without passing through the window: the output must
// be the same as through copying reads, also when later blocks copy from stored bytes
// (history taken from one or many stored pieces), when stored blocks are empty or
// cross the window's end, and when the data ends inside a stored block.
#include <gtest/gtest.h>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/inflate/Inflate.h"

namespace zb::zip {
namespace {

using test::Bytes;

// Compresses `parts` one after another into one raw deflate stream: each part at its
// own level, ended by a sync flush (which keeps the history, so a later part's matches
// may reach into an earlier, stored one).
Bytes deflateParts(const std::vector<std::pair<Bytes, int>>& parts) {
    z_stream z{};
    if (deflateInit2(&z, parts.front().second, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    Bytes out;
    std::vector<std::uint8_t> buf(1 << 16);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && deflateParams(&z, parts[i].second, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("deflateParams");
        z.next_in = const_cast<Bytef*>(parts[i].first.data());
        z.avail_in = uInt(parts[i].first.size());
        const int flush = i + 1 == parts.size() ? Z_FINISH : Z_SYNC_FLUSH;
        int rc;
        do {
            z.next_out = buf.data();
            z.avail_out = uInt(buf.size());
            rc = deflate(&z, flush);
            out.insert(out.end(), buf.data(), buf.data() + (buf.size() - z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    }
    deflateEnd(&z);
    return out;
}

Bytes joined(const std::vector<std::pair<Bytes, int>>& parts) {
    Bytes all;
    for (auto& [data, level] : parts) all.insert(all.end(), data.begin(), data.end());
    return all;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }

DecodeParams params(std::uint64_t compressed, std::uint64_t uncompressed) {
    DecodeParams p;
    p.method = 8;
    p.compressedSize = compressed;
    p.uncompressedSize = uncompressed;
    return p;
}

// Decodes in place (and, to compare, through copying reads) with no size hints and with
// exact ones (a small member gets a small window).
void expectBothWays(const Bytes& plain, const Bytes& packed, const std::string& what) {
    for (const DecodeParams& p : {params(0, 0), params(packed.size(), plain.size())}) {
        SCOPED_TRACE(what + (p.uncompressedSize ? ", exact hints" : ", no hints"));
        test::InPlaceInput in(packed);
        test::VectorOutput out;
        ASSERT_TRUE(inflate(in, out, p));
        EXPECT_EQ(in.taken, 1);
        EXPECT_EQ(in.reads, 0);
        ASSERT_EQ(out.bytes.size(), plain.size());
        EXPECT_TRUE(out.bytes == plain);
        const auto copied = test::runDecoder(inflate, packed, p, 4093);
        ASSERT_TRUE(copied.ok);
        EXPECT_TRUE(copied.out == plain);
    }
}

TEST(InflateInPlace, IncompressibleDataInManyStoredBlocks) {
    const Bytes plain = test::randomBytes(300000, 21);
    expectBothWays(plain, test::zlibDeflateRaw(plain, 6), "random at level 6");
    expectBothWays(plain, test::zlibDeflateRaw(plain, 0), "random at level 0");
}

TEST(InflateInPlace, CompressibleDataNeverStored) {
    const Bytes plain = test::wordyText(400000, 22);
    expectBothWays(plain, test::zlibDeflateRaw(plain, 9), "text");
}

TEST(InflateInPlace, MatchesReachBackIntoOneLargeStoredBlock) {
    const Bytes r = test::randomBytes(50000, 23);
    // Stored 50000 bytes, then repeats of its last 32 KiB at the longest distances.
    const std::vector<std::pair<Bytes, int>> parts = {
        {r, 0}, {slice(r, 50000 - 32768, 20000), 9}, {slice(r, 30000, 258), 9}};
    expectBothWays(joined(parts), deflateParts(parts), "one stored block then matches");
}

TEST(InflateInPlace, MatchesReachBackAcrossManySmallStoredBlocks) {
    const Bytes text = test::wordyText(6000, 24);
    const Bytes r = test::randomBytes(40000, 25);
    std::vector<std::pair<Bytes, int>> parts = {{text, 9}};  // history before the stored pieces
    for (std::size_t at = 0; at < r.size(); at += 997)
        parts.push_back({slice(r, at, std::min<std::size_t>(997, r.size() - at)), 0});
    parts.push_back({Bytes{}, 0});                         // an empty stored block
    parts.push_back({slice(r, 40000 - 30000, 29000), 9});  // spans about thirty stored pieces
    parts.push_back({slice(text, 0, 2000), 9});            // out of reach for a match: literals
    expectBothWays(joined(parts), deflateParts(parts), "many stored pieces then matches");

    std::vector<std::pair<Bytes, int>> few = {{text, 9},
                                              {slice(r, 0, 500), 0},
                                              {slice(r, 500, 700), 0},
                                              {slice(text, 100, 3000), 9},
                                              {slice(r, 100, 900), 9}};
    expectBothWays(joined(few), deflateParts(few), "short stored pieces, older history still in reach");
}

TEST(InflateInPlace, StoredAndHuffmanBlocksAlternatingPastTheWindowsEnd) {
    std::vector<std::pair<Bytes, int>> parts;
    for (std::uint32_t i = 0; i < 24; ++i) {
        const Bytes r = test::randomBytes(30000 + 1000 * i, 100 + i);
        parts.push_back({r, 0});
        parts.push_back({slice(r, 1000, 20000), 6});
        parts.push_back({test::wordyText(9000, 200 + i), 6});
    }
    expectBothWays(joined(parts), deflateParts(parts), "alternating blocks");
}

TEST(InflateInPlace, DataEndingInsideAStoredBlockFails) {
    const Bytes plain = test::randomBytes(100000, 26);
    const Bytes packed = test::zlibDeflateRaw(plain, 0);
    for (std::size_t cut : {std::size_t(3), std::size_t(5), std::size_t(40000), packed.size() - 1}) {
        SCOPED_TRACE(cut);
        const Bytes truncated = slice(packed, 0, cut);
        test::InPlaceInput in(truncated);
        test::VectorOutput out;
        EXPECT_FALSE(inflate(in, out, params(truncated.size(), plain.size())));
        ASSERT_LE(out.bytes.size(), plain.size());
        EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), plain.begin()));
        EXPECT_FALSE(test::runDecoder(inflate, truncated, params(truncated.size(), plain.size())).ok);
    }
}

}  // namespace
}  // namespace zb::zip
