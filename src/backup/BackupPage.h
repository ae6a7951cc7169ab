// The page "Backup " as data: what its controls show of the selected project, loaded
// from "project.ini" when a project is chosen and saved back by "Save Project". The
// window copies these fields into its controls and back; the command line and the
// tests use them directly. A backup run (BackupRun.h) starts from this page.
//
// The radio choices here are the effective ones: a stored "Suffix" or "BackupMode"
// the program does not know leaves the previous choice checked, and the archive name,
// the save and the run all use the checked choice, never the raw stored number. The
// running number is held as the page shows it (the number the next archive uses);
// "Value" in the file is that number minus the step.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "backup/ArchiveName.h"
#include "backup/ScheduleFields.h"
#include "platform/DateTime.h"
#include "platform/Ui.h"
#include "store/Preferences.h"
#include "store/ProjectRecord.h"
#include "store/ProjectStore.h"

namespace zb::backup {

struct BackupPage {
    std::string projectName;     // the project box text
    // Prefix, save folder ("Save Path", shown as the folder of the archive name), the
    // two lists, the options and the password fields, as the controls hold them. Its
    // suffix, number and schedule members are the raw values last read; the page uses
    // the fields below instead.
    store::ProjectRecord record;
    ArchiveSuffix suffix = ArchiveSuffix::Number;  // the checked suffix button
    int shownNumber = 1;         // rxSpinvalue: the number the next archive uses (1..1000)
    int increase = 1;            // RxSpinIncrease: its step (1..1000)
    ScheduleFields schedule;     // the group "Schedule"
    std::string archiveName;     // EditFilename: the computed archive path
};

// Recomputes the archive path from the page and the naming preferences.
void UpdateArchiveName(BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock);

// rxSpinvalue, its label and RxSpinIncrease are enabled only for the number suffix.
bool numberFieldsEnabled(const BackupPage& page);
// A click on a suffix button (RadioUseNoneClick): checks it and recomputes the name.
// The number fields keep what they show.
void chooseSuffix(BackupPage& page, ArchiveSuffix suffix, const store::Preferences& prefs,
                  const platform::Clock& clock);
// The user typed into a number field: the value is held within 1..1000 and the name
// recomputed.
void setShownNumber(BackupPage& page, long long number, const store::Preferences& prefs,
                    const platform::Clock& clock);
void setIncrease(BackupPage& page, long long step, const store::Preferences& prefs, const platform::Clock& clock);

// Loads the named project into the page as selecting it does (comboProjectChange). A
// known "Suffix" checks its button; an unknown one leaves the page's choice. Only with
// the number suffix checked are the step and the shown number ("Value" + step) read;
// otherwise the number fields keep what they showed. The schedule group follows
// loadScheduleFields. The archive path is computed at this moment (a date suffix
// carries the time of the load).
void LoadBackupPage(BackupPage& page, const store::ProjectStore& projects, std::string_view name,
                    const store::Preferences& prefs, const platform::Clock& clock);
// The same into a page that shows the program's start values.
BackupPage LoadBackupPage(const store::ProjectStore& projects, std::string_view name,
                          const store::Preferences& prefs, const platform::Clock& clock);

// The record a save writes: the page's fields with the checked choices, "Value" as the
// shown number minus the step, and the schedule keys of the group.
store::ProjectRecord pageRecord(const BackupPage& page);

// "Save Project" (SpSaveClick) without its window steps: runs the field check on the
// page and, when it passes, writes every key into the project's section. Returns the
// check's refusal (nothing written) or nothing. After a save the page's record is what
// was written (a password or comment not stored is emptied on the page too). The window
// then enters the view state and runs RebuildSchedule.
std::optional<std::string> SaveBackupPage(BackupPage& page, const store::ProjectStore& projects);

// "Select directory to save": asks for a folder with the caption "Please select
// directory"; when one is chosen and the project box text is not empty, it becomes the
// save folder and the name is recomputed. True when the folder changed.
bool SpSelectDirectoryClick(BackupPage& page, platform::Ui& ui, const store::Preferences& prefs,
                            const platform::Clock& clock);

}  // namespace zb::backup
