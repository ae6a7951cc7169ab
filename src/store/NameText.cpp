// Trimming and case-blind comparison of names typed by the user.
#include "store/NameText.h"

#include <algorithm>

#include "platform/TextCase.h"

namespace zb::store {
namespace {

bool isTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

std::string trimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isTrimmed(text[begin])) ++begin;
    while (end > begin && isTrimmed(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

bool sameName(std::string_view a, std::string_view b) { return platform::equalsIgnoreCase(a, b); }

bool nameLess(std::string_view a, std::string_view b) {
    // Byte order of the folded UTF-8 text is code point order.
    return platform::foldCase(a) < platform::foldCase(b);
}

std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace zb::store
