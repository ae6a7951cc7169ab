// Decoder for deflated members (method 8): the raw deflate stream of stored, fixed and
// dynamic Huffman blocks. It is the method almost every archive uses, so it is built
// for speed: large lookup tables, a 64-bit bit buffer, and output gathered in a big
// window that is handed on in large pieces.
#pragma once

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

// Decodes one deflate stream from `in` to `out`. Returns true when the block marked
// last has ended; false when malformed data (or compressed data that ends too soon)
// ended decoding early. Exceptions thrown by `in` or `out` pass on.
bool inflate(DecodeInput& in, DecodeOutput& out, const DecodeParams& p);

}  // namespace zb::zip
