// Builds the Huffman codes of a block from its symbol frequencies: code lengths
// limited to a maximum (15 bits for literals/lengths and distances, 7 for the code
// lengths themselves) and the canonical codes that the format derives from them.
#pragma once

#include <cstdint>

namespace zb::zip::deflate {

// Largest alphabet a code is built for (literal/length symbols of the fixed code).
inline constexpr unsigned kMaxSymbols = 288;

// Fills lengths[0..count) with the code lengths of an optimal prefix code for
// freq[0..count), no length above maxBits. Symbols of frequency 0 get length 0, except
// that a code always has at least two symbols: when fewer are used, unused ones get a
// length too (so that every code is complete and a reader never meets a one-symbol
// code). Ties between equal frequencies go to the shallower subtree. Returns the
// highest symbol with a non-zero length, or -1 when count is 0.
int buildCodeLengths(const std::uint32_t* freq, unsigned count, unsigned maxBits, std::uint8_t* lengths);

// Canonical codes for the given lengths, already bit-reversed so they can be sent
// least-significant bit first.
void makeCodes(const std::uint8_t* lengths, unsigned count, std::uint16_t* codes);

}  // namespace zb::zip::deflate
