// What the page "Backup " holds of the selected project when a run starts: the project
// as stored, the running number the next archive uses and its step, and the archive
// path computed from them. The window keeps this in its controls; the command line and
// the tests load it from "project.ini" with LoadBackupPage.
#pragma once

#include <string>
#include <string_view>

#include "backup/ArchiveName.h"
#include "platform/DateTime.h"
#include "store/Preferences.h"
#include "store/ProjectRecord.h"
#include "store/ProjectStore.h"

namespace zb::backup {

struct BackupPage {
    std::string projectName;     // the project box text
    store::ProjectRecord record;
    int shownNumber = 1;         // the number the next archive uses (1..1000)
    int increase = 1;            // its step (1..1000)
    std::string archiveName;     // the computed archive path
};

// The suffix choice a stored "Suffix" selects; a value the program does not know
// leaves the page's default, the running number.
ArchiveSuffix suffixOf(const store::ProjectRecord& record);

// Recomputes the archive path from the page and the naming preferences.
void UpdateArchiveName(BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock);

// Loads the named project as selecting it on the page does: with a running-number
// suffix the page shows the stored number plus its step; the archive path is computed
// at this moment (a date suffix carries the time of the load).
BackupPage LoadBackupPage(const store::ProjectStore& projects, std::string_view name,
                          const store::Preferences& prefs, const platform::Clock& clock);

}  // namespace zb::backup
