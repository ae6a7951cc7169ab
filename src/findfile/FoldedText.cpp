// UTF-8 decoding for the finder's exclusion matcher, with the platform's case folding.
#include "findfile/FoldedText.h"

#include "platform/TextCase.h"

namespace zb::findfile {
namespace {

// Invalid bytes map into the low surrogates, which valid UTF-8 never yields.
constexpr char32_t kInvalidByteBase = 0xDC00;

}  // namespace

std::u32string foldedCodePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not valid.
        if (valid && ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out.push_back(kInvalidByteBase + lead);
            ++i;
            continue;
        }
        out.push_back(platform::foldCodePoint(cp));
        i += length;
    }
    return out;
}

}  // namespace zb::findfile
