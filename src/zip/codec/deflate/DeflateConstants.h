// The fixed sizes of the compressor: window, match lengths and distances, hash, block
// buffers. They shape the output (how far back a match may reach, when a block is
// full, when the window slides and how much is read at a time), so they are constants
// of the format we write rather than tuning knobs.
#pragma once

#include <cstdint>

namespace zb::zip::deflate {

inline constexpr unsigned kWindowSize = 32768;              // history a match may reach into
inline constexpr unsigned kWindowBuffer = 2 * kWindowSize;  // bytes the window holds
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 258;
inline constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;   // 262
inline constexpr unsigned kMaxDistance = kWindowSize - kMinLookahead;  // 32506
inline constexpr unsigned kSlideAt = kWindowSize + kMaxDistance;       // 65274

inline constexpr unsigned kHashBits = 15;
inline constexpr unsigned kHashSize = 1u << kHashBits;
inline constexpr unsigned kHashMask = kHashSize - 1;
inline constexpr unsigned kHashShift = 5;
inline constexpr unsigned kWindowMask = kWindowSize - 1;

// In lazy mode a 3-byte match farther back than this costs more than its literals.
inline constexpr unsigned kTooFar = 4096;

inline constexpr unsigned kLiteralBufferSize = 32768;  // a block is full at one less
inline constexpr unsigned kDistanceBufferSize = 32768;
inline constexpr unsigned kEstimateEvery = 4096;  // entries between flush estimates

// Alphabets.
inline constexpr unsigned kLiterals = 256;
inline constexpr unsigned kEndOfBlock = 256;
inline constexpr unsigned kLengthCodes = 29;
inline constexpr unsigned kLitLenCodes = kLiterals + 1 + kLengthCodes;  // 286
inline constexpr unsigned kDistanceCodes = 30;
inline constexpr unsigned kCodeLengthCodes = 19;
inline constexpr unsigned kMaxBits = 15;
inline constexpr unsigned kMaxCodeLengthBits = 7;

// Block types as sent in the 2 bits after the last-block bit.
inline constexpr unsigned kStoredBlock = 0;
inline constexpr unsigned kFixedBlock = 1;
inline constexpr unsigned kDynamicBlock = 2;

}  // namespace zb::zip::deflate
