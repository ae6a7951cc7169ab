// Bit reversal of Huffman codes. Deflate sends a code's bits from the first (highest)
// down, yet packs them from the least significant bit of each byte; so the compressor
// sends its canonical codes reversed, and the decompressor indexes its tables with
// codes reversed the same way.
#pragma once

#include <array>
#include <cstdint>

namespace zb::zip {

inline constexpr std::array<std::uint8_t, 256> kReversedBytes = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned r = 0;
        for (unsigned i = 0; i < 8; ++i) {
            r |= ((b >> i) & 1u) << (7 - i);
        }
        table[b] = static_cast<std::uint8_t>(r);
    }
    return table;
}();

// The low `len` bits of `code` (len 1 to 16) in reverse order.
inline unsigned reverseBits(unsigned code, unsigned len) {
    const unsigned r = (unsigned{kReversedBytes[code & 0xFFu]} << 8) | kReversedBytes[(code >> 8) & 0xFFu];
    return r >> (16 - len);
}

}  // namespace zb::zip
