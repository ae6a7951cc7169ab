// A slow, literal model of the compressor's decisions, written independently of the
// production code for the tests: it walks the input by absolute positions (no window
// buffer, no word compares, chains indexed by position), applies the level table,
// the chain and lazy rules, the tally with its early-flush estimate, and the window's
// read and slide schedule. The compressor must produce exactly its entries, block
// ends and read requests.
#pragma once

#include "zip/codec/deflate/DeflateTestSupport.h"

#include <cstddef>
#include <vector>

namespace zb::zip::test {

struct ReferenceBlock {
    std::vector<Token> tokens;
    std::uint64_t inputBytes = 0;
    bool inWindow = true;  // the block's bytes were still in the window at its end
};

struct ReferenceRun {
    std::vector<ReferenceBlock> blocks;
    std::vector<std::size_t> reads;  // sizes requested from the source
};

ReferenceRun referenceRun(const Bytes& data, int level);

}  // namespace zb::zip::test
