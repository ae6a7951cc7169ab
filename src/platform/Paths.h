// Path text helpers in the program's terms: the trailing separator rules, the file name
// and folder parts, and comparison of two paths as the same file (absolute, normalised,
// case-sensitive on Linux).
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

constexpr char kPathSeparator = '/';

std::string includeTrailingSeparator(std::string_view path);
std::string excludeTrailingSeparator(std::string_view path);  // "/" stays "/"
std::string extractFileName(std::string_view path);           // after the last separator
std::string extractFilePath(std::string_view path);           // up to and with the last separator
std::string extractFileDir(std::string_view path);            // the same without it ("/" kept)
std::string extractFileExt(std::string_view path);            // ".zip", or empty
std::string changeFileExt(std::string_view path, std::string_view ext);
// Absolute and normalised ("." and ".." resolved lexically, no doubled separators).
std::string expandFileName(std::string_view path);
bool samePath(std::string_view a, std::string_view b);
// The user's home folder: the initial folder and default save path of the program.
std::string homeFolder();

}  // namespace zb::platform
