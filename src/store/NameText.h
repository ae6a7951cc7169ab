// Text rules for names and fields typed by the user: trimming as the program does it
// (every control character and blank at either end goes), and the comparison of
// project names, which ignores letter case so that "abc" and "ABC" are one project.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zb::store {

// Removes every character up to and including the blank (control characters too)
// from both ends.
std::string trimText(std::string_view text);

// Letter case is ignored the way the settings file matches its section names.
bool sameName(std::string_view a, std::string_view b);
// Alphabetical order without regard to case (ties keep their order when sorted stably).
bool nameLess(std::string_view a, std::string_view b);

// Number of characters of UTF-8 text (continuation bytes are not counted).
std::size_t characterCount(std::string_view text);

}  // namespace zb::store
