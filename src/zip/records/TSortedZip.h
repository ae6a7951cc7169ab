// The sorted list of members and its sort modes. The reader keeps its members in
// archive order (ByNone) and shows sorted views of the same objects; the writer keeps a
// by-name index. Names are told apart exactly (two names that differ only in letter
// case are two members) but ordered without regard to case.
#pragma once

#include "zip/TZipHeaderInfo.h"
#include "zip/records/ObjectList.h"

namespace zb::zip {

enum TZipSortMode {
    ByName = 0,
    ByFileName = 1,
    ByDirectoryName = 2,
    ByDate = 3,
    ByCompressedSize = 4,
    ByUnCompressedSize = 5,
    ByRate = 6,
    ByNone = 7,
};

class TSortedZip : public TSortedObjectList<TZipHeaderInfo> {
public:
    TSortedZip(TZipSortMode mode, TDuplicates duplicates, bool ownsObjects = true)
        : TSortedObjectList<TZipHeaderInfo>(duplicates, ownsObjects), mode_(mode) {}

    TZipSortMode sortMode() const { return mode_; }
    int compare(const TZipHeaderInfo& a, const TZipHeaderInfo& b) const override;

private:
    TZipSortMode mode_;
};

// Compares without regard to the case of A-Z; texts that differ only in case are then
// ordered by their bytes, so that only identical texts compare equal.
int compareNames(std::string_view a, std::string_view b);

// round(100 x compressed / uncompressed), 0 for an empty member, at most 100.
int compressionRate(const TZipHeaderInfo& h);

}  // namespace zb::zip
