// CRC-32: the known check value, and every implementation against the plain loop over
// lengths and alignments that cross each folding and table boundary.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "zip/checksum/Crc32.h"

namespace zb::zip {
namespace {

TEST(Crc32, CheckValueOfTheDigits) {
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32("", 0), 0u);
}

TEST(Crc32, TableIsTheReflectedPolynomial) {
    EXPECT_EQ(kCrc32Table[0], 0u);
    EXPECT_EQ(kCrc32Table[1], 0x77073096u);
    EXPECT_EQ(kCrc32Table[255], 0x2D02EF8Du);
}

TEST(Crc32, StepIsOneTableLookup) {
    std::uint32_t reg = 0xFFFFFFFF;
    for (char c : std::string("123456789")) reg = crc32Step(reg, std::uint8_t(c));
    EXPECT_EQ(~reg, 0xCBF43926u);
}

TEST(Crc32, AllImplementationsAgreeOnEveryLengthAndAlignment) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> data(4096 + 16);
    for (auto& b : data) b = std::uint8_t(rng());
    for (std::size_t len : {0, 1, 7, 8, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 255, 256, 1000, 4096}) {
        for (std::size_t off = 0; off < 9; ++off) {
            std::uint32_t expect = crc32UpdateBytewise(0xFFFFFFFF, data.data() + off, len);
            EXPECT_EQ(crc32UpdateSlicing8(0xFFFFFFFF, data.data() + off, len), expect) << len << "/" << off;
            if (crc32HasClmul()) {
                EXPECT_EQ(crc32UpdateClmul(0xFFFFFFFF, data.data() + off, len), expect) << len << "/" << off;
            }
            EXPECT_EQ(crc32Update(0xFFFFFFFF, data.data() + off, len), expect);
        }
    }
}

TEST(Crc32, RunningRegisterAcrossBlocksEqualsOneBlock) {
    std::vector<std::uint8_t> data(100000);
    std::mt19937 rng(3);
    for (auto& b : data) b = std::uint8_t(rng());
    std::uint32_t whole = crc32(data.data(), data.size());
    std::uint32_t reg = kCrc32Preset;
    std::size_t pos = 0;
    for (std::size_t step : {1, 3, 64, 100, 32768, 5, 1000}) {
        reg = crc32Update(reg, data.data() + pos, step);
        pos += step;
    }
    reg = crc32Update(reg, data.data() + pos, data.size() - pos);
    EXPECT_EQ(~reg, whole);
}

}  // namespace
}  // namespace zb::zip
