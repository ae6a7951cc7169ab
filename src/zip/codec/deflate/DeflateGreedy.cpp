// The walk of levels 1 to 3: take the match found at each position at once. Short
// matches (up to the level's insert limit) have all their strings linked into the
// hash chains; longer ones are skipped over, which is what makes these levels fast.
#include "zip/codec/deflate/DeflateMatcher.h"
#include "zip/codec/deflate/DeflateState.h"

namespace zb::zip::deflate {

void compressGreedy(DeflateState& state) {
    DeflateWindow& w = state.window;
    DeflateTally& tally = state.tally;
    const DeflateLevel level = state.level;
    const std::uint8_t* window = w.data();
    std::uint16_t* head = w.head();
    const ChainLinks links = w.links();

    unsigned s = w.strstart;
    unsigned lookahead = w.lookahead;
    unsigned hash = w.hash;
    unsigned candidate = 0;
    unsigned matchLength = 0;
    unsigned matchStart = w.matchStart;
    unsigned literals = 0;  // positions since the last match

    while (lookahead > 0) {
        // Only a position with three bytes ahead is linked; the tail keeps the last
        // candidate, and no match can be taken there anyway.
        if (lookahead >= kMinMatch) {
            candidate = insertString(window, head, links, hash, s);
            const bool endsAtOnce =
                literals >= kLiteralsBeforeEarlyEnd && searchEndsAtOnce(window, links, s, candidate);
            if (!endsAtOnce && candidate != 0 && s - candidate <= kMaxDistance) {
                matchLength = longestMatch(window, links, level, s, candidate, kMinMatch - 1, matchStart);
                if (matchLength > lookahead) {
                    matchLength = lookahead;
                }
            }
        }
        bool full;
        const long blockBytes = static_cast<long>(s) - w.blockStart;
        if (matchLength >= kMinMatch) {
            full = tally.match(s - matchStart, matchLength, blockBytes);
            lookahead -= matchLength;
            if (matchLength <= level.lazyOrInsertLimit) {
                for (unsigned n = matchLength - 1; n > 0; --n) {
                    ++s;
                    insertString(window, head, links, hash, s);
                }
                ++s;
            } else {
                s += matchLength;
                hash = updateHash(window[s], window[s + 1]);
            }
            matchLength = 0;
            literals = 0;
        } else {
            ++literals;
            full = tally.literal(window[s], blockBytes);
            --lookahead;
            ++s;
        }
        if (full || (lookahead < kMinLookahead && !w.atEnd)) {
            w.strstart = s;
            w.lookahead = lookahead;
            w.matchStart = matchStart;
            if (full) {
                flushBlock(state, false);
            }
            while (w.lookahead < kMinLookahead && !w.atEnd) {
                w.fill();
            }
            s = w.strstart;
            lookahead = w.lookahead;
            matchStart = w.matchStart;
        }
    }
    w.strstart = s;
    w.lookahead = lookahead;
    w.hash = hash;
    flushBlock(state, true);
}

}  // namespace zb::zip::deflate
