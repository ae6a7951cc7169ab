// Forming stored member names from file paths.
#include "zip/records/StoredName.h"

#include <filesystem>

namespace zb::zip {

namespace fs = std::filesystem;

std::string fileNamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string normalisedPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) p = fs::path(path);
    return p.lexically_normal().string();
}

namespace {

// Drops what must never reach a member name: leading "/", "." and ".." components.
std::string safeFolder(const std::string& folder) {
    std::string result;
    std::size_t pos = 0;
    while (pos < folder.size()) {
        std::size_t slash = folder.find('/', pos);
        if (slash == std::string::npos) slash = folder.size();
        const std::string part = folder.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            // A ".." that climbs above the stored root has nothing to refer to.
            if (!result.empty()) {
                result.pop_back();
                const auto prev = result.rfind('/');
                result.erase(prev == std::string::npos ? 0 : prev + 1);
            }
            continue;
        }
        result += part;
        result += '/';
    }
    return result;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string storedFolder(const std::string& path, const StoredNameOptions& options) {
    if (!options.storePaths) return {};
    std::string folder = folderPart(path);
    if (folder.empty()) folder = "./";
    if (options.relativePaths && !options.rootDir.empty()) {
        std::string absFolder = normalisedPath(folder);
        if (absFolder.empty() || absFolder.back() != '/') absFolder += '/';
        std::string absRoot = normalisedPath(options.rootDir);
        if (absRoot.empty() || absRoot.back() != '/') absRoot += '/';
        if (startsWith(absFolder, absRoot)) return safeFolder(absFolder.substr(absRoot.size()));
    }
    return safeFolder(folder);
}

std::string storedName(const std::string& path, const StoredNameOptions& options) {
    const std::string name = fileNamePart(path);
    if (name.empty() && !options.storePaths) {
        // A folder entry without paths: its own last component.
        const std::string clean = safeFolder(path);
        if (clean.empty()) return {};
        const auto prev = clean.rfind('/', clean.size() - 2);
        return prev == std::string::npos ? clean : clean.substr(prev + 1);
    }
    return storedFolder(path, options) + name;
}

}  // namespace zb::zip
