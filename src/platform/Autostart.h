// Starting with the desktop session: a desktop-entry file in the user's autostart
// folder ($XDG_CONFIG_HOME/autostart, or ~/.config/autostart) whose Exec line is the
// executable's full path. Present while "Run when the desktop starts" is on.
#pragma once

#include <string>
#include <string_view>

namespace zb::platform {

constexpr const char* kAutostartEntryName = "Varnholt Zadidedo Backup";

// Writes the entry; throws std::runtime_error with the system's message when refused.
void enableAutostart(std::string_view executablePath);
// Removes the entry; a missing entry is no error, and a failure is silent.
void disableAutostart();
bool autostartEnabled();
std::string autostartEntryPath();

}  // namespace zb::platform
