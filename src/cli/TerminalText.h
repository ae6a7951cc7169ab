// Text from an archive made safe to print: a name or comment may hold control
// characters that would move the cursor, clear the screen or fake a line of output,
// so they are shown escaped ("\x1b", "\n") instead of being sent to the terminal.
#pragma once

#include <string>
#include <string_view>

namespace zb::cli {

// Every control character escaped (names: one line each).
std::string printableName(std::string_view text);
// Line ends and tabs kept, every other control character escaped (comments).
std::string printableComment(std::string_view text);

}  // namespace zb::cli
