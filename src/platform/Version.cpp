// The version handed in by the build (see Version.h).
#include "platform/Version.h"

#ifndef ZB_VERSION
#error "ZB_VERSION must be defined by the build"
#endif

namespace zb::platform {

const char* programVersion() { return ZB_VERSION; }

std::string programTitle() { return std::string("Varnholt ZIP Backup  V") + ZB_VERSION; }

}  // namespace zb::platform
