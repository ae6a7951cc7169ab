// CRC-32 by folding: the data is read in wide blocks, and each accumulator is carried
// forward over a fixed distance by two carry-less multiplications with x^(d+32) and
// x^(d-32) mod P (bit-reflected), so the loop does no table lookups at all. Several
// accumulators hide the multiplier's latency. The last 16 folded bytes and the tail
// go through the tables, which spares a separate Barrett reduction. Every function
// carries its own target attribute so that the build needs no -march flag and the
// choice is made at run time.
#include "zip/checksum/Crc32Clmul.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace zb::zip {

namespace {

// x^(d+32) and x^(d-32) mod P, bit-reflected and shifted by one, for a fold across d
// bits; the low half multiplies the low 64 bits of an accumulator.
constexpr long long kFold128Lo = 0x1751997d0, kFold128Hi = 0x0ccaa009e;
constexpr long long kFold256Lo = 0x0f1da05aa, kFold256Hi = 0x15a546366;
constexpr long long kFold384Lo = 0x03db1ecdc, kFold384Hi = 0x174359406;
constexpr long long kFold512Lo = 0x154442bd4, kFold512Hi = 0x1c6e41596;
constexpr long long kFold1024Lo = 0x1e88ef372, kFold1024Hi = 0x14a7fe880;
constexpr long long kFold2048Lo = 0x11542778a, kFold2048Hi = 0x1322d1430;

#define ZB_CLMUL128 __attribute__((target("pclmul,sse4.1")))
#define ZB_CLMUL256 __attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1")))
#define ZB_CLMUL512 __attribute__((target("avx512f,avx512vl,avx2,vpclmulqdq,pclmul,sse4.1")))

ZB_CLMUL128 inline __m128i load128(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

ZB_CLMUL128 inline __m128i fold128(__m128i acc, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00), _mm_clmulepi64_si128(acc, k, 0x11)), next);
}

// Folds the 16-byte remainders into `acc`, then the folded bytes and the tail through
// the tables.
ZB_CLMUL128 std::uint32_t finish128(__m128i acc, const std::uint8_t* p, std::size_t size) {
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    while (size >= 16) {
        acc = fold128(acc, k128, load128(p));
        p += 16;
        size -= 16;
    }
    alignas(16) std::uint8_t folded[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(folded), acc);
    return crc32UpdatePortable(crc32UpdatePortable(0, folded, 16), p, size);
}

// 64 bytes a round in four 128-bit accumulators.
ZB_CLMUL128 std::uint32_t updateClmul128(std::uint32_t reg, const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    if (size < 64) return crc32UpdatePortable(reg, p, size);
    const __m128i k512 = _mm_set_epi64x(kFold512Hi, kFold512Lo);
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    __m128i x0 = _mm_xor_si128(load128(p), _mm_cvtsi32_si128(int(reg)));
    __m128i x1 = load128(p + 16), x2 = load128(p + 32), x3 = load128(p + 48);
    p += 64;
    size -= 64;
    for (; size >= 64; p += 64, size -= 64) {
        x0 = fold128(x0, k512, load128(p));
        x1 = fold128(x1, k512, load128(p + 16));
        x2 = fold128(x2, k512, load128(p + 32));
        x3 = fold128(x3, k512, load128(p + 48));
    }
    return finish128(fold128(fold128(fold128(x0, k128, x1), k128, x2), k128, x3), p, size);
}

