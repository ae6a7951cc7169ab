// Chooses the decoder for a member's compression method and runs it between the
// input and the output side: the stored copy here, inflate and the old methods from
// their own files.
#pragma once

#include <cstdint>
#include <string>

#include "zip/codec/DecoderIo.h"

namespace zb::zip {

enum class DecodeStatus {
    Complete,   // the decoder reached the end of the member's data
    Malformed,  // the data ended decoding early (the CRC check will fail)
};

// True when the engine has a decoder for `method`.
bool methodSupported(std::uint16_t method);
// A short description of a method for listings ("Stored", "Deflated", "Method 14").
std::string methodName(std::uint16_t method);

// Runs the decoder of params.method. The caller has checked methodSupported.
DecodeStatus decodeMember(DecodeInput& in, DecodeOutput& out, const DecodeParams& params);

// The stored method: the compressed bytes are the member.
bool copyStored(DecodeInput& in, DecodeOutput& out);

}  // namespace zb::zip
