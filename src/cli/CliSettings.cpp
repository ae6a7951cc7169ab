// The settings folder of the command line. See CliSettings.h.
#include "cli/CliSettings.h"

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

}  // namespace zb::cli
