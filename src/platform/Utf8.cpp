// UTF-8 encoding and decoding. See Utf8.h.
#include "platform/Utf8.h"

#include <cstdint>

namespace zb::platform {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& c) {
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    if (b0 < 0x80) {
        c = b0;
        ++i;
        return true;
    }
    int len;
    char32_t value, min;
    if ((b0 & 0xE0) == 0xC0) { len = 2; value = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; value = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; value = b0 & 0x07; min = 0x10000; }
    else return false;
    if (i + std::size_t(len) > s.size()) return false;
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + std::size_t(k)]);
        if ((b & 0xC0) != 0x80) return false;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    c = value;
    i += std::size_t(len);
    return true;
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    char32_t c;
    while (i < text.size())
        if (!decodeUtf8(text, i, c)) return false;
    return true;
}

std::u32string utf8CodePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c;
        if (decodeUtf8(text, i, c)) {
            out.push_back(c);
        } else {
            out.push_back(kInvalidUtf8Byte + static_cast<std::uint8_t>(text[i]));
            ++i;
        }
    }
    return out;
}

}  // namespace zb::platform
