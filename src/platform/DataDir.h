// Where the program's read-only files are (the HTML help, the icons). They are looked
// for beside the executable first (a portable copy carries them along), then in
// "../share/zipbackup" from the executable's folder (the build tree is laid out that
// way, and so is an installation moved under another prefix), then in the data folder
// the program was installed with. Settings never live here: see AppDir.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zb::platform {

// The data folder chosen when the program was built for installation.
const char* installedDataFolder();

// The folders searched, in order, each absolute and ending with a separator.
std::vector<std::string> dataFolders(std::string_view executablePath);

// The full path of relativeName (such as "help/index.html") in the first data folder
// that holds it, or an empty string when none does.
std::string findDataFile(std::string_view relativeName, std::string_view executablePath);

}  // namespace zb::platform
