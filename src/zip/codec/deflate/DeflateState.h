// Everything one compressor keeps between members: the window with its hash chains,
// the block tally, the block writer (with the fixed code) and the bit output.
#pragma once

#include "zip/codec/deflate/Deflate.h"
#include "zip/codec/deflate/DeflateBitWriter.h"
#include "zip/codec/deflate/DeflateBlockWriter.h"
#include "zip/codec/deflate/DeflateLevels.h"
#include "zip/codec/deflate/DeflateTally.h"
#include "zip/codec/deflate/DeflateWindow.h"

namespace zb::zip {

struct DeflateState {
    deflate::DeflateWindow window;
    deflate::DeflateTally tally;
    deflate::DeflateBlockWriter blocks;
    deflate::DeflateBitWriter out;
    DeflateLevel level{};
};

namespace deflate {

// The two ways of walking a member: greedy (levels 1 to 3) and lazy (4 to 9).
void compressGreedy(DeflateState& state);
void compressLazy(DeflateState& state);

// From this chain budget on, the lazy walk may keep the four-byte chains: on short
// chains their upkeep costs more than they save.
inline constexpr unsigned kLongChainBudget = 256;
bool allowsLongChains(const DeflateLevel& level);

// Ends the current block at the current position.
inline void flushBlock(DeflateState& state, bool last) {
    DeflateWindow& w = state.window;
    const std::uint8_t* input = w.blockStart >= 0 ? w.data() + w.blockStart : nullptr;
    const auto length = static_cast<std::uint64_t>(static_cast<long>(w.strstart) - w.blockStart);
    state.blocks.flush(state.tally, state.out, input, length, last);
    w.blockStart = w.strstart;
}

}  // namespace deflate
}  // namespace zb::zip
