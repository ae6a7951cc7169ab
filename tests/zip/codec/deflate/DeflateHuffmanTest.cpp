// Code construction: lengths within their limit, codes complete and prefix-free,
// optimal where no limit bites, and canonical codes sent bit-reversed.
#include "zip/codec/deflate/DeflateHuffman.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <vector>

namespace zb::zip::deflate {
namespace {

// Sum of 2^-len over the code, scaled by 2^maxBits.
std::uint64_t kraft(const std::vector<std::uint8_t>& lengths, unsigned maxBits) {
    std::uint64_t sum = 0;
    for (unsigned len : lengths) {
        if (len != 0) {
            sum += std::uint64_t{1} << (maxBits - len);
        }
    }
    return sum;
}

std::uint64_t cost(const std::vector<std::uint32_t>& freq, const std::vector<std::uint8_t>& len) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < freq.size(); ++i) {
        bits += std::uint64_t{freq[i]} * len[i];
    }
    return bits;
}

// Cost of an unrestricted optimal code: the sum of all merged weights.
std::uint64_t optimalCost(const std::vector<std::uint32_t>& freq) {
    std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> q;
    for (std::uint32_t f : freq) {
        if (f != 0) {
            q.push(f);
        }
    }
    std::uint64_t total = 0;
    while (q.size() > 1) {
        const std::uint64_t a = q.top();
        q.pop();
        const std::uint64_t b = q.top();
        q.pop();
        total += a + b;
        q.push(a + b);
    }
    return total;
}

std::vector<std::uint8_t> lengthsOf(const std::vector<std::uint32_t>& freq, unsigned maxBits, int* maxCode = nullptr) {
    std::vector<std::uint8_t> lengths(freq.size(), 0xEE);
    const int m = buildCodeLengths(freq.data(), static_cast<unsigned>(freq.size()), maxBits, lengths.data());
    if (maxCode != nullptr) {
        *maxCode = m;
    }
    return lengths;
}

TEST(DeflateHuffman, RandomFrequenciesGiveOptimalCompleteCodes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint32_t> freq(286);
        for (auto& f : freq) {
            f = rng() % 3 == 0 ? 0 : 50 + rng() % 1000;  // shallow enough for 15 bits
        }
        const auto lengths = lengthsOf(freq, 15);
        for (std::size_t i = 0; i < freq.size(); ++i) {
            EXPECT_EQ(lengths[i] == 0, freq[i] == 0) << i;
            EXPECT_LE(lengths[i], 15);
        }
        EXPECT_EQ(kraft(lengths, 15), 1u << 15);
        EXPECT_EQ(cost(freq, lengths), optimalCost(freq));
    }
}

TEST(DeflateHuffman, SkewedFrequenciesAreLimitedAndStayComplete) {
    // Fibonacci weights would want a code as deep as the alphabet is long.
    for (unsigned maxBits : {7u, 15u}) {
        const unsigned n = maxBits == 7 ? 19 : 30;
        std::vector<std::uint32_t> freq(n);
        std::uint32_t a = 1;
        std::uint32_t b = 1;
        for (auto& f : freq) {
            f = a;
            const std::uint32_t c = a + b;
            a = b;
            b = c;
        }
        int maxCode = 0;
        const auto lengths = lengthsOf(freq, maxBits, &maxCode);
        EXPECT_EQ(maxCode, static_cast<int>(n) - 1);
        unsigned deepest = 0;
        for (unsigned len : lengths) {
            EXPECT_GE(len, 1u);
            deepest = std::max(deepest, len);
        }
        EXPECT_EQ(deepest, maxBits);
        EXPECT_EQ(kraft(lengths, maxBits), std::uint64_t{1} << maxBits);
        // More frequent symbols never get longer codes.
        for (unsigned i = 1; i < n; ++i) {
            EXPECT_LE(lengths[i], lengths[i - 1]) << i;
        }
    }
}

TEST(DeflateHuffman, AtLeastTwoSymbolsAlwaysGetACode) {
    int maxCode = 0;
    {
        std::vector<std::uint32_t> none(30, 0);
        const auto lengths = lengthsOf(none, 15, &maxCode);
        EXPECT_EQ(maxCode, 1);
        EXPECT_EQ(lengths[0], 1);
        EXPECT_EQ(lengths[1], 1);
    }
    {
        std::vector<std::uint32_t> one(30, 0);
        one[0] = 5;
        const auto lengths = lengthsOf(one, 15, &maxCode);
        EXPECT_EQ(maxCode, 1);
        EXPECT_EQ(lengths[0], 1);
        EXPECT_EQ(lengths[1], 1);
    }
    {
        std::vector<std::uint32_t> one(30, 0);
        one[17] = 5;
        const auto lengths = lengthsOf(one, 15, &maxCode);
        EXPECT_EQ(maxCode, 17);
        EXPECT_EQ(lengths[0], 1);
        EXPECT_EQ(lengths[17], 1);
        EXPECT_EQ(kraft(lengths, 15), 1u << 15);
    }
}

TEST(DeflateHuffman, EqualWeightsGoToTheFlatterSubtree) {
    // Four equal weights: a balanced code (all 2 bits), not a 1-2-3-3 chain.
    std::vector<std::uint32_t> freq = {1, 1, 1, 1};
    const auto lengths = lengthsOf(freq, 15);
    EXPECT_EQ(lengths, (std::vector<std::uint8_t>{2, 2, 2, 2}));
}

TEST(DeflateHuffman, CanonicalCodesAreSentBitReversed) {
    // Lengths 3,3,3,3,3,2,4,4 give the canonical codes 010, 011, 100, 101, 110, 00,
    // 1110, 1111; sent least-significant bit first they read reversed.
    const std::uint8_t lengths[8] = {3, 3, 3, 3, 3, 2, 4, 4};
    std::uint16_t codes[8];
    makeCodes(lengths, 8, codes);
    const std::uint16_t expected[8] = {0b010, 0b110, 0b001, 0b101, 0b011, 0b00, 0b0111, 0b1111};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(codes[i], expected[i]) << i;
    }
}

TEST(DeflateHuffman, CodesArePrefixFree) {
    std::mt19937 rng(11);
    std::vector<std::uint32_t> freq(286);
    for (auto& f : freq) {
        f = rng() % 5000;
    }
    const auto lengths = lengthsOf(freq, 15);
    std::vector<std::uint16_t> codes(286);
    makeCodes(lengths.data(), 286, codes.data());
    for (unsigned a = 0; a < 286; ++a) {
        for (unsigned b = 0; b < 286; ++b) {
            if (a == b || lengths[a] == 0 || lengths[b] == 0 || lengths[a] > lengths[b]) {
                continue;
            }
            const unsigned mask = (1u << lengths[a]) - 1;
            EXPECT_NE(codes[b] & mask, codes[a]) << a << " is a prefix of " << b;
        }
    }
}

}  // namespace
}  // namespace zb::zip::deflate
