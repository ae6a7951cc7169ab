// Member names of ZIP archives without the UTF-8 flag are in code page 437, the
// original PC character set; the program itself works in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Utf8.h"  // isValidUtf8, which callers of these use beside them

namespace zb::platform {

std::string cp437ToUtf8(std::string_view cp437);
// nullopt when a character has no place in code page 437 (or the text is not UTF-8).
std::optional<std::string> utf8ToCp437(std::string_view utf8);

}  // namespace zb::platform
