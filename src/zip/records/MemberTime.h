// The instant a member stands for. A member that carries the extended timestamp has
// its modification time in UTC seconds, exact and the same in every time zone; only
// a member without it falls back to its DOS date and time, read as local time. The
// restored file's time and the ifNewer / ifOlder decisions both use this, so a file
// packed in one zone, or before a change to summer time, is judged by its instant.
#pragma once

#include <optional>

#include "platform/DateTime.h"
#include "zip/TZipHeaderInfo.h"

namespace zb::zip {

// The time to give the restored file.
platform::FileTime memberFileTime(const TZipHeaderInfo& header);

// Below 0 when the member is older than a file last written at `existing`, 0 when
// they are the same (to the member's precision), above 0 when it is newer; nullopt
// when the member's date cannot be read.
std::optional<int> compareMemberTime(const TZipHeaderInfo& header, platform::FileTime existing);

}  // namespace zb::zip
