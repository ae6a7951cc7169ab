// Fuzz target: the explode decoder (method 6) with flags 6
// (8 KiB dictionary, coded literals) on arbitrary bytes (see OldMethodTarget.h).
#include "fuzz/OldMethodTarget.h"
#include "zip/codec/legacy/Explode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zb::fuzz::fuzzOldMethod(zb::zip::explode, 6, 6, data, size, true);
}
