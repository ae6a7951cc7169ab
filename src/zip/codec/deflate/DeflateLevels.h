// The level table of the compressor: for each pack level, how long a match is good
// enough to search less, how long it must be to skip the lazy look one byte ahead (at
// levels 1 to 3: the longest match whose strings are still inserted into the hash
// chains), when a match is long enough to stop searching, and how many chain links a
// search may follow. These numbers decide the output, so they stay exactly as they are.
#pragma once

#include <cstdint>

namespace zb::zip {

struct DeflateLevel {
    std::uint16_t goodLength;
    std::uint16_t lazyOrInsertLimit;
    std::uint16_t niceLength;
    std::uint16_t chainLength;
};

// Row 0 is never used for compressing: level 0 stores.
inline constexpr DeflateLevel kDeflateLevels[10] = {
    {0, 0, 0, 0},          // 0
    {4, 4, 8, 4},          // 1
    {4, 5, 16, 8},         // 2
    {4, 6, 32, 32},        // 3
    {4, 4, 16, 16},        // 4: from here on lazy matching
    {8, 16, 32, 32},       // 5
    {8, 16, 128, 128},     // 6
    {8, 32, 128, 256},     // 7
    {32, 128, 258, 1024},  // 8
    {32, 258, 258, 4096},  // 9
};

// Levels below this one take the first match found; from it on a match is held back
// one byte to see whether the next position starts a longer one.
inline constexpr int kFirstLazyLevel = 4;

}  // namespace zb::zip
