// Decoder for shrunk members (method 1): dynamic LZW with codes of 9 to 13 bits and
// the partial clear that frees every code no other code builds on.
#pragma once

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

// Decodes until the compressed data is used up. Returns false when malformed data
// (a code not yet defined, an unknown control code, a code size beyond 13 bits) ended
// decoding early, or when the data ended before the member's uncompressed size was
// reached. Exceptions thrown by `in` or `out` pass on.
bool unshrink(DecodeInput& in, DecodeOutput& out, const DecodeParams& p);

}  // namespace zb::zip
