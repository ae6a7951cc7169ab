// The string matcher: inserting a position into its hash chain, and the search along
// a chain for the longest earlier match. The search takes the first candidate (the
// nearest) of the greatest length, stops at the nice length, at the chain budget of
// the level (a quarter of it once the previous match is already good) and at the
// maximum distance. Match lengths are measured eight bytes at a time.
//
// The walk along a chain is bound by the wait for each link, not by the work on each
// candidate, so every position keeps two links (ChainLinks) and the walk loads two
// candidates for each wait. Where data does not compress, most searches end after one
// or two candidates; searchEndsAtOnce tells them apart without the branches a
// processor would mostly guess wrong there.
//
// The levels with long chain budgets can also keep a second set of chains over the
// same positions, hashed on four bytes, and number each position along its
// three-byte chain. Once a match of three bytes is in hand, only candidates that
// agree in four bytes can beat it; the search then follows the four-byte chain and
// uses the numbers to stop exactly where the budget of the three-byte chain would have
// stopped. The candidates it skips could never have become the match, so the result
// is the same, found with far fewer steps where short strings repeat often but their
// continuations differ (machine code, tables). Keeping the extra chains costs time at
// every position, so a member only uses them when its first bytes look like binary
// data in which short strings repeat.
#pragma once

#include "zip/codec/deflate/DeflateConstants.h"
#include "zip/codec/deflate/DeflateLevels.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace zb::zip::deflate {

inline std::uint16_t load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Rolls the next byte into the running hash of three bytes.
inline unsigned updateHash(unsigned hash, std::uint8_t next) { return ((hash << kHashShift) ^ next) & kHashMask; }

// A search at `pos` follows its chain only to positions above this one; its first
// candidate may also sit on it (a match exactly kMaxDistance back).
inline unsigned reachLimit(unsigned pos) { return pos > kMaxDistance ? pos - kMaxDistance : 0; }

// The first three bytes of a four-byte load, whatever the byte order.
inline constexpr std::uint32_t kFirstThree = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;

// The links of the hash chains. A search waits on the load of each link before it can
// load the next, so every position also keeps the link after its own: the walk then
// takes two candidates for each wait.
struct ChainLinks {
    std::uint16_t* next;       // by position: the next older position of its chain
    std::uint16_t* afterNext;  // by position: the one after that (valid while `next` is in reach)
};

// Links the string at `pos` into its chain; returns the previous head of that chain
// (0 when empty), the nearest candidate for a match at `pos`.
inline unsigned insertString(const std::uint8_t* window, std::uint16_t* head, const ChainLinks& links,
                             unsigned& hash, unsigned pos) {
    hash = updateHash(hash, window[pos + 2]);
    const unsigned candidate = head[hash];
    links.next[pos & kWindowMask] = static_cast<std::uint16_t>(candidate);
    links.afterNext[pos & kWindowMask] = links.next[candidate & kWindowMask];
    head[hash] = static_cast<std::uint16_t>(pos);
    return candidate;
}

// The four-byte chains and the numbering along the three-byte chains. Each entry
// keeps a position (low 16 bits) with a number (high 16 bits) in one word, so that a
// step along a chain costs one load.
struct LongChains {
    // By three-byte hash, replacing the plain head table: the newest position and
    // its number (how many positions that chain has taken).
    std::uint32_t* head;
    // By four-byte hash: the newest position.
    std::uint16_t* head4;
    // By position: the next older position of its four-byte chain, and the position's
    // own number on its three-byte chain.
    std::uint32_t* link4;

    // A small table, so that linking a position rarely misses the cache; strings that
    // share a slot are told apart by comparing their four bytes.
    static constexpr unsigned kHash4Bits = 12;
    static constexpr unsigned kHash4Size = 1u << kHash4Bits;
    static unsigned hash4(const std::uint8_t* p) { return (load32(p) * 0x9E3779B1u) >> (32 - kHash4Bits); }
};

