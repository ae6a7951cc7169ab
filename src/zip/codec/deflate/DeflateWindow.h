// The compressor's sliding window and the hash chains over it. The window holds
// 64 KiB of input; the upper half slides down once the current position comes near
// the end, so a match can always reach 32506 bytes back. Every position is linked
// into a chain of earlier positions whose next three bytes hash alike (15-bit hash,
// shift 5); a search for a match walks that chain, two links at a time (ChainLinks).
// How much is read at a time follows from the window's free room, which fixes the
// blocks the writer's progress events see.
#pragma once

#include "zip/codec/deflate/Deflate.h"
#include "zip/codec/deflate/DeflateConstants.h"
#include "zip/codec/deflate/DeflateMatcher.h"

#include <cstdint>
#include <memory>

namespace zb::zip::deflate {

class DeflateWindow {
public:
    DeflateWindow();

    // Starts a member: empties the hash heads, reads the first 32768 bytes (and more
    // while the lookahead is short) and seeds the running hash. longChainsAllowed:
    // the level's budget is long enough for the four-byte chains to pay, which the
    // member then keeps when its first bytes look like binary data with repeats
    // (DeflateMatcher.h).
    void start(DeflateSource& source, bool longChainsAllowed);

    // Reads into the free room of the window, sliding it first when the current
    // position has come near its end. Call while lookahead < kMinLookahead && !atEnd.
    void fill();

    // Bytes past the end of the input read as zero: a match may run into them (it is
    // cut to the lookahead afterwards), so they must not depend on earlier members.
    static constexpr unsigned kTail = 512;

    std::uint8_t* data() { return data_.get(); }
    std::uint16_t* head() { return head_.get(); }
    ChainLinks links() { return {chain_.get(), afterNext_.get()}; }
    LongChains longChains() { return {headLong_.get(), head4_.get(), link4_.get()}; }
    // Whether this member keeps the four-byte chains (start() decides).
    bool usesLongChains() const { return longChains_; }

    // Running state of the member.
    unsigned strstart = 0;
    unsigned lookahead = 0;
    long blockStart = 0;  // goes negative when the block's start slid out
    unsigned matchStart = 0;
    unsigned hash = 0;
    bool atEnd = false;

private:
    void slide();
    static bool chainsWouldPay(const std::uint8_t* data, std::size_t size);
    void reachedEnd();

    DeflateSource* source_ = nullptr;
    std::unique_ptr<std::uint8_t[]> data_;
    std::unique_ptr<std::uint16_t[]> head_;
    std::unique_ptr<std::uint16_t[]> chain_;
    std::unique_ptr<std::uint16_t[]> afterNext_;
    // The four-byte chains (DeflateMatcher.h, LongChains).
    std::unique_ptr<std::uint32_t[]> headLong_;
    std::unique_ptr<std::uint16_t[]> head4_;
    std::unique_ptr<std::uint32_t[]> link4_;
    bool longChains_ = false;
    // Highest window offset that may hold bytes other than zero.
    unsigned dirtyEnd_ = 0;
};

}  // namespace zb::zip::deflate
