// Helpers of the store tests: the shipped settings file copied into a temporary folder,
// and a plain look at a settings file's text (section and key order as on disk).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace zb::test {

// A copy of tests/data/ini/<name> in `dir`, so that tests may write to it.
inline std::filesystem::path copyTestIni(const TempDir& dir, const std::string& name) {
    const auto target = dir / name;
    std::filesystem::copy_file(testData("ini/" + name), target);
    return target;
}

// The lines of a text file without their line ends.
inline std::vector<std::string> textLines(const std::filesystem::path& p) {
    std::vector<std::string> lines;
    std::string text = readFile(p);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The key names of one section in file order, as written (the section is matched exactly).
inline std::vector<std::string> keysOnDisk(const std::filesystem::path& p, const std::string& section) {
    std::vector<std::string> keys;
    bool inside = false;
    for (const std::string& line : textLines(p)) {
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        const auto eq = line.find('=');
        if (inside && eq != std::string::npos) keys.push_back(line.substr(0, eq));
    }
    return keys;
}

inline bool hasLine(const std::filesystem::path& p, const std::string& wanted) {
    for (const std::string& line : textLines(p)) {
        if (line == wanted) return true;
    }
    return false;
}

}  // namespace zb::test
