// Finding members that share their bytes.
#include "zip/reader/MemberOverlap.h"

#include <limits>

#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

}  // namespace

std::uint64_t memberStretchEnd(const TZipHeaderInfo& h) {
    return saturatingAdd(saturatingAdd(h.relativeOffset, kLocalHeaderSize + std::uint64_t(h.fileNameLength)),
                         h.compressedSize);
}

std::optional<MemberOverlap> findOverlappingMembers(const TSortedZip& archiveOrder,
                                                    const std::function<bool(const TZipHeaderInfo&)>& takesPart) {
    const TZipHeaderInfo* widest = nullptr;  // the member reaching furthest on this part so far
    std::uint64_t reach = 0;
    for (const TZipHeaderInfo* h : archiveOrder) {
        if (!takesPart(*h)) continue;
        const std::uint64_t end = memberStretchEnd(*h);
        if (widest && widest->diskNumberStart != h->diskNumberStart) widest = nullptr;
        if (widest && h->relativeOffset < reach) return MemberOverlap{widest, h};
        if (!widest || end > reach) {
            widest = h;
            reach = end;
        }
    }
    return std::nullopt;
}

std::string overlapMessage(const MemberOverlap& overlap) {
    return "Invalid zip file with overlapping members (possible zip bomb): \"" + overlap.second->storedName() +
           "\" lies inside \"" + overlap.first->storedName() + "\"";
}

}  // namespace zb::zip
