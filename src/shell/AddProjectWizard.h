// The Add Project wizard without its widgets: six steps (name, files to include,
// files to exclude, destination and archive name, options, schedule), each step's
// check with its message, the window and button captions, the archive-name preview,
// the rules that enable controls, and Finish, which writes the project and its place
// in the project list. The Qt dialog binds its controls to `fields` and calls the
// click functions; the command line's "add-project" fills `fields` and runs the steps.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backup/ArchiveName.h"
#include "backup/ScheduleFields.h"
#include "platform/DateTime.h"
#include "platform/Ui.h"
#include "store/Preferences.h"
#include "store/ProjectList.h"
#include "store/ProjectRecord.h"
#include "store/ProjectStore.h"

namespace zb::shell {

// The texts of the step checks, as the user has always seen them (all shown in an
// error box with the caption "Error").
inline constexpr const char* kWizardErrorCaption = "Error";

// What the wizard's controls hold; the defaults are those of a freshly opened wizard.
struct WizardFields {
    std::string name;                        // step 1: comboproject
    std::vector<std::string> includeLines;   // step 2: ListboxBackup
    bool includeSubfolders = true;           // RadioYes / RadioNo
    std::vector<std::string> excludeLines;   // step 3: ListBoxNobackup
    std::string prefix;                      // step 4: EditPrefix
    backup::ArchiveSuffix suffix = backup::ArchiveSuffix::Number;
    int number = 1;                          // rxSpinvalue, 1..1000
    int increase = 1;                        // RxSpinIncrease, 1..1000
    std::string saveFolder;                  // SaveFolder; the user's home folder at start
    bool usePassword = false;                // step 5: CheckBoxPassword
    std::string password;                    // EditPassword
    std::string confirmation;                // EditConfirmPassword
    bool storePaths = true;                  // CheckBoxpath
    bool storeComment = false;               // CheckBoxcomment
    std::string comment;                     // Editcomment
    int packLevel = 6;                       // TrackBar1, 0..9
    backup::ScheduleFields schedule{backup::ScheduleKind::None, 0.5, backup::kWizardMinutesStart, std::nullopt};
};

class AddProjectWizard {
public:
    static constexpr int kStepCount = 6;

    // `projects` is the main window's project box (a new name must not be in it);
    // `prefs` gives the number padding of the preview. Both must outlive the wizard.
    AddProjectWizard(const store::ProjectList& projects, const store::Preferences& prefs,
                     const platform::Clock& clock);

    WizardFields fields;

    int step() const { return step_; }            // 1..6
    std::string caption() const;                  // "Add project wizard - Step N of 6"
    std::string nextCaption() const;              // "Next", or "Finish" on the last step
    bool backEnabled() const { return step_ > 1; }

    // The current step's check: its message, or nothing when the step may be left
    // forward. Step 1 refuses an empty name and a name already listed (without regard
    // to case); step 2 an empty include list; step 4 an empty prefix; step 5 a password
    // that differs from its confirmation (both trimmed, letter case counts).
    std::optional<std::string> checkStep() const;

    enum class NextResult { Stayed, Advanced, Finished };
    // "Next" / "Finish": on a refusal shows the error box and stays. Leaving step 1
    // copies the name into the prefix while the prefix is empty. On the last step
    // writes the project (finish) and returns Finished; the window then closes with OK
    // and reloads its settings. A refused write throws platform::IniWriteError.
    NextResult btnNextClick(platform::Ui& ui, const store::ProjectStore& store);
    // The same without a user: a refusal is returned in `refusal` instead of shown.
    NextResult next(const store::ProjectStore& store, std::optional<std::string>& refusal);
    // "Back": one step back; nothing entered is lost.
    void btnBackClick();

    // Writes the project as the last step's Finish does: the project's keys in their
    // order into the section of the trimmed name, then "Last Project", "Project Count"
    // and the list keys of "Common".
    void finish(const store::ProjectStore& store) const;
    // The record Finish writes ("Value" is the shown number minus the step).
    store::ProjectRecord record() const;

    // The archive-name preview (EditFilename), recomputed on every read.
    std::string archiveName() const;

    // Control dependencies.
    bool numberFieldsEnabled() const { return fields.suffix == backup::ArchiveSuffix::Number; }
    bool passwordFieldsEnabled() const { return fields.usePassword; }  // both labels and edits
    bool commentEnabled() const { return fields.storeComment; }
    backup::ScheduleControls scheduleControls() const { return backup::scheduleControls(fields.schedule); }
    // LabelYesOrNo on step 3.
    std::string subfolderLabel() const;
    // A schedule radio button (radioNoneClick): weekly with no day selects "Sunday".
    void chooseScheduleKind(backup::ScheduleKind kind) { backup::chooseScheduleKind(fields.schedule, kind); }
    // "Select directory to save": the chosen folder is taken only when the trimmed name
    // is not empty. True when the folder changed.
    bool SpSelectDirectoryClick(platform::Ui& ui);

private:
    const store::ProjectList& projects_;
    const store::Preferences& prefs_;
    const platform::Clock& clock_;
    int step_ = 1;
};

}  // namespace zb::shell
