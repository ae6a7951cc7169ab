// The walk of levels 4 to 9: a match found at one position is held back while the
// next position is searched too; when that one is longer, the first position goes
// out as a literal and the longer match is held in turn. A 3-byte match more than
// 4096 bytes back is not worth its codes and counts as no match.
#include "zip/codec/deflate/DeflateMatcher.h"
#include "zip/codec/deflate/DeflateState.h"

namespace zb::zip::deflate {
namespace {

template <bool kLongChains>
void lazyWalk(DeflateState& state) {
    DeflateWindow& w = state.window;
    DeflateTally& tally = state.tally;
    const DeflateLevel level = state.level;
    const std::uint8_t* window = w.data();
    std::uint16_t* head = w.head();
    const ChainLinks links = w.links();
    std::uint16_t* chain = links.next;
    const LongChains chains = w.longChains();
    auto insert = [&](unsigned& hash, unsigned pos) {
        if constexpr (kLongChains) {
            return insertStringLong(window, chain, chains, hash, pos);
        } else {
            return insertString(window, head, links, hash, pos);
        }
    };

    unsigned s = w.strstart;
    unsigned lookahead = w.lookahead;
    unsigned hash = w.hash;
    unsigned matchStart = w.matchStart;
    unsigned matchLength = kMinMatch - 1;
    bool pending = false;  // the byte before s waits to go out as a literal
    unsigned literals = 0;  // literals since the last match

    while (lookahead > 0) {
        const unsigned prevLength = matchLength;
        const unsigned prevMatch = matchStart;
        matchLength = kMinMatch - 1;
        // Only a position with three bytes ahead is linked and searched; in the last
        // two bytes no match could be taken anyway.
        if (lookahead >= kMinMatch) {
            const unsigned candidate = insert(hash, s);
            const bool endsAtOnce = !kLongChains && prevLength < kMinMatch && literals >= kLiteralsBeforeEarlyEnd &&
                                    searchEndsAtOnce(window, links, s, candidate);
            if (!endsAtOnce && candidate != 0 && prevLength < level.lazyOrInsertLimit &&
                s - candidate <= kMaxDistance) {
                if constexpr (kLongChains) {
                    matchLength = longestMatchLong(window, chain, chains, level, s, candidate, prevLength, matchStart);
                } else {
                    matchLength = longestMatch(window, links, level, s, candidate, prevLength, matchStart);
                }
                if (matchLength > lookahead) {
                    matchLength = lookahead;
                }
                if (matchLength == kMinMatch && s - matchStart > kTooFar) {
                    matchLength = kMinMatch - 1;
                }
            }
        }
        bool full = false;
        if (prevLength >= kMinMatch && matchLength <= prevLength) {
            // The held match is at least as good: send it and step over it.
            full = tally.match(s - 1 - prevMatch, prevLength, static_cast<long>(s) - w.blockStart);
            lookahead -= prevLength - 1;
            for (unsigned n = prevLength - 2; n > 0; --n) {
                ++s;
                insert(hash, s);
            }
            ++s;
            pending = false;
            literals = 0;
            matchLength = kMinMatch - 1;
            if (full) {
                w.strstart = s;
                flushBlock(state, false);
            }
        } else if (pending) {
            ++literals;
            full = tally.literal(window[s - 1], static_cast<long>(s) - w.blockStart);
            if (full) {
                w.strstart = s;
                flushBlock(state, false);
            }
            ++s;
            --lookahead;
        } else {
            pending = true;
            ++s;
            --lookahead;
        }
        if (lookahead < kMinLookahead && !w.atEnd) {
            w.strstart = s;
            w.lookahead = lookahead;
            w.matchStart = matchStart;
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
    if (pending) {
        tally.literal(window[s - 1], static_cast<long>(s) - w.blockStart);
    }
    flushBlock(state, true);
}

}  // namespace

bool allowsLongChains(const DeflateLevel& level) { return level.chainLength >= kLongChainBudget; }

void compressLazy(DeflateState& state) {
    if (state.window.usesLongChains()) {
        lazyWalk<true>(state);
    } else {
        lazyWalk<false>(state);
    }
}

}  // namespace zb::zip::deflate
