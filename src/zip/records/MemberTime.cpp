// The instant of a member, from its extended timestamp or its DOS time.
#include "zip/records/MemberTime.h"

#include "zip/records/DosDateTime.h"

namespace zb::zip {

platform::FileTime memberFileTime(const TZipHeaderInfo& header) {
    if (header.modTimeUtc) return platform::FileTime{*header.modTimeUtc, 0};
    return platform::dosToFileTime(header.dosDateTime);
}

std::optional<int> compareMemberTime(const TZipHeaderInfo& header, platform::FileTime existing) {
    if (header.modTimeUtc) {
        // Whole seconds: the fraction of the file's time is finer than the member's.
        const std::int64_t member = *header.modTimeUtc;
        return member < existing.seconds ? -1 : member > existing.seconds ? 1 : 0;
    }
    const auto member = dosDateTimeToDateTime(header.dosDateTime);
    if (!member) return std::nullopt;
    const double there = platform::fileTimeToLocalDateTime(existing);
    return *member < there ? -1 : *member > there ? 1 : 0;
}

}  // namespace zb::zip
