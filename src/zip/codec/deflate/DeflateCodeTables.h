// How match lengths and distances map onto the codes of the deflate alphabets and
// their extra bits, and the code lengths of the fixed (predefined) code. Built at
// compile time from the base values and extra-bit counts of the format.
#pragma once

#include "zip/codec/deflate/DeflateConstants.h"

#include <array>
#include <cstdint>

namespace zb::zip::deflate {

inline constexpr std::array<std::uint8_t, kLengthCodes> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<std::uint16_t, kLengthCodes> kLengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<std::uint8_t, kDistanceCodes> kDistanceExtraBits = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
inline constexpr std::array<std::uint16_t, kDistanceCodes> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
// The order in which the code lengths of the code-length alphabet are sent.
inline constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
inline constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                                    0, 0, 0, 0, 0, 0, 2, 3, 7};

// Length code (0..28, i.e. symbol - 257) of a match of length 3 + index.
inline constexpr std::array<std::uint8_t, 256> kLengthCodeOf = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned code = 0; code + 1 < kLengthCodes; ++code) {
        for (unsigned i = 0; i < (1u << kLengthExtraBits[code]); ++i) {
            table[kLengthBase[code] - 3 + i] = static_cast<std::uint8_t>(code);
        }
    }
    table[255] = kLengthCodes - 1;  // 258 has a code of its own
    return table;
}();

// Distance code of distance - 1: index by the value itself below 256, else by
// 256 + (value >> 7).
inline constexpr std::array<std::uint8_t, 512> kDistanceCodeOf = [] {
    std::array<std::uint8_t, 512> table{};
    for (unsigned code = 0; code < kDistanceCodes; ++code) {
        for (unsigned i = 0; i < (1u << kDistanceExtraBits[code]); ++i) {
            const unsigned d = kDistanceBase[code] - 1 + i;
            if (d < 256) {
                table[d] = static_cast<std::uint8_t>(code);
            } else {
                table[256 + (d >> 7)] = static_cast<std::uint8_t>(code);
            }
        }
    }
    return table;
}();

inline unsigned distanceCode(unsigned distanceMinusOne) {
    return distanceMinusOne < 256 ? kDistanceCodeOf[distanceMinusOne] : kDistanceCodeOf[256 + (distanceMinusOne >> 7)];
}

// Code lengths of the fixed code: literal/length symbols 0-287, every distance 5 bits.
inline constexpr unsigned kFixedLitLenSymbols = 288;
inline constexpr std::array<std::uint8_t, kFixedLitLenSymbols> kFixedLitLenLengths = [] {
    std::array<std::uint8_t, kFixedLitLenSymbols> lengths{};
    for (unsigned n = 0; n < kFixedLitLenSymbols; ++n) {
        lengths[n] = n < 144 ? 8 : n < 256 ? 9 : n < 280 ? 7 : 8;
    }
    return lengths;
}();
inline constexpr unsigned kFixedDistanceLength = 5;

}  // namespace zb::zip::deflate
