// Asking for a password on the terminal without showing what is typed. Without a
// terminal there is no one to ask, and no password is read.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace zb::cli {

// Prompts on standard error and reads a line from standard input with echo off;
// nullopt when standard input is not a terminal or the input ended.
std::optional<std::string> promptPassword(const std::string& prompt);

// The same on given streams: `terminal` says whether `in` is the terminal (then echo
// is switched off for the read when standard input is one).
std::optional<std::string> promptPassword(std::istream& in, std::ostream& err, const std::string& prompt,
                                          bool terminal);

}  // namespace zb::cli
