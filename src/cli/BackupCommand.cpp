// "backup": backs up one project. See BackupCommand.h.
#include "cli/BackupCommand.h"

#include <iostream>

#include "backup/BackupRun.h"
#include "cli/ProjectCommands.h"
#include "cli/ProjectLookup.h"
#include "cli/TerminalUi.h"
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

void registerBackupCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto project = std::make_shared<std::string>();
    auto quiet = std::make_shared<bool>(false);
    auto* cmd = app.add_subcommand("backup", "Back up a project now");
    cmd->add_option("name", *project, "Project name")->required();
    cmd->add_flag("-q,--quiet", *quiet, "Print errors only");
    cmd->callback([project, quiet, &global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            auto ui = TerminalUi::forProcess(*quiet);
            platform::SystemClock clock;
            return runBackupCommand(settings, *project, ui, clock, std::cerr);
        });
    });
}

}  // namespace zb::cli
