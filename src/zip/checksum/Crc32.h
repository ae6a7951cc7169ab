// CRC-32 of ZIP members (reflected polynomial 0xEDB88320). The engine keeps the running
// register itself: it starts at all ones, is updated block by block, and the member's
// CRC is its complement. The single-byte step is public because the traditional
// cipher's key schedule is built on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

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
// applying crc32Step to every byte in order. Uses carry-less multiplication when the
// processor has it, else eight tables at a time.
std::uint32_t crc32Update(std::uint32_t reg, const void* data, std::size_t size);

// The finished CRC-32 of one block.
inline std::uint32_t crc32(const void* data, std::size_t size) {
    return ~crc32Update(kCrc32Preset, data, size);
}

// The implementations behind crc32Update, public so that tests and the benchmark can
// compare them; crc32Update picks one once per process.
std::uint32_t crc32UpdateBytewise(std::uint32_t reg, const void* data, std::size_t size);
std::uint32_t crc32UpdateSlicing8(std::uint32_t reg, const void* data, std::size_t size);
// Only callable when crc32HasClmul() is true.
std::uint32_t crc32UpdateClmul(std::uint32_t reg, const void* data, std::size_t size);
bool crc32HasClmul();

}  // namespace zb::zip
