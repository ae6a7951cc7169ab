// Reaches the folder that receives a member from the destination one component at a
// time without following links (a link among them, also one an earlier member made,
// could lead anywhere), creating what is missing. The destination itself, and a path
// that an OnStartUnZip handler moved out of it, are followed as the caller named them.
//
// Members of one folder usually follow each other, so the folders of the last path
// stay open and the next path starts from the deepest one it shares: a tree of many
// small files costs no folder lookups per file. A folder kept open cannot have turned
// into a link since: extraction never replaces a folder (neither a file nor a link is
// renamed over one), and a handle names the folder itself, not its path.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/DirHandle.h"
#include "zip/extract/TargetFolder.h"

namespace zb::zip {

class TargetResolver {
public:
    // `dest` is the open destination folder named `destDir`.
    TargetResolver(platform::DirHandle dest, std::string destDir);

    // Resolves `target` (a file's path, or a folder's path when `isFolder`).
    TargetOutcome resolve(const std::string& target, bool isFolder, bool create, TargetFolder& out);

private:
    // Opens `parts` below `out.base`; with `keep` (below the destination) from the kept
    // folders where they agree, and keeps the new ones.
    TargetOutcome walk(const std::vector<std::string>& parts, bool create, bool keep, TargetFolder& out);

    std::shared_ptr<const platform::DirHandle> dest_;
    std::string prefix_;
    // The folders of the last path below the destination: open_[k] is reached by the
    // first k names of openNames_ (open_[0] is the destination).
    std::vector<std::string> openNames_;
    std::vector<std::shared_ptr<const platform::DirHandle>> open_;
};

}  // namespace zb::zip
