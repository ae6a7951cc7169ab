// The defence against archives whose members share their bytes. A well-formed archive
// gives every member its own stretch of the file: its local header, then its data. A
// crafted one can point many central records into one stretch of compressed data, so
// that a few kilobytes extract to gigabytes (the overlapping-member zip bomb); damage
// to an offset or a size gives the same picture. Extraction looks for such members
// before it writes anything and refuses the archive, as careful readers do.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "zip/TSortedZip.h"

namespace zb::zip {

struct MemberOverlap {
    const TZipHeaderInfo* first;   // the member whose stretch is entered
    const TZipHeaderInfo* second;  // the member whose local header lies inside it
};

// Looks at the members in archive order (part, then offset). Each member takes at
// least its 30-byte local header, its name and its compressed data; another member
// whose local header starts inside that stretch (on the same part) overlaps it. Only
// members for which `hasLocalHeader` is true take part: a record that points at no
// local header is skipped by the extractor anyway and can unpack nothing.
std::optional<MemberOverlap> findOverlappingMembers(const TSortedZip& archiveOrder,
                                                    const std::function<bool(const TZipHeaderInfo&)>& hasLocalHeader);

// The text the refusal carries: both names and what it means.
std::string overlapMessage(const MemberOverlap& overlap);

}  // namespace zb::zip
