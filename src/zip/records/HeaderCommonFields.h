// The run of fields a local and a central header share, in the same order: version
// needed, flags, method, DOS time, CRC-32, both sizes, name and extra-field lengths.
// Both header codecs read and write that run here (at offset 4 of a local header,
// 6 of a central one).
#pragma once

#include <cstdint>
#include <string>

#include "zip/records/ZipBytes.h"

namespace zb::zip {

template <typename Header>
void decodeHeaderCommonFields(Header& h, const std::uint8_t* p) {
    h.versionNeeded = getU16(p);
    h.flags = getU16(p + 2);
    h.method = getU16(p + 4);
    h.dosTime = getU32(p + 6);
    h.crc = getU32(p + 10);
    h.compressedSize = getU32(p + 14);
    h.uncompressedSize = getU32(p + 18);
    h.nameLength = getU16(p + 22);
    h.extraLength = getU16(p + 24);
}

template <typename Header>
void appendHeaderCommonFields(std::string& out, const Header& h) {
    appendU16(out, h.versionNeeded);
    appendU16(out, h.flags);
    appendU16(out, h.method);
    appendU32(out, h.dosTime);
    appendU32(out, h.crc);
    appendU32(out, h.compressedSize);
    appendU32(out, h.uncompressedSize);
    appendU16(out, h.nameLength);
    appendU16(out, h.extraLength);
}

}  // namespace zb::zip
