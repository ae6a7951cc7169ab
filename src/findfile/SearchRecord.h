// The record the finder hands to its found event for each match: the entry's name,
// last-write time in DOS form, size, attribute bits, and the entry as the file system
// listed it (with its creation, last-access and last-write times).
#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace zb::findfile {

struct TSearchRec {
    std::uint32_t Time = 0;   // last-write time, DOS form, local time
    std::uint64_t Size = 0;   // 64 bits: files of 4 GiB and more are common
    std::uint32_t Attr = 0;   // platform::FileAttribute bits
    std::string Name;         // without folder
    platform::FileEntry FindData;

    static TSearchRec fromEntry(const platform::FileEntry& entry) {
        TSearchRec rec;
        rec.Time = entry.dosTime;
        rec.Size = entry.size;
        rec.Attr = entry.attributes;
        rec.Name = entry.name;
        rec.FindData = entry;
        return rec;
    }
};

}  // namespace zb::findfile
