// "log": prints the activity log. See LogCommand.h.
#include "cli/LogCommand.h"

#include <iostream>

#include "cli/ProjectCommands.h"
#include "log/ActivityLog.h"

namespace zb::cli {

int runLogCommand(const CliSettings& settings, std::ostream& out) {
    platform::SystemClock clock;
    activitylog::ActivityLog log(settings.logTxt(), settings.preferences().logCount, clock);
    log.LoadLog();
    for (const auto& e : log.entries()) {
        out << e.date << '\t' << e.operation << '\t' << e.status << '\t' << e.project << '\t' << e.information
            << '\n';
    }
    return kExitOk;
}

void registerLogCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto* cmd = app.add_subcommand("log", "Show the activity log, newest entry first");
    cmd->callback([&global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            return runLogCommand(settings, std::cout);
        });
    });
}

}  // namespace zb::cli
