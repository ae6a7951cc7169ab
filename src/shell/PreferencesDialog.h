// The Preferences dialog without its widgets: what it shows when opened, the rule that
// enables "Run Minimized", and "Ap&ply". Apply sets or removes the autostart entry
// first and writes the two start-up keys ("Auto Run", "Is Minimized") only when that
// worked; the other preferences are taken into memory in any case (they reach the file
// when the program closes), and a changed log limit resizes the log grid at once.
// "Clo&se" changes nothing: the window simply drops the values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "log/ActivityLog.h"
#include "platform/Ui.h"
#include "store/Preferences.h"

namespace zb::shell {

struct PreferencesDialogValues {
    bool runAtStart = false;    // cbRun "Run  ZIP Backup when windows starts", from the file
    bool runMinimized = false;  // cbMini "Run Minimized", from the file
    bool prompt = false;        // cbprompt
    bool padNumber = false;     // cbWidth
    int numberWidth = 2;        // SpinEdit1, 2..30
    bool overwrite = false;     // rbOverwrite (false: "Skip")
    int logCount = 50;          // LogSpinEdit, 10..200
};

// The dialog's bounds of what the user can enter.
inline constexpr int kMinNumberWidth = 2, kMaxNumberWidth = 30;
inline constexpr int kMinLogCount = 10, kMaxLogCount = 200;

// The values shown when the dialog opens: the start-up keys from the file, the rest
// from memory.
PreferencesDialogValues openPreferencesDialog(const store::Preferences& prefs, const store::PreferencesStore& store);

// cbMini is enabled exactly while cbRun is checked (it is still written when disabled).
inline bool runMinimizedEnabled(const PreferencesDialogValues& v) { return v.runAtStart; }

// Where the autostart entry is changed; the program's own is the desktop's autostart
// folder (platform/Autostart.h). Throws with the system's message when refused.
struct AutostartSwitch {
    virtual ~AutostartSwitch() = default;
    virtual void enable(std::string_view executablePath) = 0;
    virtual void disable() = 0;  // silent when it fails
};
AutostartSwitch& desktopAutostart();

// "Ap&ply". A refused autostart entry shows its error (caption "Error") and leaves the
// start-up keys unwritten; the other preferences are taken anyway. `log` (may be null)
// gets the new limit. Returns false when the autostart entry was refused. A refused
// write of "project.ini" throws platform::IniWriteError after the preferences were
// taken.
bool btnApplyClick(const PreferencesDialogValues& values, store::Preferences& prefs,
                   const store::PreferencesStore& store, std::string_view executablePath, platform::Ui& ui,
                   activitylog::ActivityLog* log, AutostartSwitch& autostart = desktopAutostart());

}  // namespace zb::shell
