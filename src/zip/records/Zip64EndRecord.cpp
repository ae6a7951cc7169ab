// The bytes of the ZIP64 end record.
#include "zip/records/Zip64EndRecord.h"

#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

bool Zip64EndRecord::decode(const std::uint8_t* raw) {
    if (getU32(raw) != kZip64EndSignature) return false;
    versionMadeBy = getU16(raw + 12);
    versionNeeded = getU16(raw + 14);
    thisDisk = getU32(raw + 16);
    centralStartDisk = getU32(raw + 20);
    entriesThisDisk = getU64(raw + 24);
    totalEntries = getU64(raw + 32);
    centralSize = getU64(raw + 40);
    centralOffset = getU64(raw + 48);
    return true;
}

std::string Zip64EndRecord::encode() const {
    std::string out;
    out.reserve(kSize);
    appendU32(out, kZip64EndSignature);
    appendU64(out, kSize - 12);  // the size of the rest of the record
    appendU16(out, versionMadeBy);
    appendU16(out, versionNeeded);
    appendU32(out, thisDisk);
    appendU32(out, centralStartDisk);
    appendU64(out, entriesThisDisk);
    appendU64(out, totalEntries);
    appendU64(out, centralSize);
    appendU64(out, centralOffset);
    return out;
}

}  // namespace zb::zip
