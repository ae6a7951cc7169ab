// Fuzz target: the unreduce decoder with compression factor 3 (method 4) on arbitrary
// bytes (see OldMethodTarget.h).
#include "fuzz/OldMethodTarget.h"
#include "zip/codec/legacy/Unreduce.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zb::fuzz::fuzzOldMethod(zb::zip::unreduce, 4, 0, data, size, true);
}
