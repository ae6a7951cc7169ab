// Decoder for reduced members (methods 2 to 5, compression factors 1 to 4): bytes coded
// through per-byte follower sets, then expanded by DLE-introduced repeats.
#pragma once

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

// Decodes until the member's uncompressed size is reached (the format has no end
// mark). Returns false when malformed data (an index beyond a follower set, a method
// that is not 2 to 5) or compressed data that ends too soon ended decoding early.
// Exceptions thrown by `in` or `out` pass on.
bool unreduce(DecodeInput& in, DecodeOutput& out, const DecodeParams& p);

}  // namespace zb::zip
