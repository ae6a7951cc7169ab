// Lays a finished one-file archive onto the parts of a split set: members in archive
// order, each local header with its data copied byte for byte in pieces of at most
// 16 KiB, a new part opened whenever the room left on the current one is used up. A
// local header, a central header or the end record that does not fit in the room left
// starts on the next part (a record bigger than a whole part is cut where the part
// ends). The central headers are those of the one-file archive with their part number
// and offset made to say where each local header now stands; the end record names the
// last part, the part where the directory starts and the entries on the last part.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zip/MultiZipInfo.h"
#include "zip/io/TStream.h"

namespace zb::zip {

struct SplitSetResult {
    std::vector<std::string> parts;  // the part files, in order
    std::string directory;           // central headers and end record as written
    bool zipInfoSaved = false;       // the ".zfc" file was written
};

class SplitSetWriter {
public:
    // `archiveName` names the set (the numbered parts and the ".zfc" file are named
    // after it).
    SplitSetWriter(const TMultiZipInfo& info, std::string archiveName);

    // mmSpan: the file name of part `number` (from 1); an empty name gives up
    // (EUserCanceled "User canceled Zip operation").
    std::function<std::string(int number)> NextPartName;
    // mmSpan: called with the part number once its file name is known.
    std::function<void(int number)> PrepareNextPart;
    // mmSpan: the free bytes in a folder (platform free space when unset).
    std::function<std::uint64_t(const std::string& folder)> FreeSpace;
    // Bytes copied so far, after each piece (progress, cancel tests).
    std::function<void(std::size_t bytes)> Copied;
    // A message for the user (the ".zfc" file could not be made); the set stays valid.
    std::function<void(const std::string& text)> Message;
    // Whether the stored names carry folders (sizes the room kept for the directory on
    // the first part with SaveZipInfoOnFirstDisk).
    bool StorePaths = false;
    bool FlushOnClose = false;

    // Writes the set from `single`, a complete archive starting at offset 0. On any
    // exception every part written so far is deleted.
    SplitSetResult write(TStream& single);

private:
    struct Impl;
    TMultiZipInfo info_;
    std::string archiveName_;
};

}  // namespace zb::zip
