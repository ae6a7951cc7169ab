// The bytes of the ZIP64 locator.
#include "zip/records/Zip64Locator.h"

#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

bool Zip64Locator::decode(const std::uint8_t* raw) {
    if (getU32(raw) != kZip64LocatorSignature) return false;
    zip64Disk = getU32(raw + 4);
    zip64Offset = getU64(raw + 8);
    totalDisks = getU32(raw + 16);
    return true;
}

std::string Zip64Locator::encode() const {
    std::string out;
    out.reserve(kSize);
    appendU32(out, kZip64LocatorSignature);
    appendU32(out, zip64Disk);
    appendU64(out, zip64Offset);
    appendU32(out, totalDisks);
    return out;
}

}  // namespace zb::zip
