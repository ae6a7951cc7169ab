// zipbackup-cli: the program's jobs from a terminal. It parses the command line and
// hands over to the command that was named; each command reports its own errors on
// stderr and sets the exit code.
#include "cli/ArchiveCommands.h"
#include "cli/Commands.h"
#include "cli/ProjectCommands.h"
#include "platform/Version.h"

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{zb::platform::programTitle() + " - command line", "zipbackup-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("zipbackup-cli ") + zb::platform::programVersion(),
                         "Print the version and exit");
    zb::cli::GlobalOptions global;
    app.add_option("--app-dir", global.appDir, "Folder of project.ini and log.txt");
    int exitCode = 0;

    // Subcommands register here, one line each.
    zb::cli::registerProjectsCommand(app, global, exitCode);
    zb::cli::registerBackupCommand(app, global, exitCode);
    zb::cli::registerRestoreCommand(app, global, exitCode);
    zb::cli::registerLogCommand(app, global, exitCode);
    zb::cli::registerAddProjectCommand(app, global, exitCode);
    zb::cli::registerArchivesCommand(app, global, exitCode);
    zb::cli::registerListCommand(app, global, exitCode);
    zb::cli::registerTestCommand(app, global, exitCode);
    zb::cli::registerUnzipCommand(app, global, exitCode);
    zb::cli::registerZipCommand(app, global, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return exitCode;
}
