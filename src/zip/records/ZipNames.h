// Member names between their bytes in a record and the program's text (UTF-8, "/" as
// the separator). Reading: flag bit 11 means UTF-8; otherwise a name written on
// MS-DOS is code page 437, while a name from another host is kept as stored, byte for
// byte; a local header name (no host recorded) is code page 437 unless it reads as
// UTF-8. A "\" is a separator only in names from MS-DOS and Windows hosts, where it
// was one; on a Unix host it is a character of the name ("back\slash.txt" is one
// file). Writing: ASCII as it is; other valid UTF-8 with bit 11; bytes that are no
// UTF-8 as they are, without the bit, so that they come back byte-identical.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zb::zip {

// Whether a "\" in names from the host of `versionMadeBy` separates folders.
bool backslashIsSeparator(std::uint16_t versionMadeBy);

std::string decodeCentralName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy);
std::string decodeLocalName(std::string_view raw, std::uint16_t flags);

struct EncodedName {
    std::string bytes;
    bool utf8 = false;  // the record must carry flag bit 11
};
// `versionMadeBy` is the record's own: a record from the MS-DOS host stores names that
// fit code page 437 in it; any other host writes non-ASCII UTF-8 names with bit 11.
EncodedName encodeName(std::string_view name, std::uint16_t versionMadeBy);

// Splits after the last "/": "Docs/Readme.txt" gives "Docs/" and "Readme.txt"; a name
// ending in "/" is a folder entry with an empty file name.
void splitName(std::string_view name, std::string& directory, std::string& fileName);

// The name as it reads back after being stored by this system (host Unix: unchanged).
std::string nameRoundTrip(std::string_view name);

}  // namespace zb::zip
