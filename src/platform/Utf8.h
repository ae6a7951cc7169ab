// UTF-8, the program's text encoding here: one encoder and one decoder for every
// layer, so names, masks and code-page conversions agree on what a character is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zb::platform {

// Appends the UTF-8 form of one code point (up to U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

// Decodes the character at `i` and moves `i` past it. False, with `i` unchanged, for
// anything malformed: a cut sequence, an overlong form, a surrogate, a value above
// U+10FFFF.
bool decodeUtf8(std::string_view text, std::size_t& i, char32_t& c);

bool isValidUtf8(std::string_view text);

// Stands in for a byte that does not begin a valid character: U+DC00 plus the byte,
// a low surrogate, which valid text never decodes to, so such a byte equals only
// itself.
inline constexpr char32_t kInvalidUtf8Byte = 0xDC00;

// The text as code points, each invalid byte as kInvalidUtf8Byte + byte.
std::u32string utf8CodePoints(std::string_view text);

}  // namespace zb::platform
