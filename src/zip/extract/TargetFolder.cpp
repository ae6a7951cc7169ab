// Resolving a member's target folder. See TargetFolder.h.
#include "zip/extract/TargetFolder.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace zb::zip {

namespace {

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (!part.empty() && part != ".") parts.push_back(std::move(part));
    }
    return parts;
}

}  // namespace

TargetOutcome resolveTarget(const platform::DirHandle& dest, const std::string& destDir, const std::string& target,
                            bool isFolder, bool create, TargetFolder& out) {
    std::string prefix = destDir.empty() ? std::string() : destDir == "/" ? destDir : destDir + "/";
    std::string below;
    if (prefix.empty() ? (target.empty() || target.front() != '/') : target.compare(0, prefix.size(), prefix) == 0) {
        below = target.substr(prefix.size());
        out.base = dest.duplicate();
    } else {
        // The caller's handler chose another place: its folder is taken as named.
        std::string path = target;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        below = path.substr(slash == std::string::npos ? 0 : slash + 1);
        // Folder entries never reach a handler, so only files come here.
        out.base = platform::DirHandle::open(folder);
        if (!out.base.valid()) {
            out.error = std::string("cannot open folder ") + folder + ": " + std::strerror(errno);
            return TargetOutcome::Blocked;
        }
    }
    if (!out.base.valid()) {
        out.error = std::string("cannot open the destination: ") + std::strerror(errno);
        return TargetOutcome::Blocked;
    }
    std::vector<std::string> parts = components(below);
    for (const std::string& p : parts) {
        if (p == "..") {
            out.error = "path climbs out with \"..\"";
            return TargetOutcome::ThroughLink;
        }
    }
    if (!isFolder) {
        if (parts.empty()) {
            out.error = "no file name";
            return TargetOutcome::Blocked;
        }
        out.name = parts.back();
        parts.pop_back();
    }
    out.below.clear();
    platform::DirHandle current = out.base.duplicate();
    for (const std::string& p : parts) {
        platform::ChildFolder outcome;
        platform::DirHandle next = current.child(p, create, outcome);
        if (outcome == platform::ChildFolder::IsLink) {
            out.error = "folder \"" + p + "\" is a link";
            return TargetOutcome::ThroughLink;
        }
        if (outcome != platform::ChildFolder::Opened) {
            out.error = outcome == platform::ChildFolder::NotAFolder ? "\"" + p + "\" is not a folder"
                                                                     : "folder \"" + p + "\": " + std::strerror(errno);
            return TargetOutcome::Blocked;
        }
        out.below.push_back(p);
        current = std::move(next);
    }
    out.folder = std::move(current);
    return TargetOutcome::Ready;
}

}  // namespace zb::zip
