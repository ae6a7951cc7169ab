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

#include "zip/records/TSortedZip.h"

namespace zb::zip {

struct MemberOverlap {
    const TZipHeaderInfo* first;   // the member whose stretch is entered
    const TZipHeaderInfo* second;  // the member whose local header lies inside it
};

// The least a member occupies from its local header on: the 30 fixed bytes, the name
// its central record gives, and its compressed data.
std::uint64_t memberStretchEnd(const TZipHeaderInfo& h);

// Looks at the members in archive order (part, then offset). A member whose local
// header starts inside the stretch of an earlier member on the same part overlaps it.
// Only members for which `takesPart` is true are looked at: the extractor skips a
// record that points at no local header, and a member whose stretch runs past the end
// of its part ends the run with "Premature end of file reached"; neither unpacks
// anything, so neither is a bomb.
std::optional<MemberOverlap> findOverlappingMembers(const TSortedZip& archiveOrder,
                                                    const std::function<bool(const TZipHeaderInfo&)>& takesPart);

// The text the refusal carries: both names and what it means.
std::string overlapMessage(const MemberOverlap& overlap);

}  // namespace zb::zip
