// The tally of the current block: every literal and match in order, and the symbol
// frequencies the block's codes are built from. It also says when the block should
// end: when its buffers are full, or (above level 2, checked every 4096 entries) when
// an estimate shows the block compressing well and mostly by literals, so that a
// fresh block with codes fitted to the data to come is likely to pay.
#pragma once

#include "zip/codec/deflate/DeflateCodeTables.h"
#include "zip/codec/deflate/DeflateConstants.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace zb::zip::deflate {

class DeflateTally {
public:
    DeflateTally() : entries_(new std::uint32_t[kLiteralBufferSize]) {}

    // Starts a member; estimate: the level is above 2.
    void start(bool estimate) {
        estimate_ = estimate;
        clear();
    }

    // Empties the block (frequencies and entries).
    void clear() {
        litLenFreq.fill(0);
        distanceFreq.fill(0);
        litLenFreq[kEndOfBlock] = 1;  // every block ends with one
        count_ = 0;
        distances_ = 0;
    }

    // Records a literal; true when the block should be flushed now. blockBytes is the
    // input the block covers so far (current position minus block start).
    bool literal(std::uint8_t byte, long blockBytes) {
        entries_[count_++] = byte;
        ++litLenFreq[byte];
        return full(blockBytes);
    }

    // Records a match of `length` (3..258) at `distance` (1..32506).
    bool match(unsigned distance, unsigned length, long blockBytes) {
        const unsigned lc = length - kMinMatch;
        entries_[count_++] = (distance << 8) | lc;
        ++distances_;
        ++litLenFreq[kLiterals + 1 + kLengthCodeOf[lc]];
        ++distanceFreq[distanceCode(distance - 1)];
        return full(blockBytes);
    }

    unsigned count() const { return count_; }
    // Entry i: distance << 8 | (length - 3) for a match, the byte for a literal.
    const std::uint32_t* entries() const { return entries_.get(); }

    std::array<std::uint32_t, kLitLenCodes> litLenFreq{};
    std::array<std::uint32_t, kDistanceCodes> distanceFreq{};

private:
    bool full(long blockBytes) const {
        if (estimate_ && count_ % kEstimateEvery == 0) {
            std::uint64_t bits = std::uint64_t{count_} * 8;
            for (unsigned code = 0; code < kDistanceCodes; ++code) {
                bits += std::uint64_t{distanceFreq[code]} * (5 + kDistanceExtraBits[code]);
            }
            if (distances_ < count_ / 2 && bits / 8 < static_cast<std::uint64_t>(blockBytes) / 2) {
                return true;
            }
        }
        return count_ == kLiteralBufferSize - 1 || distances_ == kDistanceBufferSize;
    }

    std::unique_ptr<std::uint32_t[]> entries_;
    unsigned count_ = 0;
    unsigned distances_ = 0;
    bool estimate_ = false;
};

}  // namespace zb::zip::deflate
