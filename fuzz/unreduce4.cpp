// Fuzz target: the unreduce decoder with compression factor 4 (method 5) on arbitrary
// bytes (see OldMethodTarget.h).
#include "fuzz/OldMethodTarget.h"
#include "zip/codec/legacy/Unreduce.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zb::fuzz::fuzzOldMethod(zb::zip::unreduce, 5, 0, data, size, true);
}
