// The folder of "project.ini" and "log.txt", by order of precedence: the --app-dir
// option, then the ZIPBACKUP_APP_DIR environment variable, then the executable's
// folder when it already holds a "project.ini" (portable use: the program copied
// together with its settings), else the per-user config folder
// ($XDG_CONFIG_HOME/zipbackup, or ~/.config/zipbackup). The folder is created when
// missing. The result is absolute and ends with a separator. A relative option or
// variable is taken from the current folder.
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

constexpr const char* kAppDirEnvVar = "ZIPBACKUP_APP_DIR";

std::string resolveAppDir(std::string_view optionValue, std::string_view executablePath);
std::string executablePath();  // full path of the running program

}  // namespace zb::platform
