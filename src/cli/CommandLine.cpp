// The subcommands and their options, all in one place so the option parser is compiled
// once. Each callback hands its options to the command's run function. See CommandLine.h.
#include "cli/CommandLine.h"

#include <iostream>
#include <memory>

#include "cli/AddProjectCommand.h"
#include "cli/ArchiveCommands.h"
#include "cli/ArchivesCommand.h"
#include "cli/BackupCommand.h"
#include "cli/Commands.h"
#include "cli/LogCommand.h"
#include "cli/ProjectsCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/TerminalUi.h"
#include "platform/Version.h"

namespace zb::cli {
namespace {

void addProjectsCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto* cmd = app.add_subcommand("projects", "List the backup projects with their schedules");
    cmd->callback([&global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            return runProjectsCommand(settings, std::cout, std::cerr);
        });
    });
}

void addBackupCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
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

void addRestoreCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto options = std::make_shared<RestoreOptions>();
    auto quiet = std::make_shared<bool>(false);
    auto* cmd = app.add_subcommand("restore", "Restore every file of an archive into a folder");
    cmd->add_option("archive", options->archive, "The archive")->required();
    cmd->add_option("destination", options->destination, "The folder to restore into")->required();
    auto* always = cmd->add_flag("-o", options->overwriteAlways, "Overwrite existing files");
    auto* never = cmd->add_flag("-n", options->overwriteNever, "Never overwrite existing files");
    auto* mode = cmd->add_option("--overwrite", options->overwrite, "When a file exists")
                     ->check(CLI::IsMember({"always", "never", "prompt", "newer", "older"}));
    always->excludes(never)->excludes(mode);
    never->excludes(mode);
    cmd->add_flag("-j", options->junkPaths, "Do not recreate the stored folders");
    cmd->add_option("-P", options->password, "Password of encrypted members");
    cmd->add_option("--project", options->project, "Project named in the log entry");
    cmd->add_flag("-q,--quiet", *quiet, "Print errors only");
    cmd->callback([options, quiet, &global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            auto ui = TerminalUi::forProcess(*quiet);
            return runRestoreCommand(settings, *options, ui, std::cerr);
        });
    });
}

void addLogCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto* cmd = app.add_subcommand("log", "Show the activity log, newest entry first");
    cmd->callback([&global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) { return runLogCommand(settings, std::cout); });
    });
}

void addAddProjectCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto options = std::make_shared<AddProjectOptions>();
    auto* cmd = app.add_subcommand("add-project", "Create a backup project, as the Add Project wizard does");
    cmd->add_option("name", options->name, "Project name")->required();
    cmd->add_option("-i,--include", options->include, "A file, or a folder with a wildcard, to back up")
        ->take_all();
    cmd->add_flag("--no-subfolders", options->noSubfolders, "Do not look into subfolders");
    cmd->add_option("-x,--exclude", options->exclude, "A file or wildcard to leave out")->take_all();
    cmd->add_option("--prefix", options->prefix, "Archive name prefix (default: the project name)");
    cmd->add_option("--suffix", options->suffix, "Archive name suffix")
        ->check(CLI::IsMember({"none", "date", "number"}));
    cmd->add_option("--number", options->number, "Running number of the first archive")
        ->check(CLI::Range(1, 1000));
    cmd->add_option("--increase", options->increase, "Step of the running number")->check(CLI::Range(1, 1000));
    cmd->add_option("--save-folder", options->saveFolder, "Folder that receives the archives");
    cmd->add_option("--password", options->password, "Protect the archives with this password");
    cmd->add_option("--confirm-password", options->confirmPassword, "The password again");
    cmd->add_flag("--no-paths", options->noPaths, "Do not save full path information");
    cmd->add_option("--comment", options->comment, "Archive comment");
    cmd->add_option("--level", options->level, "Compression level, 0 (none) to 9 (max)")->check(CLI::Range(0, 9));
    cmd->add_option("--daily-at", options->dailyAt, "Back up daily at this time");
    cmd->add_option("--every-minutes", options->everyMinutes, "Back up every N minutes")
        ->check(CLI::Range(2, 1000));
    cmd->add_option("--weekly-on", options->weeklyOn, "Back up weekly on this day at noon");
    cmd->callback([options, &global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            return runAddProjectCommand(settings, *options, std::cout, std::cerr);
        });
    });
}

void addArchivesCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto project = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("archives", "List the archives in a project's save folder");
    cmd->add_option("name", *project, "Project name")->required();
    cmd->callback([project, &global, &exitCode] {
        exitCode = runProjectCommand(global, [&](const CliSettings& settings) {
            return runArchivesCommand(settings, *project, std::cout, std::cerr);
        });
    });
}

}  // namespace

int runCommandLine(int argc, char** argv) {
    CLI::App app{platform::programTitle() + " - command line", "zipbackup-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("zipbackup-cli ") + platform::programVersion(),
                         "Print the version and exit");
    GlobalOptions global;
    app.add_option("--app-dir", global.appDir, "Folder of project.ini and log.txt");
    ExitCode exitCode = 0;

    addProjectsCommand(app, global, exitCode);
    addBackupCommand(app, global, exitCode);
    addRestoreCommand(app, global, exitCode);
    addLogCommand(app, global, exitCode);
    addAddProjectCommand(app, global, exitCode);
    addArchivesCommand(app, global, exitCode);
    registerListCommand(app, global, exitCode);
    registerTestCommand(app, global, exitCode);
    registerUnzipCommand(app, global, exitCode);
    registerZipCommand(app, global, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return exitCode;
}

}  // namespace zb::cli
