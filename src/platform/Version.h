// The program's version and the title built from it. The number lives only in the
// build's project declaration and reaches the code as a compile definition, so the
// package, the About box and --version can never disagree.
#pragma once

#include <string>

namespace zb::platform {

const char* programVersion();  // "1.05"
std::string programTitle();    // "Varnholt ZIP Backup  V1.05", as the window shows it

}  // namespace zb::platform
