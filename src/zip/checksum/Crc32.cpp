// CRC-32: the portable table paths and the run-time choice among all paths. The value
// is fixed by the format; the method is ours. Slicing by sixteen tables keeps the
// fallback within reach of the vector paths on processors without them.
#include "zip/checksum/Crc32.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "zip/checksum/Crc32Clmul.h"

namespace zb::zip {

namespace {

constexpr int kSlices = 16;

struct SlicingTables {
    std::uint32_t t[kSlices][256];
    SlicingTables() {
        for (int n = 0; n < 256; ++n) t[0][n] = kCrc32Table[std::size_t(n)];
        for (int n = 0; n < 256; ++n) {
            std::uint32_t c = t[0][n];
            for (int k = 1; k < kSlices; ++k) {
                c = t[0][c & 0xFF] ^ (c >> 8);
                t[k][n] = c;
            }
        }
    }
};

const SlicingTables kSlicing;

inline std::uint32_t load32le(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

std::uint32_t crc32UpdateBytewise(std::uint32_t reg, const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) reg = crc32Step(reg, p[i]);
    return reg;
}

std::uint32_t crc32UpdatePortable(std::uint32_t reg, const void* data, std::size_t size) {
    const auto& T = kSlicing.t;
    auto p = static_cast<const std::uint8_t*>(data);
    while (size >= 16) {
        const std::uint32_t a = load32le(p) ^ reg, b = load32le(p + 4), c = load32le(p + 8), d = load32le(p + 12);
        reg = T[15][a & 0xFF] ^ T[14][(a >> 8) & 0xFF] ^ T[13][(a >> 16) & 0xFF] ^ T[12][a >> 24] ^ T[11][b & 0xFF] ^
              T[10][(b >> 8) & 0xFF] ^ T[9][(b >> 16) & 0xFF] ^ T[8][b >> 24] ^ T[7][c & 0xFF] ^ T[6][(c >> 8) & 0xFF] ^
              T[5][(c >> 16) & 0xFF] ^ T[4][c >> 24] ^ T[3][d & 0xFF] ^ T[2][(d >> 8) & 0xFF] ^ T[1][(d >> 16) & 0xFF] ^
              T[0][d >> 24];
        p += 16;
        size -= 16;
    }
    return crc32UpdateBytewise(reg, p, size);
}

std::vector<Crc32Path> crc32Paths() {
    std::vector<Crc32Path> paths{{"portable", &crc32UpdatePortable}};
    for (const Crc32Path& path : crc32ClmulPaths()) paths.push_back(path);
    return paths;
}

namespace {

Crc32Path preferredPath() {
    const char* env = std::getenv("ZB_CRC32_PORTABLE");
    if (env && *env && std::strcmp(env, "0") != 0) return crc32Paths().front();
    return crc32Paths().back();
}

// Set once before first use; afterwards only by crc32UsePortable, which tests and
// benchmarks call while no other thread computes a CRC.
std::atomic<const Crc32Path*> active{nullptr};

const Crc32Path& activePath() {
    static const Crc32Path preferred = preferredPath();
    const Crc32Path* path = active.load(std::memory_order_relaxed);
    if (!path) {
        active.store(&preferred, std::memory_order_relaxed);
        path = &preferred;
    }
    return *path;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t reg, const void* data, std::size_t size) {
    return activePath().update(reg, data, size);
}

const char* crc32ActivePath() { return activePath().name; }

void crc32UsePortable(bool portable) {
    static const Crc32Path portablePath{"portable", &crc32UpdatePortable};
    static const Crc32Path preferred = crc32Paths().back();
    active.store(portable ? &portablePath : &preferred, std::memory_order_relaxed);
}

}  // namespace zb::zip
