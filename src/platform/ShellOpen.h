// Opening a file with the desktop's default program (xdg-open), without waiting.
#pragma once

#include <string_view>

namespace zb::platform {

bool shellOpen(std::string_view path);

}  // namespace zb::platform
