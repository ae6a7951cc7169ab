// Fuzz target: the explode decoder (method 6) with flags 2
// (8 KiB dictionary, 8-bit literals (no literal tree)) on arbitrary bytes (see OldMethodTarget.h).
#include "fuzz/OldMethodTarget.h"
#include "zip/codec/legacy/Explode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zb::fuzz::fuzzOldMethod(zb::zip::explode, 6, 2, data, size, true);
}
