// The folder that receives a member, reached from the destination one component at a
// time without following links (a link among them, also one an earlier member made,
// could lead anywhere), and created where missing. The destination itself, and a path
// that an OnStartUnZip handler moved out of it, are followed as the caller named them.
#pragma once

#include <string>
#include <vector>

#include "platform/DirHandle.h"

namespace zb::zip {

enum class TargetOutcome {
    Ready,        // folder open, name set
    ThroughLink,  // a component is a link, or the path climbs with ".."
    Blocked,      // a component is a file, or a folder could not be made or opened
};

struct TargetFolder {
    platform::DirHandle folder;      // the open folder that receives the entry
    std::string name;                // the entry's name in it (empty for a folder entry)
    std::vector<std::string> below;  // the folders from the destination to `folder`
    platform::DirHandle base;        // where `below` starts (the destination)
    std::string error;               // what went wrong, for the report
};

// Resolves `target` (a file's path, or a folder's path when `isFolder`) against the
// destination `destDir`, whose open folder is `dest`.
TargetOutcome resolveTarget(const platform::DirHandle& dest, const std::string& destDir, const std::string& target,
                            bool isFolder, bool create, TargetFolder& out);

}  // namespace zb::zip
