// Looks up the program's help and icons so that the same executable finds them in the
// build tree, in a portable copy and once installed, without a setting of its own.
#include "platform/DataDir.h"

#include <algorithm>
#include <filesystem>

#include "platform/Paths.h"

#ifndef ZB_INSTALL_DATADIR
#define ZB_INSTALL_DATADIR "/usr/local/share/zipbackup"
#endif

namespace zb::platform {

const char* installedDataFolder() { return ZB_INSTALL_DATADIR; }

std::vector<std::string> dataFolders(std::string_view exePath) {
    std::vector<std::string> folders;
    auto add = [&](const std::string& folder) {
        std::string full = includeTrailingSeparator(expandFileName(folder));
        if (std::find(folders.begin(), folders.end(), full) == folders.end()) folders.push_back(full);
    };
    if (!exePath.empty()) {
        const std::string exeDir = extractFileDir(expandFileName(exePath));
        add(exeDir);
        add(exeDir + "/../share/zipbackup");
    }
    add(installedDataFolder());
    return folders;
}

std::string findDataFile(std::string_view relativeName, std::string_view exePath) {
    for (const auto& folder : dataFolders(exePath)) {
        std::string candidate = folder + std::string(relativeName);
        std::error_code ec;
        if (std::filesystem::exists(candidate, ec)) return candidate;
    }
    return {};
}

}  // namespace zb::platform
