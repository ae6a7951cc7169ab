// The compressor's entry point: sets up a member, runs the walk of its level and
// reports how the member is to be described in its header.
#include "zip/codec/deflate/Deflate.h"

#include "zip/codec/deflate/DeflateState.h"

#include <stdexcept>

namespace zb::zip {

Deflater::Deflater() : state_(std::make_unique<DeflateState>()) {}

Deflater::~Deflater() = default;

DeflateResult Deflater::compress(DeflateSource& source, DeflateSink& sink, int level) {
    if (level < 1 || level > 9) {
        throw std::invalid_argument("deflate level must lie in 1 to 9");
    }
    DeflateState& s = *state_;
    s.level = kDeflateLevels[level];
    s.tally.start(level > 2);
    s.blocks.startMember();
    s.out.start(sink);
    s.window.start(source, level >= kFirstLazyLevel && deflate::allowsLongChains(s.level));
    if (level < kFirstLazyLevel) {
        deflate::compressGreedy(s);
    } else {
        deflate::compressLazy(s);
    }

    DeflateResult result;
    result.method = s.blocks.storedWhole() ? 0 : 8;
    result.compressedSize = s.out.bytesOut();
    result.internalAttributes = s.blocks.internalAttributes();
    result.flagBits = deflateFlagBits(level);
    return result;
}

}  // namespace zb::zip
