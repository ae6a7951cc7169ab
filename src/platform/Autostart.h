// Starting with the desktop session: a desktop-entry file in the user's autostart
// folder ($XDG_CONFIG_HOME/autostart, or ~/.config/autostart) whose Exec line is the
// executable's full path. Present while "Run when the desktop starts" is on. The
// file is "varnholt-zadidedo-backup.desktop" (desktop-entry file names hold no
// blanks); its Name is kAutostartEntryName. The path is quoted in Exec only where the
// desktop-entry rules need it (blanks and other reserved characters).
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

constexpr const char* kAutostartEntryName = "Varnholt Zadidedo Backup";

// Writes the entry (atomically); throws std::runtime_error with the system's message
// and the entry's path when refused.
void enableAutostart(std::string_view executablePath);
// Removes the entry; a missing entry is no error, and a failure is silent.
void disableAutostart();
bool autostartEnabled();
std::string autostartEntryPath();

}  // namespace zb::platform
