// Resolving a link's text inside the destination. See LinkTarget.h.
#include "zip/extract/LinkTarget.h"

#include <deque>

namespace zb::zip {

namespace {

// Links followed while resolving one text; more means a loop.
constexpr int kMaxLinks = 40;

// Splits a link text; false when a ".." follows a name.
bool splitText(const std::string& text, std::deque<std::string>& parts) {
    bool sawName = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (sawName) return false;
        } else {
            sawName = true;
        }
        parts.push_back(std::move(part));
    }
    return true;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string path;
    for (const std::string& p : parts) path += (path.empty() ? "" : "/") + p;
    return path;
}

}  // namespace

bool linkStaysInside(const platform::DirHandle& dest, const std::vector<std::string>& linkFolder,
                     const std::string& text) {
    if (text.empty() || text.front() == '/' || text.find('\0') != std::string::npos) return false;
    std::deque<std::string> pending;
    if (!splitText(text, pending)) return false;
    std::vector<std::string> resolved = linkFolder;
    int linksFollowed = 0;
    while (!pending.empty()) {
        std::string part = std::move(pending.front());
        pending.pop_front();
        if (part == "..") {
            if (resolved.empty()) return false;
            resolved.pop_back();
            continue;
        }
        resolved.push_back(part);
        // Every earlier part is a real folder (or missing), so this path names the
        // entry itself and nothing through a link.
        const std::string path = joined(resolved);
        auto info = dest.entry(path);
        if (!info || info->kind != platform::NodeKind::Link) continue;
        if (++linksFollowed > kMaxLinks) return false;
        auto inner = dest.readLink(path);
        if (!inner || inner->empty() || inner->front() == '/') return false;
        std::deque<std::string> innerParts;
        if (!splitText(*inner, innerParts)) return false;
        resolved.pop_back();
        pending.insert(pending.begin(), innerParts.begin(), innerParts.end());
    }
    return true;
}

}  // namespace zb::zip
