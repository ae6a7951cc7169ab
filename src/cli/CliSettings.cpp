// The settings folder of the command line. See CliSettings.h.
#include "cli/CliSettings.h"

#include <exception>
#include <iostream>

#include "platform/AppDir.h"

namespace zb::cli {

store::Preferences CliSettings::preferences() const {
    store::Preferences prefs;
    store::PreferencesStore(projectIni()).load(prefs);
    return prefs;
}

CliSettings resolveSettings(const GlobalOptions& global) {
    CliSettings settings;
    settings.appDir = platform::resolveAppDir(global.appDir, platform::executablePath());
    return settings;
}

int runProjectCommand(const GlobalOptions& global, const std::function<int(const CliSettings&)>& command) {
    try {
        return command(resolveSettings(global));
    } catch (const std::exception& e) {
        std::cerr << "Error: " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace zb::cli
