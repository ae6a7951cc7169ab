// Host byte and attributes of members written on Linux.
#include "platform/ArchiveHost.h"

namespace zb::platform {

namespace {
constexpr std::uint8_t kHostUnix = 3;
}

std::uint8_t archiveHost() { return kHostUnix; }

std::uint32_t archiveAttributes(std::uint32_t mode, std::uint32_t dosAttributes) {
    return ((mode & 0xFFFFu) << 16) | (dosAttributes & 0xFFu);
}

int restoredPermissions(std::uint8_t host, std::uint32_t externalAttributes) {
    if (host != kHostUnix) return -1;
    const std::uint32_t mode = externalAttributes >> 16;
    // A Unix host that left the mode out (some tools do for streamed members) says
    // nothing about permissions: keep the default then.
    if (mode == 0) return -1;
    return int(mode & 0777);
}

}  // namespace zb::platform
