// Case folding for name comparisons: ASCII quickly, and the letters of the common
// European alphabets so that "Café" and "CAFÉ" name the same project.
#include "platform/TextCase.h"

#include <cstdint>

#include "platform/Utf8.h"

namespace zb::platform {

char32_t foldCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
    if (c >= 0x100 && c <= 0x17F) {                          // Latin Extended-A pairs
        if (c == 0x130) return 'i';
        if (c == 0x178) return 0xFF;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek capitals
    if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic capitals
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

std::string foldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<std::uint8_t>(text[i]);
        if (b < 0x80) {
            out += (b >= 'A' && b <= 'Z') ? char(b + 32) : char(b);
            ++i;
            continue;
        }
        // Only the two-byte sequences hold letters that fold here.
        std::size_t next = i;
        char32_t c;
        if ((b & 0xE0) == 0xC0 && decodeUtf8(text, next, c)) {
            appendUtf8(out, foldCodePoint(c));
            i = next;
            continue;
        }
        out += char(b);
        ++i;
    }
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    // Fast path for the usual ASCII names; folding never changes a name's byte length
    // except for the dotted capital I, which the full path handles.
    bool ascii = true;
    for (char ch : a) ascii = ascii && static_cast<std::uint8_t>(ch) < 0x80;
    for (char ch : b) ascii = ascii && static_cast<std::uint8_t>(ch) < 0x80;
    if (ascii) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char x = a[i], y = b[i];
            if (x >= 'A' && x <= 'Z') x = char(x + 32);
            if (y >= 'A' && y <= 'Z') y = char(y + 32);
            if (x != y) return false;
        }
        return true;
    }
    return foldCase(a) == foldCase(b);
}

std::string_view trimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    return text.substr(b, e - b);
}

std::u32string foldedCodePoints(std::string_view text) {
    std::u32string out = utf8CodePoints(text);
    for (char32_t& c : out) c = foldCodePoint(c);  // a stand-in for an invalid byte folds to itself
    return out;
}

}  // namespace zb::platform
