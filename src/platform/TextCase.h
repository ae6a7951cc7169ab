// Comparing names without regard to letter case, the way section names, key names,
// project names and wildcard masks are matched. The folding covers ASCII and the
// common European alphabets (Latin-1, Latin Extended-A, Greek, Cyrillic) of UTF-8
// text; bytes that are not valid UTF-8 are compared as they are.
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

// The lower-case form of one code point (unchanged when it has none here).
char32_t foldCodePoint(char32_t c);
// The text with every letter folded to lower case, still UTF-8.
std::string foldCase(std::string_view text);
// The text as folded code points, for matching where "?" stands for one character
// and "Ä" equals "ä"; a byte that is not valid UTF-8 becomes a code point of its own
// that no letter or wildcard equals (see utf8CodePoints).
std::u32string foldedCodePoints(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// The text without blanks (spaces and tabs) at either end.
std::string_view trimBlanks(std::string_view text);

}  // namespace zb::platform
