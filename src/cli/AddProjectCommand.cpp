// "add-project": the Add Project wizard on the command line. See AddProjectCommand.h.
#include "cli/AddProjectCommand.h"

#include <filesystem>
#include <iostream>

#include "cli/ProjectCommands.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "store/NameText.h"
#include "store/ProjectStore.h"

namespace zb::cli {
namespace {

constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// The wizard's file dialogs hand over full paths; a path typed relative to the
// current folder is made full the same way.
std::string fullPath(const std::string& text) {
    const std::string trimmed = store::trimText(text);
    return trimmed.empty() ? trimmed : platform::expandFileName(trimmed);
}

struct Refusal {
    std::string message;
};

void fillSchedule(const AddProjectOptions& o, store::ProjectRecord& r) {
    const int given = int(o.dailyAt.has_value()) + int(o.everyMinutes.has_value()) + int(o.weeklyOn.has_value());
    if (given > 1) throw Refusal{"Choose one schedule: --daily-at, --every-minutes or --weekly-on"};
    r.backupMode = store::kModeNone;
    if (o.dailyAt) {
        auto time = platform::strToTime(store::trimText(*o.dailyAt));
        if (!time || *time < 0 || *time >= 1) throw Refusal{"Not a time of day: " + *o.dailyAt};
        r.backupMode = store::kModeDailyOnce;
        r.scheduleText = platform::timeToStr(*time);
    } else if (o.everyMinutes) {
        r.backupMode = store::kModeEveryMinutes;
        r.scheduleText = std::to_string(*o.everyMinutes);
    } else if (o.weeklyOn) {
        for (const char* day : kWeekdays) {
            if (platform::equalsIgnoreCase(store::trimText(*o.weeklyOn), day)) {
                r.backupMode = store::kModeWeekly;
                r.scheduleText = day;
            }
        }
        if (r.backupMode != store::kModeWeekly) throw Refusal{"Not a day of the week: " + *o.weeklyOn};
    }
}

store::ProjectRecord recordFrom(const AddProjectOptions& o) {
    store::ProjectRecord r = store::newProjectRecord();
    for (const auto& line : o.include)
        if (!store::trimText(line).empty()) r.includeLines.push_back(fullPath(line));
    for (const auto& line : o.exclude)
        if (!store::trimText(line).empty()) r.excludeLines.push_back(store::trimText(line));
    r.includeSubfolders = !o.noSubfolders;
    // The prefix starts as the project name when nothing was typed into it.
    r.filenamePrefix = o.prefix && !store::trimText(*o.prefix).empty() ? *o.prefix : o.name;
    if (o.suffix == "none") r.suffix = store::kSuffixNone;
    else if (o.suffix == "date") r.suffix = store::kSuffixDate;
    else r.suffix = store::kSuffixNumber;
    r.increaseValue = o.increase;
    // The stored number is the last one used: the first archive gets it plus the step.
    r.value = o.number - o.increase;
    if (o.saveFolder) {
        const std::string folder = fullPath(*o.saveFolder);
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) throw Refusal{"No such folder: " + *o.saveFolder};
        r.savePath = folder;
    }
    r.usePassword = o.password.has_value();
    r.password = o.password.value_or("");
    r.passwordConfirmation = o.confirmPassword.value_or(r.password);
    r.storePaths = !o.noPaths;
    r.storeComment = o.comment.has_value();
    r.comment = o.comment.value_or("");
    r.packLevel = o.level;
    fillSchedule(o, r);
    return r;
}

// The wizard's checks, in the order of its pages.
std::optional<std::string> pageCheck(const store::ProjectRecord& r) {
    if (r.includeLines.empty()) return "Please select files to backup";
    if (store::trimText(r.filenamePrefix).empty()) return "Please enter the prefix of backup filename";
    if (r.usePassword && store::trimText(r.password) != store::trimText(r.passwordConfirmation))
        return "Confirm password is not matching";
    return std::nullopt;
}

}  // namespace

int runAddProjectCommand(const CliSettings& settings, const AddProjectOptions& options, std::ostream& out,
                         std::ostream& err) {
    store::ProjectStore projects(settings.projectIni());
    auto list = projects.readProjectList();
    try {
        if (auto refusal = store::checkNewProjectName(options.name, list)) throw Refusal{*refusal};
        store::ProjectRecord record = recordFrom(options);
        if (auto refusal = pageCheck(record)) throw Refusal{*refusal};
        projects.createProject(options.name, record, list);
    } catch (const Refusal& r) {
        err << "Error: " << r.message << '\n';
        return kExitBadRequest;
    }
    out << "Project '" << store::trimText(options.name) << "' added to " << settings.projectIni().string() << '\n';
    return kExitOk;
}

void registerAddProjectCommand(CLI::App& app, const GlobalOptions& global, ExitCode& exitCode) {
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
        try {
            exitCode = runAddProjectCommand(resolveSettings(global), *options, std::cout, std::cerr);
        } catch (const std::exception& e) {
            std::cerr << "Error: " << e.what() << '\n';
            exitCode = kExitFailed;
        }
    });
}

}  // namespace zb::cli
