// Random bytes from the system: every size filled, and no visible pattern.
#include "platform/SecureRandom.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace zb::platform {
namespace {

TEST(SecureRandom, TwoDrawsDiffer) {
    std::array<unsigned char, 32> a{}, b{};
    secureRandomBytes(a.data(), a.size());
    secureRandomBytes(b.data(), b.size());
    EXPECT_NE(a, b);
}

TEST(SecureRandom, LargeBufferIsFilledEvenly) {
    std::vector<unsigned char> buf(1 << 20, 0);
    secureRandomBytes(buf.data(), buf.size());
    std::array<double, 256> counts{};
    for (unsigned char c : buf) counts[c] += 1;
    // Chi-square with 255 degrees of freedom: far beyond 400 only for a broken source.
    const double expected = double(buf.size()) / 256.0;
    double chi = 0;
    for (double c : counts) chi += (c - expected) * (c - expected) / expected;
    EXPECT_LT(chi, 400.0);
    // The last bytes are filled too.
    bool tailTouched = false;
    for (std::size_t i = buf.size() - 64; i < buf.size(); ++i) tailTouched = tailTouched || buf[i] != 0;
    EXPECT_TRUE(tailTouched);
}

TEST(SecureRandom, ZeroBytesIsFine) {
    EXPECT_NO_THROW(secureRandomBytes(nullptr, 0));
}

}  // namespace
}  // namespace zb::platform
