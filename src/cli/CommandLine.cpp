// The subcommands and their options, all in one place so the option parser is compiled
// once. Each callback hands its options to the command's run function. See CommandLine.h.
#include "cli/CommandLine.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/AddProjectCommand.h"
#include "cli/ArchiveCommands.h"
#include "cli/ArchivesCommand.h"
#include "cli/BackupCommand.h"
#include "cli/CliSettings.h"
#include "cli/LogCommand.h"
#include "cli/ProgressBar.h"
#include "cli/ProjectsCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/TerminalUi.h"
#include "platform/Version.h"

namespace zb::cli {
namespace {

// Each add function adds one subcommand whose callback sets the exit code.
using ExitCode = int;

void addProjectsCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto* cmd = app.add_subcommand("projects", "List the backup projects with their schedules");
    cmd->callback([&global, &exitCode] {
        exitCode = runProjectCommand(
            global, [&](const CliSettings& settings) { return runProjectsCommand(settings, std::cout, std::cerr); });
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
        exitCode =
            runProjectCommand(global, [&](const CliSettings& settings) { return runLogCommand(settings, std::cout); });
    });
}

void addAddProjectCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
    auto options = std::make_shared<AddProjectOptions>();
    auto* cmd = app.add_subcommand("add-project", "Create a backup project, as the Add Project wizard does");
    cmd->add_option("name", options->name, "Project name")->required();
    cmd->add_option("-i,--include", options->include, "A file, or a folder with a wildcard, to back up")->take_all();
    cmd->add_flag("--no-subfolders", options->noSubfolders, "Do not look into subfolders");
    cmd->add_option("-x,--exclude", options->exclude, "A file or wildcard to leave out")->take_all();
    cmd->add_option("--prefix", options->prefix, "Archive name prefix (default: the project name)");
    cmd->add_option("--suffix", options->suffix, "Archive name suffix")
        ->check(CLI::IsMember({"none", "date", "number"}));
    cmd->add_option("--number", options->number, "Running number of the first archive")->check(CLI::Range(1, 1000));
    cmd->add_option("--increase", options->increase, "Step of the running number")->check(CLI::Range(1, 1000));
    cmd->add_option("--save-folder", options->saveFolder, "Folder that receives the archives");
    cmd->add_option("--password", options->password, "Protect the archives with this password");
    cmd->add_option("--confirm-password", options->confirmPassword, "The password again");
    cmd->add_flag("--no-paths", options->noPaths, "Do not save full path information");
    cmd->add_option("--comment", options->comment, "Archive comment");
    cmd->add_option("--level", options->level, "Compression level, 0 (none) to 9 (max)")->check(CLI::Range(0, 9));
    cmd->add_option("--daily-at", options->dailyAt, "Back up daily at this time");
    cmd->add_option("--every-minutes", options->everyMinutes, "Back up every N minutes")->check(CLI::Range(2, 1000));
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

// An option whose absence is not an empty text: the value is kept only when given.
CLI::Option* addOptionalText(CLI::App* cmd, const std::string& name, std::optional<std::string>& value,
                             const std::string& description) {
    return cmd->add_option_function<std::string>(
        name, [&value](const std::string& text) { value = text; }, description);
}

// The callback of an archive command: its options handed to its run function on the
// process's streams. With `terminal`, questions and passwords may be asked when
// standard input is a terminal, and a progress bar shows on standard error.
template <class Options>
void runArchiveCommand(CLI::App* cmd, std::shared_ptr<Options> options, int (*run)(const Options&, ArchiveIo&),
                       bool terminal, ExitCode& exitCode) {
    cmd->callback([options, run, terminal, &exitCode] {
        if (!terminal) {
            ArchiveIo io{std::cin, std::cout, std::cerr};
            exitCode = run(*options, io);
            return;
        }
        ProgressBar bar = ProgressBar::forStderr();
        ArchiveIo io{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, &bar};
        exitCode = run(*options, io);
    });
}

void addListCommand(CLI::App& app, ExitCode& exitCode) {
    auto options = std::make_shared<ListOptions>();
    auto* cmd = app.add_subcommand("list", "List the members of an archive");
    cmd->add_option("archive", options->archive, "The ZIP archive")->required();
    cmd->add_option("members", options->members, "Only the members matching these patterns");
    cmd->add_flag("--rebuild", options->rebuild, "Read a damaged archive from its local headers");
    runArchiveCommand(cmd, options, &runListCommand, false, exitCode);
}

void addTestCommand(CLI::App& app, ExitCode& exitCode) {
    auto options = std::make_shared<TestOptions>();
    auto* cmd = app.add_subcommand("test", "Decode every member and check its CRC, writing nothing");
    cmd->add_option("archive", options->archive, "The ZIP archive")->required();
    cmd->add_option("members", options->members, "Only the members matching these patterns");
    addOptionalText(cmd, "-P,--password", options->password, "Password of encrypted members");
    cmd->add_flag("--rebuild", options->rebuild, "Read a damaged archive from its local headers");
    cmd->add_flag("-q,--quiet", options->quiet, "Report only failures");
    runArchiveCommand(cmd, options, &runTestCommand, true, exitCode);
}

void addUnzipCommand(CLI::App& app, ExitCode& exitCode) {
    auto options = std::make_shared<UnzipOptions>();
    auto* cmd = app.add_subcommand("unzip", "Extract the members of an archive");
    cmd->add_option("archive", options->archive, "The ZIP archive")->required();
    cmd->add_option("members", options->members, "Only the members matching these patterns");
    cmd->add_option("-d,--dest", options->destDir, "Folder to extract into (default: the current folder)");
    cmd->add_flag("-o", options->overwriteAlways, "Replace existing files without asking");
    cmd->add_flag("-n", options->overwriteNever, "Never replace existing files");
    cmd->add_option("--overwrite", options->overwrite, "prompt, always, never, newer or older (default prompt)");
    cmd->add_flag("-j,--junk-paths", options->junkPaths, "Do not recreate the members' folders");
    cmd->add_option("--threads", options->threads, "Members decoded at once (default: 1)")
        ->check(CLI::PositiveNumber);
    addOptionalText(cmd, "-P,--password", options->password, "Password of encrypted members");
    cmd->add_flag("--rebuild", options->rebuild, "Read a damaged archive from its local headers");
    cmd->add_flag("-q,--quiet", options->quiet, "Report only failures");
    runArchiveCommand(cmd, options, &runUnzipCommand, true, exitCode);
}

void addZipCommand(CLI::App& app, ExitCode& exitCode) {
    auto options = std::make_shared<ZipOptions>();
    auto* cmd = app.add_subcommand("zip", "Pack files into a ZIP archive (new, or update an existing one)");
    cmd->add_option("archive", options->archive, "The archive to write")->required();
    cmd->add_option("specs", options->specs,
                    "Files, folders, or folder/mask (\"docs/*.txt\"; a leading | = this folder only, > = with "
                    "subfolders)");
    cmd->add_flag("-r,--recurse", options->recurse, "Search subfolders; a folder is packed with all it holds");
    cmd->add_flag("-D,--no-dir-entries", options->noDirEntries, "With -r: no entries for the folders themselves");
    cmd->add_flag("-p,--store-paths", options->storePaths, "Keep the folders of each file in its stored name");
    cmd->add_flag("-y,--symlinks", options->storeLinks,
                  "Store links as links (their text), links to folders and dangling ones too; none followed");
    cmd->add_option("--root", options->root, "Store paths relative to this folder; relative SPECs start there");
    for (int level = 0; level <= 9; ++level) {
        auto* flag = cmd->add_flag_callback(
            "-" + std::to_string(level), [options, level] { options->level = level; },
            "Level: -0 stores only, -1 fastest ... -9 smallest");
        if (level != 0) flag->group("");  // one line of help for the ten of them
    }
    cmd->add_option("--level", options->level, "Compression level 0 (store) to 9 (default 6)");
    addOptionalText(cmd, "-P,--password", options->password, "Encrypt with this password");
    cmd->add_flag("-e,--encrypt", options->promptPassword, "Encrypt; ask for the password on the terminal");
    cmd->add_option("-x,--exclude", options->exclude, "Leave out files that match (repeatable)")
        ->allow_extra_args(false);
    cmd->add_option("-n,--no-compress", options->noCompress, "Store files whose name matches (repeatable)")
        ->allow_extra_args(false);
    addOptionalText(cmd, "--comment", options->comment, "Archive comment");
    cmd->add_flag("-u,--update", options->update, "Replace members by newer files, add new ones (the default)");
    cmd->add_flag("-f,--freshen", options->freshen, "Only replace members by newer files, add nothing new");
    cmd->add_flag("--replace", options->replace, "Replace members whatever the files' dates, add new ones");
    cmd->add_flag("-q,--quiet", options->quiet, "No file list; only warnings and errors");
    cmd->add_option("--threads", options->threads, "Files packed at once (default: one per core)")
        ->check(CLI::PositiveNumber);
    runArchiveCommand(cmd, options, &runZipCommand, true, exitCode);
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
    addListCommand(app, exitCode);
    addTestCommand(app, exitCode);
    addUnzipCommand(app, exitCode);
    addZipCommand(app, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return exitCode;
}

}  // namespace zb::cli
