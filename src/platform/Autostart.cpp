// The entry that starts the program with the desktop session, the stand-in of the
// "Run" value of the program's Windows origin.
#include "platform/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

namespace zb::platform {

namespace {

std::string autostartFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base = (xdg && *xdg == '/') ? excludeTrailingSeparator(xdg) : homeFolder() + "/.config";
    return base + "/autostart";
}

// The program's path as one Exec argument: quoted when it holds a reserved character,
// then escaped as a desktop-entry string value.
std::string execValue(std::string_view path) {
    static const std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string arg;
    if (path.find_first_of(reserved) == std::string_view::npos) {
        arg = path;
    } else {
        arg = "\"";
        for (char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
            arg += c;
        }
        arg += '"';
    }
    std::string value;
    for (char c : arg) {
        if (c == '\\') value += "\\\\";
        else if (c == '\n') value += "\\n";
        else if (c == '%') value += "%%";
        else value += c;
    }
    return value;
}

}  // namespace

std::string autostartEntryPath() { return autostartFolder() + "/varnholt-zadidedo-backup.desktop"; }

void enableAutostart(std::string_view exePath) {
    const std::string entry = autostartEntryPath();
    std::error_code ec;
    std::filesystem::create_directories(autostartFolder(), ec);
    if (ec) throw std::runtime_error(autostartFolder() + ": " + ec.message());
    std::string content = "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=" + std::string(kAutostartEntryName) + "\n"
                          "Exec=" + execValue(exePath) + "\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n";
    if (!replaceFileAtomically(entry, content, 0644))
        throw std::runtime_error(entry + ": " + std::strerror(errno));
}

void disableAutostart() {
    ::unlink(autostartEntryPath().c_str());  // a missing entry is no error
}

bool autostartEnabled() {
    struct stat st {};
    return ::stat(autostartEntryPath().c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace zb::platform
