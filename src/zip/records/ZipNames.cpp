// Member name conversions.
#include "zip/records/ZipNames.h"

#include <algorithm>

#include "platform/CodePage437.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {
std::string slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}
bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
}  // namespace

bool backslashIsSeparator(std::uint16_t versionMadeBy) {
    const std::uint8_t host = std::uint8_t(versionMadeBy >> 8);
    return host == kHostMsDos || host == kHostNtfs || host == kHostVfat;
}

std::string decodeCentralName(std::string_view raw, std::uint16_t flags, std::uint16_t versionMadeBy) {
    const bool separator = backslashIsSeparator(versionMadeBy);
    std::string name =
        (flags & kFlagUtf8) || (versionMadeBy >> 8) != kHostMsDos ? std::string(raw) : platform::cp437ToUtf8(raw);
    return separator ? slashes(std::move(name)) : name;
}

std::string decodeLocalName(std::string_view raw, std::uint16_t flags) {
    if (flags & kFlagUtf8) return slashes(std::string(raw));
    // A local header does not say which system wrote it. Names written on Unix are
    // UTF-8 without the flag; a code page 437 name that happens to form valid UTF-8
    // sequences of non-ASCII characters is far less likely than that.
    if (!isAscii(raw) && platform::isValidUtf8(raw)) return slashes(std::string(raw));
    return slashes(platform::cp437ToUtf8(raw));
}

EncodedName encodeName(std::string_view name, std::uint16_t versionMadeBy) {
    std::string text = backslashIsSeparator(versionMadeBy) ? slashes(std::string(name)) : std::string(name);
    if (isAscii(text)) return {text, false};
    if (!platform::isValidUtf8(text)) return {text, false};  // bytes of unknown coding: as they are
    if ((versionMadeBy >> 8) == kHostMsDos) {
        if (auto cp = platform::utf8ToCp437(text)) return {*cp, false};
    }
    return {text, true};
}

void splitName(std::string_view name, std::string& directory, std::string& fileName) {
    auto slash = name.rfind('/');
    if (slash == std::string_view::npos) {
        directory.clear();
        fileName.assign(name);
    } else {
        directory.assign(name.substr(0, slash + 1));
        fileName.assign(name.substr(slash + 1));
    }
}

std::string nameRoundTrip(std::string_view name) { return std::string(name); }

}  // namespace zb::zip