// insertString for members that keep the four-byte chains: links `pos` into both
// chains and numbers it.
inline unsigned insertStringLong(const std::uint8_t* window, std::uint16_t* chain, const LongChains& chains,
                                 unsigned& hash, unsigned pos) {
    hash = updateHash(hash, window[pos + 2]);
    const std::uint32_t entry = chains.head[hash];
    const unsigned candidate = entry & 0xFFFFu;
    const std::uint32_t number = (entry + 0x10000u) & 0xFFFF0000u;
    chain[pos & kWindowMask] = static_cast<std::uint16_t>(candidate);
    chains.head[hash] = number | pos;
    const unsigned h4 = LongChains::hash4(window + pos);
    chains.link4[pos & kWindowMask] = number | chains.head4[h4];
    chains.head4[h4] = static_cast<std::uint16_t>(pos);
    return candidate;
}

// Length of the common prefix of a and b, at most kMaxMatch.
inline unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b) {
    if constexpr (std::endian::native == std::endian::little) {
        for (unsigned len = 0; len < 256; len += 8) {
            const std::uint64_t diff = load64(a + len) ^ load64(b + len);
            if (diff != 0) {
                return len + (static_cast<unsigned>(std::countr_zero(diff)) >> 3);
            }
        }
        if (a[256] != b[256]) {
            return 256;
        }
        return a[257] != b[257] ? 257 : kMaxMatch;
    } else {
        unsigned len = 0;
        while (len < kMaxMatch && a[len] == b[len]) {
            ++len;
        }
        return len;
    }
}

// The early-end test below pays only where matches are rare; where most searches find
// one it is pure cost. So the walks use it only after this many literals in a row.
inline constexpr unsigned kLiteralsBeforeEarlyEnd = 8;

// Whether a search at `pos` with no match in hand, starting at `candidate` (0 for an
// empty chain), would end at once: the first candidate is out of reach, or neither it
// nor the next one agrees in three bytes and the chain leaves the window after them.
// In data that does not compress every search ends so, after one or two candidates,
// and each of the tests on the way goes either way; a branch on each would mostly be
// guessed wrong, so they are taken together here, without branches. The budget of
// every level allows the three candidates looked at.
inline bool searchEndsAtOnce(const std::uint8_t* window, const ChainLinks& links, unsigned pos, unsigned candidate) {
    const unsigned limit = reachLimit(pos);
    const std::uint32_t scan3 = load32(window + pos) & kFirstThree;
    const unsigned next = links.next[candidate & kWindowMask];
    const unsigned afterNext = links.afterNext[candidate & kWindowMask];
    const bool firstInReach = (candidate != 0) & (candidate >= limit);
    const bool nextInReach = firstInReach & (next > limit);
    const bool firstAgrees = (load32(window + candidate) & kFirstThree) == scan3;
    const bool nextAgrees = (load32(window + next) & kFirstThree) == scan3;
    return !((firstInReach & firstAgrees) | (nextInReach & nextAgrees) | (nextInReach & (afterNext > limit)));
}

// Searches the chain from `candidate` for a match at `pos` longer than `best` (the
// previous match length). Returns the best length found (best itself when none is
// longer) and records the start of a longer match in `matchStart`. The length may
// run past the end of the input; the caller cuts it to the lookahead.
//
// Nearly every candidate fails a quick test; the walk looks at them in pairs, both
// links of a pair loaded at once (ChainLinks).
inline unsigned longestMatch(const std::uint8_t* window, const ChainLinks& links, const DeflateLevel& level,
                             unsigned pos, unsigned candidate, unsigned best, unsigned& matchStart) {
    unsigned budget = level.chainLength;
    if (best >= level.goodLength) {
        budget >>= 2;
    }
    const unsigned limit = reachLimit(pos);
    const unsigned nice = level.niceLength;
    const std::uint8_t* scan = window + pos;
    const std::uint32_t scanStart = load32(scan);
    // Whether the walk goes on to `next`: it is in reach and the budget allows one more.
    auto goesOn = [&](unsigned next) { return next > limit && --budget != 0; };
    if (best < kMinMatch) {
        // While no match is in hand, the first candidate that agrees in three bytes is one.
        const std::uint32_t scan3 = scanStart & kFirstThree;
        auto agrees = [&](unsigned c) { return (load32(window + c) & kFirstThree) == scan3; };
        unsigned after;
        for (;;) {
            const unsigned next = links.next[candidate & kWindowMask];
            const unsigned afterNext = links.afterNext[candidate & kWindowMask];
            if (agrees(candidate)) {
                after = next;
                break;
            }
            if (!goesOn(next)) {
                return best;
            }
            if (agrees(next)) {
                candidate = next;
                after = afterNext;
                break;
            }
            if (!goesOn(afterNext)) {
                return best;
            }
            candidate = afterNext;
        }
        best = commonLength(scan, window + candidate);
        matchStart = candidate;
        if (best >= nice || !goesOn(after)) {
            return best;
        }
        candidate = after;
    }
    // Only a candidate that agrees in the last four bytes of a longer match and in its
    // first four can be longer. Returns true when the match is long enough to stop.
    const std::uint8_t* windowEnd = window + (best - 3);
    std::uint32_t scanEnd = load32(scan + (best - 3));
    auto tryCandidate = [&](unsigned c) {
        if (load32(windowEnd + c) != scanEnd || load32(window + c) != scanStart) {
            return false;
        }
        const unsigned len = commonLength(scan, window + c);
        if (len <= best) {
            return false;
        }
        matchStart = c;
        best = len;
        windowEnd = window + (best - 3);
        scanEnd = load32(scan + (best - 3));
        return len >= nice;
    };
    for (;;) {
        const unsigned next = links.next[candidate & kWindowMask];
        const unsigned afterNext = links.afterNext[candidate & kWindowMask];
        if (tryCandidate(candidate) || !goesOn(next) || tryCandidate(next) || !goesOn(afterNext)) {
            return best;
        }
        candidate = afterNext;
    }
}

