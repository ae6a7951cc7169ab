// The name under which a file is kept in an archive, formed from its path and the
// writer's path options. The update pass and the freshen filter form names the same
// way, so a file finds the member it was zipped as before.
#pragma once

#include <string>

namespace zb::zip {

struct StoredNameOptions {
    bool storePaths = false;
    bool relativePaths = false;
    bool storeVolumes = false;  // nothing more to keep on this system: "/" is never stored
    std::string rootDir;        // with a trailing "/", or empty
};

// The stored folder ("" or "a/b/") of `path`; a path ending in "/" is a folder entry,
// whose own folder is the stored folder. Never absolute and never with "." or ".."
// components, so extracting the member cannot write outside the target folder.
std::string storedFolder(const std::string& path, const StoredNameOptions& options);

// The last component of `path` ("" for a folder entry).
std::string fileNamePart(const std::string& path);
std::string folderPart(const std::string& path);  // up to and including the last "/"

// Folder + file name. A folder entry without stored paths keeps its own name ("Sub/"),
// so it is still a folder in the archive.
std::string storedName(const std::string& path, const StoredNameOptions& options);

// An absolute, normalised form of `path` for comparisons of files and folders.
std::string normalisedPath(const std::string& path);

}  // namespace zb::zip
