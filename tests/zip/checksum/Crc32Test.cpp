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

TEST(Crc32, EveryPathAgreesWithTheByteLoopOnRandomLengthsAndAlignments) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> data((3 << 20) + 64);
    for (auto& b : data) b = std::uint8_t(rng());
    // Every length up to past each path's widest round, random ones up to a few KiB,
    // and a few MiB; each at a random alignment and with a random register.
    std::vector<std::size_t> lengths;
    for (std::size_t len = 0; len <= 600; ++len) lengths.push_back(len);
    for (int i = 0; i < 300; ++i) lengths.push_back(rng() % 8192);
    for (std::size_t len : {1u << 20, (2u << 20) + 77, 3u << 20}) lengths.push_back(len);
    const auto paths = crc32Paths();
    ASSERT_STREQ(paths.front().name, "portable");
    for (std::size_t len : lengths) {
        const std::size_t off = rng() % 64;
        const std::uint32_t reg = std::uint32_t(rng());
        const std::uint32_t expect = crc32UpdateBytewise(reg, data.data() + off, len);
        for (const Crc32Path& path : paths)
            ASSERT_EQ(path.update(reg, data.data() + off, len), expect) << path.name << " " << len << "/" << off;
    }
}

TEST(Crc32, ForcedPortablePathGivesTheSameValues) {
    std::vector<std::uint8_t> data(70000);
    std::mt19937 rng(5);
    for (auto& b : data) b = std::uint8_t(rng());
    const std::uint32_t preferred = crc32(data.data(), data.size());
    crc32UsePortable(true);
    EXPECT_STREQ(crc32ActivePath(), "portable");
    const std::uint32_t portable = crc32(data.data(), data.size());
    crc32UsePortable(false);
    EXPECT_STREQ(crc32ActivePath(), crc32Paths().back().name);
    EXPECT_EQ(portable, preferred);
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
