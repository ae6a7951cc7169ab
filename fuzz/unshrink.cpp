// Fuzz target: the unshrink decoder (method 1) on arbitrary bytes (see OldMethodTarget.h).
#include "fuzz/OldMethodTarget.h"
#include "zip/codec/legacy/Unshrink.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Unshrink stops at the end of its data, not at the stated size, so the stated size
    // bounds nothing here; the output cap does.
    return zb::fuzz::fuzzOldMethod(zb::zip::unshrink, 1, 0, data, size, false);
}
