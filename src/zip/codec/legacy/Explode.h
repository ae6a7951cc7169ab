// Decoder for imploded members (method 6): literals and (distance, length) pairs coded
// with Shannon-Fano trees over a 4 KiB or 8 KiB sliding dictionary.
#pragma once

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

// Decodes until the member's uncompressed size is reached exactly. Flag bit 1 selects
// the 8 KiB dictionary, flag bit 2 a coded literal tree. Returns false when malformed
// trees or compressed data that ends too soon ended decoding early. Exceptions thrown
// by `in` or `out` pass on.
bool explode(DecodeInput& in, DecodeOutput& out, const DecodeParams& p);

}  // namespace zb::zip
