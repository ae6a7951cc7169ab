// What an archive member written on this system says about the file it came from:
// the host byte of "version made by" and the external attributes. On Linux the host
// is Unix (3) and the file's full mode (type and permission bits) stands in the upper
// 16 bits beside the DOS bits in the lower byte, as Linux ZIP tools write it, so that
// restoring gives a private key back as 0600 and a script back as 0755. A build for
// another system keeps its own host and attributes behind these functions.
#pragma once

#include <cstdint>

namespace zb::platform {

// The host byte for "version made by" of the members this system writes.
std::uint8_t archiveHost();

// The external attributes of a member for a file of `mode` (st_mode) whose DOS
// attribute bits are `dosAttributes`.
std::uint32_t archiveAttributes(std::uint32_t mode, std::uint32_t dosAttributes);

// The permission bits (0777 mask: never set-user-ID, set-group-ID or sticky) that a
// member's external attributes give a file restored here, or -1 when the member comes
// from a host whose attributes carry no Unix mode (`host` is its host byte).
int restoredPermissions(std::uint8_t host, std::uint32_t externalAttributes);

// Mode bits of the file types a member can carry.
inline constexpr std::uint32_t kModeTypeMask = 0170000;
inline constexpr std::uint32_t kModeRegular = 0100000;
inline constexpr std::uint32_t kModeDirectory = 0040000;
inline constexpr std::uint32_t kModeSymlink = 0120000;

}  // namespace zb::platform