// longestMatch with the help of the four-byte chains (same result).
inline unsigned longestMatchLong(const std::uint8_t* window, const std::uint16_t* chain, const LongChains& chains,
                                 const DeflateLevel& level, unsigned pos, unsigned candidate, unsigned best,
                                 unsigned& matchStart) {
    unsigned budget = level.chainLength;
    if (best >= level.goodLength) {
        budget >>= 2;
    }
    const unsigned fullBudget = budget;
    const unsigned limit = reachLimit(pos);
    const unsigned nice = level.niceLength;
    const std::uint8_t* scan = window + pos;
    const std::uint16_t scanStart = load16(scan);
    std::uint16_t scanEnd = load16(scan + best - 1);
    const unsigned first = candidate;
    // pos was just numbered, one above the first candidate.
    const std::uint32_t firstNumber = (chains.link4[pos & kWindowMask] >> 16) - 1;

    // Where the walk of the four-byte chain starts, and the position from which on
    // the three-byte walk has already looked.
    std::uint32_t entry = chains.link4[pos & kWindowMask];
    unsigned seenFrom = pos;
    if (best < kMinMatch) {
        for (;;) {
            const std::uint8_t* match = window + candidate;
            if (load16(match + best - 1) == scanEnd && load16(match) == scanStart) {
                const unsigned len = commonLength(scan, match);
                if (len > best) {
                    matchStart = candidate;
                    best = len;
                    if (len >= nice) {
                        return best;
                    }
                    scanEnd = load16(scan + best - 1);
                    if (len > kMinMatch) {  // this one is on the four-byte chain
                        entry = chains.link4[candidate & kWindowMask];
                    }
                    seenFrom = candidate;
                    break;
                }
            }
            candidate = chain[candidate & kWindowMask];
            if (candidate <= limit || --budget == 0) {
                return best;
            }
        }
    }

    const std::uint32_t scan4 = load32(scan);
    for (unsigned next = entry & 0xFFFFu; next != 0; next = entry & 0xFFFFu) {
        entry = chains.link4[next & kWindowMask];
        if (next >= seenFrom) {
            continue;
        }
        if (next <= limit && next != first) {
            break;
        }
        const std::uint8_t* match = window + next;
        if (load32(match) != scan4) {
            continue;  // another string with the same four-byte hash
        }
        // Steps from the first candidate along the three-byte chain.
        if (((firstNumber - (entry >> 16)) & 0xFFFFu) >= fullBudget) {
            break;
        }
        if (load16(match + best - 1) != scanEnd) {
            continue;
        }
        const unsigned len = commonLength(scan, match);
        if (len > best) {
            matchStart = next;
            best = len;
            if (len >= nice) {
                break;
            }
            scanEnd = load16(scan + best - 1);
        }
    }
    return best;
}

}  // namespace zb::zip::deflate
