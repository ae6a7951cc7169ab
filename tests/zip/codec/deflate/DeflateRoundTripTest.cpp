// Round trips: every level on every kind of input decodes, through zlib's inflate, the
// engine's own inflate and the tests' block reader, to exactly the input.
#include "zip/codec/deflate/DeflateTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

namespace zb::zip::test {
namespace {

struct Input {
    std::string name;
    std::function<Bytes()> make;
};

const std::vector<Input>& inputs() {
    static const std::vector<Input> all = {
        {"empty", [] { return Bytes{}; }},
        {"oneByte", [] { return Bytes{'x'}; }},
        {"twoBytes",
         [] {
             return Bytes{0, 0};
         }},
        {"threeEqual", [] { return filledBytes(3, 7); }},
        {"text", [] { return textBytes(300000, 1); }},
        {"binary", [] { return binaryBytes(300000, 2); }},
        {"random", [] { return randomBytes(150000, 3); }},
        {"repetitive", [] { return repetitiveBytes(400000, 4); }},
        {"zeros", [] { return filledBytes(200000, 0); }},
        {"window32767", [] { return textBytes(32767, 5); }},
        {"window32768", [] { return textBytes(32768, 6); }},
        {"window32769", [] { return textBytes(32769, 7); }},
        {"window65274", [] { return binaryBytes(65274, 8); }},
        {"window65536", [] { return binaryBytes(65536, 9); }},
        {"window65537", [] { return repetitiveBytes(65537, 10); }},
        {"literalHeavy", [] { return literalHeavyBytes(400000, 11); }},
        {"severalMegabytes",
         [] {
             Bytes b = textBytes(1500000, 12);
             const Bytes r = binaryBytes(1000000, 13);
             b.insert(b.end(), r.begin(), r.end());
             const Bytes l = repetitiveBytes(1000000, 14);
             b.insert(b.end(), l.begin(), l.end());
             return b;
         }},
    };
    return all;
}

class DeflateRoundTrip : public ::testing::TestWithParam<std::tuple<int, std::size_t>> {};

TEST_P(DeflateRoundTrip, DecodesToTheInput) {
    const auto [level, which] = GetParam();
    const Bytes data = inputs()[which].make();
    const Compressed c = compressBytes(data, level);
    ASSERT_EQ(c.result.compressedSize, c.bytes.size());
    if (c.result.method == 0) {
        EXPECT_EQ(c.bytes, data);
        return;
    }
    ASSERT_EQ(c.result.method, 8);
    EXPECT_EQ(zlibInflate(c.bytes), data);
    EXPECT_EQ(engineInflate(c.bytes), data);
    const Decoded ours = decodeBlocks(c.bytes);
    EXPECT_EQ(ours.data, data);
    EXPECT_EQ(ours.usedBytes, c.bytes.size()) << "bytes after the last block";
}

INSTANTIATE_TEST_SUITE_P(AllLevels, DeflateRoundTrip,
                         ::testing::Combine(::testing::Range(1, 10), ::testing::Range<std::size_t>(0, 17)),
                         [](const auto& info) {
                             return inputs()[std::get<1>(info.param)].name + "_level" +
                                    std::to_string(std::get<0>(info.param));
                         });

TEST(DeflateRoundTrip, InputListIsComplete) { EXPECT_EQ(inputs().size(), 17u); }

// A source that hands over less than asked (a pipe, a slow disk) still gives a
// complete stream, and is not asked again once it reported the end.
TEST(DeflateRoundTrip, ShortReadsStillDecode) {
    const Bytes data = textBytes(200000, 21);
    for (int level : {1, 6, 9}) {
        MemorySource source(data, 1000);
        MemorySink sink;
        Deflater d;
        d.compress(source, sink, level);
        EXPECT_EQ(zlibInflate(sink.bytes), data) << "level " << level;
        EXPECT_EQ(engineInflate(sink.bytes), data) << "level " << level;
        EXPECT_FALSE(source.readAfterEnd);
    }
}

}  // namespace
}  // namespace zb::zip::test
