// Path text helpers in the program's terms: the trailing separator rules, the file name
// and folder parts, and comparison of two paths as the same file (absolute, normalised,
// case-sensitive on Linux).
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

constexpr char kPathSeparator = '/';

// An empty path stays empty (it names the current folder; a separator would make it
// the root).
std::string includeTrailingSeparator(std::string_view path);
std::string excludeTrailingSeparator(std::string_view path);  // "/" stays "/"
std::string extractFileName(std::string_view path);           // after the last separator
std::string extractFilePath(std::string_view path);           // up to and with the last separator
std::string extractFileDir(std::string_view path);            // the same without it ("/" kept)
// ".zip", or empty; a name whose only dot is its first character (".profile") has none.
std::string extractFileExt(std::string_view path);
std::string changeFileExt(std::string_view path, std::string_view ext);
// Absolute and normalised ("." and ".." resolved lexically, no doubled separators);
// relative to the current folder; a trailing separator is kept.
std::string expandFileName(std::string_view path);
bool samePath(std::string_view a, std::string_view b);
// The user's home folder ($HOME, else the password database), without a trailing
// separator: the initial folder and default save path of the program.
std::string homeFolder();

}  // namespace zb::platform
