// Where the program keeps "project.ini" and "log.txt": beside the executable only when
// settings are already there (a portable copy), else in the user's configuration
// folder, unless the command line or the environment names a folder. An installed
// program never writes beside itself: as root, /usr/bin is writable, and a writable
// folder alone must not turn it into a settings folder.
#include "platform/AppDir.h"

#include <cstdlib>
#include <filesystem>

#include "platform/Paths.h"

namespace zb::platform {

namespace {

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return excludeTrailingSeparator(xdg);
    return homeFolder() + "/.config";
}

std::string ready(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);  // a failure shows at the first write
    return includeTrailingSeparator(expandFileName(folder));
}

}  // namespace

std::string resolveAppDir(std::string_view optionValue, std::string_view exePath) {
    if (!optionValue.empty()) return ready(std::string(optionValue));
    if (const char* env = std::getenv(kAppDirEnvVar); env && *env) return ready(env);
    if (!exePath.empty()) {
        std::string folder = extractFileDir(expandFileName(exePath));
        std::error_code ec;
        if (!folder.empty() && std::filesystem::is_regular_file(folder + "/project.ini", ec))
            return includeTrailingSeparator(folder);
    }
    return ready(configHome() + "/zipbackup");
}

std::string executablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

}  // namespace zb::platform
