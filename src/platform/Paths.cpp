// Path text helpers: the program builds its paths as text, so these work on text
// rather than on std::filesystem objects, with "/" as the one separator.
#include "platform/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace zb::platform {

std::string includeTrailingSeparator(std::string_view path) {
    std::string s(path);
    if (!s.empty() && s.back() != kPathSeparator) s += kPathSeparator;
    return s;
}

std::string excludeTrailingSeparator(std::string_view path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.remove_suffix(1);
    return std::string(path);
}

std::string extractFileName(std::string_view path) {
    auto slash = path.rfind(kPathSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string extractFilePath(std::string_view path) {
    auto slash = path.rfind(kPathSeparator);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string extractFileDir(std::string_view path) {
    auto slash = path.rfind(kPathSeparator);
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return std::string(1, kPathSeparator);
    return std::string(path.substr(0, slash));
}

namespace {

// Position of the extension's dot in `path`, or npos.
std::size_t extensionDot(std::string_view path) {
    auto slash = path.rfind(kPathSeparator);
    std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    auto dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart) return std::string_view::npos;
    return dot;
}

}  // namespace

std::string extractFileExt(std::string_view path) {
    auto dot = extensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string changeFileExt(std::string_view path, std::string_view ext) {
    auto dot = extensionDot(path);
    std::string s(dot == std::string_view::npos ? path : path.substr(0, dot));
    s += ext;
    return s;
}

std::string expandFileName(std::string_view path) {
    std::string full;
    if (path.empty() || path.front() != kPathSeparator) {
        std::vector<char> buf(4096);
        while (!::getcwd(buf.data(), buf.size())) {
            if (buf.size() > (1u << 20)) break;
            buf.resize(buf.size() * 2);
        }
        full = buf.data();
        full += kPathSeparator;
    }
    full += path;

    std::vector<std::string_view> parts;
    std::string_view rest(full);
    while (!rest.empty()) {
        auto slash = rest.find(kPathSeparator);
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (auto part : parts) {
        out += kPathSeparator;
        out += part;
    }
    if (out.empty()) return std::string(1, kPathSeparator);
    if (!path.empty() && path.back() == kPathSeparator) out += kPathSeparator;
    return out;
}

bool samePath(std::string_view a, std::string_view b) {
    return excludeTrailingSeparator(expandFileName(a)) == excludeTrailingSeparator(expandFileName(b));
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return excludeTrailingSeparator(home);
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir)
        return excludeTrailingSeparator(result->pw_dir);
    return std::string(1, kPathSeparator);
}

}  // namespace zb::platform
