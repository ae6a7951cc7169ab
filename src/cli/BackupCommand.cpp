// "backup": backs up one project. See BackupCommand.h.
#include "cli/BackupCommand.h"

#include <ostream>

#include "backup/BackupRun.h"
#include "cli/ProjectLookup.h"
#include "log/ActivityLog.h"
#include "store/ProjectStore.h"

namespace zb::cli {

int runBackupCommand(const CliSettings& settings, const std::string& project, platform::Ui& ui,
                     const platform::Clock& clock, std::ostream& err) {
    store::ProjectStore projects(settings.projectIni());
    const auto name = findProject(projects, project, err);
    if (!name) return kExitBadRequest;
    auto prefs = settings.preferences();
    prefs.askBeforeBackup = false;
    activitylog::ActivityLog log(settings.logTxt(), prefs.logCount, clock);
    log.LoadLog();
    auto page = backup::LoadBackupPage(projects, *name, prefs, clock);
    backup::BackupServices services{ui, clock, projects, log};
    const auto result = backup::SpStartClick(page, prefs, services);
    return result.ok() ? kExitOk : kExitFailed;
}

}  // namespace zb::cli
