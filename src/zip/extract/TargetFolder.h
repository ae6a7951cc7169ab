// The folder that receives a member, as TargetResolver reaches it: the open folder,
// the entry's name in it and the folders that lead there from the destination.
#pragma once

#include <memory>
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
    // Shared with the resolver, which keeps the folders it opened for the next members.
    std::shared_ptr<const platform::DirHandle> folder;  // the open folder that receives the entry
    std::string name;                                   // the entry's name in it (empty for a folder entry)
    std::vector<std::string> below;                     // the folders from the destination to `folder`
    std::shared_ptr<const platform::DirHandle> base;    // where `below` starts (the destination)
    std::string error;                                  // what went wrong, for the report
};

}  // namespace zb::zip
