// Member names between their bytes in a record and the program's text (UTF-8, "/" as
// the separator). Reading: flag bit 11 means UTF-8; otherwise a name written on
// MS-DOS is code page 437, while a name from another host is kept as stored; a local
// header name (no host recorded) is code page 437 unless it reads as UTF-8. "\" is
// read as a separator too. Writing: code page 437 when every character fits, else
// UTF-8 with bit 11 set, so that no name is lost.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zb::zip {

std::string decodeCentralName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy);
std::string decodeLocalName(std::string_view raw, std::uint16_t flags);

struct EncodedName {
    std::string bytes;
    bool utf8 = false;  // the record must carry flag bit 11
};
// `versionMadeBy` is the record's own: a record that claims a host other than MS-DOS is
// read back without code page conversion, so its non-ASCII names go out as UTF-8.
EncodedName encodeName(std::string_view name, std::uint16_t versionMadeBy);

// Splits after the last "/": "Docs/Readme.txt" gives "Docs/" and "Readme.txt"; a name
// ending in "/" is a folder entry with an empty file name.
void splitName(std::string_view name, std::string& directory, std::string& fileName);

// The name as it reads back after being stored (separators made "/").
std::string nameRoundTrip(std::string_view name);

}  // namespace zb::zip
