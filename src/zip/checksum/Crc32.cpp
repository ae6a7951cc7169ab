// CRC-32 implementations. The value is fixed by the format; the method is ours: a
// carry-less-multiply folding loop on processors that have PCLMULQDQ, else slicing by
// eight tables. Both are checked against the plain byte-wise loop in the tests.
#include "zip/checksum/Crc32.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZB_CRC_X86 1
#endif

namespace zb::zip {

namespace {

struct SlicingTables {
    std::uint32_t t[8][256];
    SlicingTables() {
        for (int n = 0; n < 256; ++n) t[0][n] = kCrc32Table[n];
        for (int n = 0; n < 256; ++n) {
            std::uint32_t c = t[0][n];
            for (int k = 1; k < 8; ++k) {
                c = t[0][c & 0xFF] ^ (c >> 8);
                t[k][n] = c;
            }
        }
    }
};

const SlicingTables& slicing() {
    static const SlicingTables tables;
    return tables;
}

inline std::uint32_t load32le(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

}  // namespace

std::uint32_t crc32UpdateBytewise(std::uint32_t reg, const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) reg = crc32Step(reg, p[i]);
    return reg;
}

std::uint32_t crc32UpdateSlicing8(std::uint32_t reg, const void* data, std::size_t size) {
    const auto& T = slicing().t;
    auto p = static_cast<const std::uint8_t*>(data);
    while (size >= 8) {
        std::uint32_t a = load32le(p) ^ reg;
        std::uint32_t b = load32le(p + 4);
        reg = T[7][a & 0xFF] ^ T[6][(a >> 8) & 0xFF] ^ T[5][(a >> 16) & 0xFF] ^ T[4][a >> 24] ^
              T[3][b & 0xFF] ^ T[2][(b >> 8) & 0xFF] ^ T[1][(b >> 16) & 0xFF] ^ T[0][b >> 24];
        p += 8;
        size -= 8;
    }
    return crc32UpdateBytewise(reg, p, size);
}

#ifdef ZB_CRC_X86

bool crc32HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

namespace {
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i acc, __m128i k) {
    __m128i lo = _mm_clmulepi64_si128(acc, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(acc, k, 0x11);
    return _mm_xor_si128(lo, hi);
}
}  // namespace

// Folds 64 bytes at a time into four 128-bit accumulators, then into one; the last
// 16-byte remainder and the tail go through the tables, which avoids a separate
// reduction step.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t crc32UpdateClmul(std::uint32_t reg,
                                                                         const void* data,
                                                                         std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    if (size < 64) return crc32UpdateSlicing8(reg, p, size);

    // x^(512+32) and x^(512-32) mod P, bit-reflected: folding across 64 bytes.
    const __m128i k4x = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
    // The same for 16 bytes.
    const __m128i k1x = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);

    __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    x0 = _mm_xor_si128(x0, _mm_cvtsi32_si128(int(reg)));
    p += 64;
    size -= 64;

    while (size >= 64) {
        x0 = _mm_xor_si128(fold(x0, k4x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        x1 = _mm_xor_si128(fold(x1, k4x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
        x2 = _mm_xor_si128(fold(x2, k4x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
        x3 = _mm_xor_si128(fold(x3, k4x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
        p += 64;
        size -= 64;
    }
    x1 = _mm_xor_si128(fold(x0, k1x), x1);
    x2 = _mm_xor_si128(fold(x1, k1x), x2);
    x3 = _mm_xor_si128(fold(x2, k1x), x3);
    while (size >= 16) {
        x3 = _mm_xor_si128(fold(x3, k1x), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        p += 16;
        size -= 16;
    }
    alignas(16) std::uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), x3);
    std::uint32_t crc = crc32UpdateSlicing8(0, rest, 16);
    return crc32UpdateSlicing8(crc, p, size);
}

#else

bool crc32HasClmul() { return false; }
std::uint32_t crc32UpdateClmul(std::uint32_t reg, const void* data, std::size_t size) {
    return crc32UpdateSlicing8(reg, data, size);
}

#endif

std::uint32_t crc32Update(std::uint32_t reg, const void* data, std::size_t size) {
    static const auto impl = crc32HasClmul() ? &crc32UpdateClmul : &crc32UpdateSlicing8;
    return impl(reg, data, size);
}

}  // namespace zb::zip
