// CRC-32 of ZIP members (reflected polynomial 0xEDB88320). The engine keeps the running
// register itself: it starts at all ones, is updated block by block, and the member's
// CRC is its complement. The single-byte step is public because the traditional
// cipher's key schedule is built on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zb::zip {

namespace detail {
constexpr std::array<std::uint32_t, 256> makeCrc32Table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
}  // namespace detail

// The usual 256-entry table.
inline constexpr std::array<std::uint32_t, 256> kCrc32Table = detail::makeCrc32Table();

inline constexpr std::uint32_t kCrc32Preset = 0xFFFFFFFFu;

// One byte into the running register.
constexpr std::uint32_t crc32Step(std::uint32_t reg, std::uint8_t byte) {
    return kCrc32Table[(reg ^ byte) & 0xFF] ^ (reg >> 8);
}

// A block into the running register (no pre- or post-inversion): the result equals
// applying crc32Step to every byte in order. Uses the fastest path this processor runs
// (wide carry-less multiplication, then 128-bit, then tables), chosen once per process;
// the environment variable ZB_CRC32_PORTABLE=1 or crc32UsePortable(true) keeps it on
// the tables.
std::uint32_t crc32Update(std::uint32_t reg, const void* data, std::size_t size);

// The finished CRC-32 of one block.
inline std::uint32_t crc32(const void* data, std::size_t size) { return ~crc32Update(kCrc32Preset, data, size); }

using Crc32UpdateFn = std::uint32_t (*)(std::uint32_t reg, const void* data, std::size_t size);

// One way of computing crc32Update.
struct Crc32Path {
    const char* name;
    Crc32UpdateFn update;
};

// Every path this processor can run, the portable one first and the preferred one
// last; tests hold each against the byte-wise loop, the benchmark times each.
std::vector<Crc32Path> crc32Paths();

// The path crc32Update takes now.
const char* crc32ActivePath();

// Keeps crc32Update on the portable path (or returns it to the preferred one).
void crc32UsePortable(bool portable);

// The portable paths: one table lookup a byte, and sixteen tables a sixteen bytes.
std::uint32_t crc32UpdateBytewise(std::uint32_t reg, const void* data, std::size_t size);
std::uint32_t crc32UpdatePortable(std::uint32_t reg, const void* data, std::size_t size);

}  // namespace zb::zip
