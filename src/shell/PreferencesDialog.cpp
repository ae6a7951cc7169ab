// The Preferences dialog's rules. See PreferencesDialog.h.
#include "shell/PreferencesDialog.h"

#include <exception>

#include "platform/Autostart.h"

namespace zb::shell {
namespace {

class DesktopAutostart : public AutostartSwitch {
public:
    void enable(std::string_view executablePath) override { platform::enableAutostart(executablePath); }
    void disable() override { platform::disableAutostart(); }
};

void takeValues(const PreferencesDialogValues& v, store::Preferences& prefs, activitylog::ActivityLog* log) {
    prefs.askBeforeBackup = v.prompt;
    prefs.padNumber = v.padNumber;
    prefs.numberWidth = v.numberWidth;
    prefs.overwriteArchive = v.overwrite;
    prefs.logCount = v.logCount;
    if (log) log->setLimit(v.logCount);
}

}  // namespace

AutostartSwitch& desktopAutostart() {
    static DesktopAutostart instance;
    return instance;
}

PreferencesDialogValues openPreferencesDialog(const store::Preferences& prefs, const store::PreferencesStore& store) {
    const store::StartupKeys startup = store.readStartupKeys();
    PreferencesDialogValues v;
    v.runAtStart = startup.autoRun;
    v.runMinimized = startup.isMinimized;
    v.prompt = prefs.askBeforeBackup;
    v.padNumber = prefs.padNumber;
    v.numberWidth = prefs.numberWidth;
    v.overwrite = prefs.overwriteArchive;
    v.logCount = prefs.logCount;
    return v;
}

bool btnApplyClick(const PreferencesDialogValues& values, store::Preferences& prefs,
                   const store::PreferencesStore& store, std::string_view executablePath, platform::Ui& ui,
                   activitylog::ActivityLog* log, AutostartSwitch& autostart) {
    bool entryChanged = true;
    if (values.runAtStart) {
        try {
            autostart.enable(executablePath);
        } catch (const std::exception& e) {
            entryChanged = false;
            ui.messageBox(platform::MessageKind::Error, e.what(), "Error");
        }
    } else {
        autostart.disable();
    }
    // The dialog has closed with OK: its other values count whatever became of the entry.
    takeValues(values, prefs, log);
    if (entryChanged) store.writeStartupKeys({values.runAtStart, values.runMinimized});
    return entryChanged;
}

}  // namespace zb::shell
