// Password scrambling for "project.ini"; see PasswordScramble.h for the stored form.
#include "store/PasswordScramble.h"

#include "store/NameText.h"

namespace zb::store {

std::string BytesToHashText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 4);
    for (char c : bytes) {
        out += '#';
        out += std::to_string(static_cast<unsigned char>(c));
    }
    return out;
}

std::string HashTextToBytes(std::string_view text) {
    std::string out;
    bool inRun = false;
    unsigned value = 0;  // kept modulo 256 as digits arrive, so long runs cannot overflow
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = (value * 10 + static_cast<unsigned>(c - '0')) % 256;
            inRun = true;
        } else if (inRun) {
            out += static_cast<char>(value);
            inRun = false;
            value = 0;
        }
    }
    if (inRun) out += static_cast<char>(value);
    return out;
}

std::string XorScramble(std::string_view text, std::string_view key, bool encode) {
    std::string s(text);
    if (!encode && !s.empty() && s.front() == '#') s = HashTextToBytes(s);
    if (!key.empty()) {
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(s[i] ^ key[i % key.size()]);
    }
    return encode ? BytesToHashText(s) : s;
}

std::string scrambleKey(std::string_view projectName) {
    std::string name = trimText(projectName);
    return name + std::to_string(characterCount(name));
}

std::string scramblePassword(std::string_view password, std::string_view projectName) {
    return XorScramble(password, scrambleKey(projectName), true);
}

std::string unscramblePassword(std::string_view stored, std::string_view projectName) {
    return XorScramble(stored, scrambleKey(projectName), false);
}

}  // namespace zb::store
