// The settings of split archives: whether and how an archive is cut into parts, and
// how big the parts may be.
#pragma once

#include <cstdint>

namespace zb::zip {

enum TMultiMode {
    mmNone = 0,    // one archive file
    mmSpan = 1,    // parts as big as the free space of their folder; OnGetNextDisk names each
    mmBlocks = 2,  // numbered part files of a fixed size
};

struct TMultiZipInfo {
    std::int64_t BlockSize = 1457600;       // bytes of each part after the first (mmBlocks)
    std::int64_t FirstBlockSize = 1457600;  // bytes of the first part (mmBlocks)
    std::int64_t SaveOnFirstDisk = 0;       // bytes to leave free beside the first part (mmSpan)
    // Leave room for the directory on the first part, and keep a copy of the directory
    // in a ".zfc" file beside the archive, so a set whose last part is lost can still
    // be listed and its other members extracted.
    bool SaveZipInfoOnFirstDisk = false;
    TMultiMode MultiMode = mmNone;
    bool CheckDiskLabels = true;  // no volume labels here: kept for settings only
    bool WriteDiskLabels = true;  // no volume labels here: kept for settings only
    // The most bytes a part may take in mmSpan beside the free space of its folder;
    // 0 leaves the free space alone as the bound.
    std::int64_t MaxSpanPartSize = 0;
};

}  // namespace zb::zip
