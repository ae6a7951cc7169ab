// "add-project": the Add Project wizard on the command line, through the wizard's own
// steps and checks. See AddProjectCommand.h.
#include "cli/AddProjectCommand.h"

#include <filesystem>
#include <ostream>

#include "backup/ScheduleFields.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "shell/AddProjectWizard.h"
#include "store/NameText.h"
#include "store/ProjectStore.h"

namespace zb::cli {
namespace {

// The wizard's file dialogs hand over full paths; a path typed relative to the
// current folder is made full the same way.
std::string fullPath(const std::string& text) {
    const std::string trimmed = store::trimText(text);
    return trimmed.empty() ? trimmed : platform::expandFileName(trimmed);
}

struct Refusal {
    std::string message;
};

// The options a terminal user gives in place of the wizard's step 6.
void fillSchedule(const AddProjectOptions& o, backup::ScheduleFields& schedule) {
    const int given = int(o.dailyAt.has_value()) + int(o.everyMinutes.has_value()) + int(o.weeklyOn.has_value());
    if (given > 1) throw Refusal{"Choose one schedule: --daily-at, --every-minutes or --weekly-on"};
    if (o.dailyAt) {
        auto time = platform::strToTime(store::trimText(*o.dailyAt));
        if (!time || *time < 0 || *time >= 1) throw Refusal{"Not a time of day: " + *o.dailyAt};
        backup::chooseScheduleKind(schedule, backup::ScheduleKind::DailyOnce);
        schedule.timeOfDay = *time;
    } else if (o.everyMinutes) {
        backup::chooseScheduleKind(schedule, backup::ScheduleKind::EveryMinutes);
        schedule.everyMinutes = *o.everyMinutes;
    } else if (o.weeklyOn) {
        for (int day = 0; day < 7; ++day)
            if (platform::equalsIgnoreCase(store::trimText(*o.weeklyOn), backup::kWeekdayNames[day]))
                schedule.weekday = day;
        if (!schedule.weekday) throw Refusal{"Not a day of the week: " + *o.weeklyOn};
        backup::chooseScheduleKind(schedule, backup::ScheduleKind::Weekly);
    }
}

// The wizard's controls as the options set them.
void fillFields(const AddProjectOptions& o, shell::WizardFields& f) {
    for (const auto& line : o.include)
        if (!store::trimText(line).empty()) f.includeLines.push_back(fullPath(line));
    for (const auto& line : o.exclude)
        if (!store::trimText(line).empty()) f.excludeLines.push_back(store::trimText(line));
    f.includeSubfolders = !o.noSubfolders;
    f.prefix = o.prefix.value_or("");
    if (o.suffix == "none")
        f.suffix = backup::ArchiveSuffix::None;
    else if (o.suffix == "date")
        f.suffix = backup::ArchiveSuffix::Date;
    else
        f.suffix = backup::ArchiveSuffix::Number;
    f.number = o.number;
    f.increase = o.increase;
    if (o.saveFolder) {
        const std::string folder = fullPath(*o.saveFolder);
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) throw Refusal{"No such folder: " + *o.saveFolder};
        f.saveFolder = folder;
    }
    f.usePassword = o.password.has_value();
    f.password = o.password.value_or("");
    f.confirmation = o.confirmPassword.value_or(f.password);
    f.storePaths = !o.noPaths;
    f.storeComment = o.comment.has_value();
    f.comment = o.comment.value_or("");
    f.packLevel = o.level;
    fillSchedule(o, f.schedule);
}

}  // namespace

int runAddProjectCommand(const CliSettings& settings, const AddProjectOptions& options, std::ostream& out,
                         std::ostream& err) {
    store::ProjectStore projects(settings.projectIni());
    const auto list = projects.readProjectList();
    const store::Preferences prefs;
    const platform::SystemClock clock;
    shell::AddProjectWizard wizard(list, prefs, clock);
    try {
        wizard.fields.name = options.name;
        // The name first, as the wizard's first page asks for it before anything else.
        if (auto refusal = wizard.checkStep()) throw Refusal{*refusal};
        fillFields(options, wizard.fields);
        std::optional<std::string> refusal;
        while (wizard.next(projects, refusal) == shell::AddProjectWizard::NextResult::Advanced) {}
        if (refusal) throw Refusal{*refusal};
    } catch (const Refusal& r) {
        err << "Error: " << r.message << '\n';
        return kExitBadRequest;
    }
    out << "Project '" << store::trimText(options.name) << "' added to " << settings.projectIni().string() << '\n';
    return kExitOk;
}

}  // namespace zb::cli
