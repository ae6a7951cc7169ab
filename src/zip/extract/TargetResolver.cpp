// Resolving a member's target folder. See TargetResolver.h.
#include "zip/extract/TargetResolver.h"

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
        if (end > start && !(end - start == 1 && path[start] == '.')) parts.emplace_back(path, start, end - start);
        start = end + 1;
    }
    return parts;
}

}  // namespace

TargetResolver::TargetResolver(platform::DirHandle dest, std::string destDir)
    : dest_(std::make_shared<const platform::DirHandle>(std::move(dest))),
      prefix_(destDir.empty() ? std::string() : destDir == "/" ? destDir : destDir + "/") {
    open_.push_back(dest_);
}

TargetOutcome TargetResolver::resolve(const std::string& target, bool isFolder, bool create, TargetFolder& out) {
    const bool inside = prefix_.empty() ? (target.empty() || target.front() != '/')
                                        : target.compare(0, prefix_.size(), prefix_) == 0;
    std::string below;
    if (inside) {
        below = target.substr(prefix_.size());
        out.base = dest_;
    } else {
        // The caller's handler chose another place: its folder is taken as named.
        // Folder entries never reach a handler, so only files come here.
        std::string path = target;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        below = path.substr(slash == std::string::npos ? 0 : slash + 1);
        out.base = std::make_shared<const platform::DirHandle>(platform::DirHandle::open(folder));
        if (!out.base->valid()) {
            out.error = std::string("cannot open folder ") + folder + ": " + std::strerror(errno);
            return TargetOutcome::Blocked;
        }
    }
    if (!out.base->valid()) {
        out.error = "cannot open the destination";
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
        out.name = std::move(parts.back());
        parts.pop_back();
    }
    return walk(parts, create, inside, out);
}

TargetOutcome TargetResolver::walk(const std::vector<std::string>& parts, bool create, bool keep, TargetFolder& out) {
    out.below.clear();
    std::size_t shared = 0;
    if (keep) {
        while (shared < parts.size() && shared < openNames_.size() && parts[shared] == openNames_[shared]) ++shared;
        out.below.assign(parts.begin(), parts.begin() + std::ptrdiff_t(shared));
    }
    std::shared_ptr<const platform::DirHandle> current = keep ? open_[shared] : out.base;
    if (keep) {
        openNames_.resize(shared);
        open_.resize(shared + 1);
    }
    for (std::size_t i = shared; i < parts.size(); ++i) {
        const std::string& p = parts[i];
        platform::ChildFolder outcome;
        platform::DirHandle next = current->child(p, create, outcome);
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
        current = std::make_shared<const platform::DirHandle>(std::move(next));
        if (keep) {
            openNames_.push_back(p);
            open_.push_back(current);
        }
    }
    out.folder = std::move(current);
    return TargetOutcome::Ready;
}

}  // namespace zb::zip
