// The commands that work with the backup projects of "project.ini" and the activity
// log: each register function adds one subcommand to the command line.
#pragma once

#include "cli/Commands.h"

namespace zb::cli {

void registerProjectsCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);
void registerBackupCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);
void registerRestoreCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);
void registerLogCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);
void registerAddProjectCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);
void registerArchivesCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode);

}  // namespace zb::cli
