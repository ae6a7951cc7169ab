// The engine's wildcard matcher, used to select members for extraction and by the
// writer for its exclude and no-compression lists. "?" takes one character, "*" any
// run, "<a-z>" / "<!abc>" one character of a set (or outside it). Letters A-Z match
// without regard to case. Text is UTF-8; "?" and sets take whole characters.
#pragma once

#include <string_view>

namespace zb::zip {

// True when `pattern` matches the whole of `text`. A malformed set ("<>", "<a-c"
// unclosed, "<a->") makes the match fail; nothing raises.
bool wildcardMatch(std::string_view pattern, std::string_view text);

}  // namespace zb::zip