ZB_CLMUL256 inline __m256i load256(const std::uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

ZB_CLMUL256 inline __m256i fold256(__m256i acc, __m256i k, __m256i next) {
    return _mm256_xor_si256(
        _mm256_xor_si256(_mm256_clmulepi64_epi128(acc, k, 0x00), _mm256_clmulepi64_epi128(acc, k, 0x11)), next);
}

// 128 bytes a round in four 256-bit accumulators.
ZB_CLMUL256 std::uint32_t updateClmul256(std::uint32_t reg, const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    if (size < 128) return updateClmul128(reg, p, size);
    const __m256i k1024 = _mm256_set_epi64x(kFold1024Hi, kFold1024Lo, kFold1024Hi, kFold1024Lo);
    const __m256i k256 = _mm256_set_epi64x(kFold256Hi, kFold256Lo, kFold256Hi, kFold256Lo);
    __m256i x0 = _mm256_xor_si256(load256(p), _mm256_set_epi32(0, 0, 0, 0, 0, 0, 0, int(reg)));
    __m256i x1 = load256(p + 32), x2 = load256(p + 64), x3 = load256(p + 96);
    p += 128;
    size -= 128;
    for (; size >= 128; p += 128, size -= 128) {
        x0 = fold256(x0, k1024, load256(p));
        x1 = fold256(x1, k1024, load256(p + 32));
        x2 = fold256(x2, k1024, load256(p + 64));
        x3 = fold256(x3, k1024, load256(p + 96));
    }
    x3 = fold256(fold256(fold256(x0, k256, x1), k256, x2), k256, x3);
    for (; size >= 32; p += 32, size -= 32) x3 = fold256(x3, k256, load256(p));
    const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
    return finish128(fold128(_mm256_castsi256_si128(x3), k128, _mm256_extracti128_si256(x3, 1)), p, size);
}

ZB_CLMUL512 inline __m512i load512(const std::uint8_t* p) { return _mm512_loadu_si512(p); }

ZB_CLMUL512 inline __m512i fold512(__m512i acc, __m512i k, __m512i next) {
    // One three-way exclusive or.
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00), _mm512_clmulepi64_epi128(acc, k, 0x11),
                                     next, 0x96);
}

// 256 bytes a round in four 512-bit accumulators.
ZB_CLMUL512 std::uint32_t updateClmul512(std::uint32_t reg, const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    if (size < 256) return updateClmul256(reg, p, size);
    const __m512i k2048 = _mm512_set_epi64(kFold2048Hi, kFold2048Lo, kFold2048Hi, kFold2048Lo, kFold2048Hi, kFold2048Lo,
                                           kFold2048Hi, kFold2048Lo);
    const __m512i k512 = _mm512_set_epi64(kFold512Hi, kFold512Lo, kFold512Hi, kFold512Lo, kFold512Hi, kFold512Lo,
                                          kFold512Hi, kFold512Lo);
    __m512i x0 = _mm512_xor_si512(load512(p), _mm512_set_epi32(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, int(reg)));
    __m512i x1 = load512(p + 64), x2 = load512(p + 128), x3 = load512(p + 192);
    p += 256;
    size -= 256;
    for (; size >= 256; p += 256, size -= 256) {
        x0 = fold512(x0, k2048, load512(p));
        x1 = fold512(x1, k2048, load512(p + 64));
        x2 = fold512(x2, k2048, load512(p + 128));
        x3 = fold512(x3, k2048, load512(p + 192));
    }
    x3 = fold512(fold512(fold512(x0, k512, x1), k512, x2), k512, x3);
    for (; size >= 64; p += 64, size -= 64) x3 = fold512(x3, k512, load512(p));
    // The four lanes into the last one, each across its distance from it (through
    // memory: once a call, and free of the intrinsics that leave lanes undefined).
    alignas(64) std::uint8_t lanes[64];
    _mm512_store_si512(lanes, x3);
    __m128i acc = fold128(load128(lanes), _mm_set_epi64x(kFold384Hi, kFold384Lo), load128(lanes + 48));
    acc = fold128(load128(lanes + 16), _mm_set_epi64x(kFold256Hi, kFold256Lo), acc);
    acc = fold128(load128(lanes + 32), _mm_set_epi64x(kFold128Hi, kFold128Lo), acc);
    return finish128(acc, p, size);
}

}  // namespace

std::vector<Crc32Path> crc32ClmulPaths() {
    std::vector<Crc32Path> paths;
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("pclmul") || !__builtin_cpu_supports("sse4.1")) return paths;
    paths.push_back({"clmul-128", &updateClmul128});
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("vpclmulqdq")) return paths;
    paths.push_back({"vpclmul-256", &updateClmul256});
    if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512vl")) return paths;
    paths.push_back({"vpclmul-512", &updateClmul512});
    return paths;
}

}  // namespace zb::zip

#else

namespace zb::zip {
std::vector<Crc32Path> crc32ClmulPaths() { return {}; }
}  // namespace zb::zip

#endif
