// Expansion of the writer's include lines into the files to zip. An include line is a
// folder entry ("docs/", zipped as a folder member), a pattern entry (a folder and a
// mask, optionally led by "|" = this folder only or ">" = with subfolders), or a plain
// file path. The result is one path per file, with excluded files, the archive itself
// and missing files left out, and the sum of the sizes that remain.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zip/PathSkipReason.h"
#include "zip/ZipAction.h"

namespace zb::zip {

enum class SpecKind { Folder, Pattern, Plain };

SpecKind classifySpec(const std::string& entry);

// Whether any entry of `list` takes `path`: an entry with a "/" is matched against the
// whole path, any other against the file name only; letters A-Z match either case.
bool matchesSpecList(const std::vector<std::string>& list, const std::string& path);

struct FileSpecExpansion {
    // Inputs, as the writer holds them.
    std::vector<std::string> excludeList;
    bool recurse = false;
    std::string rootDir;  // with a trailing "/", or empty
    std::string zipName;  // never packed into itself
    bool skipIfArchiveBitNotSet = false;
    TZipAction zipAction = zaUpdate;
    bool addDirEntriesOnRecurse = false;
    bool storeLinks = false;  // links are kept as links: never followed, never the archive

    // With zaFreshen: whether a file's stored name is a member of the archive.
    std::function<bool(const std::string& path)> isMember;
    // Called for each path the walk returns; processes pending messages and throws
    // when the user asked to cancel.
    std::function<void()> processMessages;
    std::function<void(const std::string&)> onNoSuchFile;
    std::function<void(const std::string&)> onRecursingFile;
    std::function<void(TPathSkipReason, const std::string&)> onPathSkipped;

    // Replaces `filesList` by the expanded list; returns the total bytes of its files.
    std::uint64_t expand(std::vector<std::string>& filesList) const;
};

}  // namespace zb::zip
