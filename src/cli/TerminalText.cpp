// Escaping control characters of archive text. See TerminalText.h.
#include "cli/TerminalText.h"

#include <cstdio>

namespace zb::cli {

namespace {

std::string escaped(std::string_view text, bool keepLines) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        // The C1 controls (U+0080 to U+009F) act on some terminals as escapes do.
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += buf;
            continue;
        }
        if (keepLines && (c == '\n' || c == '\t')) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (b < 0x20 || b == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string printableName(std::string_view text) { return escaped(text, false); }

std::string printableComment(std::string_view text) { return escaped(text, true); }

}  // namespace zb::cli
