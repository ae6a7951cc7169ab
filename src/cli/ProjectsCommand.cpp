// "projects": lists the projects with their schedules. See ProjectsCommand.h.
#include "cli/ProjectsCommand.h"

#include <ostream>

#include "backup/BackupPage.h"
#include "platform/DateTime.h"
#include "store/ProjectStore.h"

namespace zb::cli {

std::string ScheduleDescription(const store::ProjectRecord& record) {
    switch (record.backupMode) {
        case store::kModeNone: return "none";
        case store::kModeDailyOnce: return "daily at " + record.scheduleText;
        case store::kModeEveryMinutes: return "every " + record.scheduleText + " minutes";
        case store::kModeWeekly: return "weekly on " + record.scheduleText + " at 12:00:00";
    }
    return "unknown schedule (BackupMode " + std::to_string(record.backupMode) + ")";
}

int runProjectsCommand(const CliSettings& settings, std::ostream& out, std::ostream& err) {
    store::ProjectStore projects(settings.projectIni());
    const auto list = projects.readProjectList();
    if (list.empty()) {
        err << "No projects in " << settings.projectIni().string() << '\n';
        return kExitOk;
    }
    const auto prefs = settings.preferences();
    platform::SystemClock clock;
    for (const auto& name : list.names()) {
        const auto page = backup::LoadBackupPage(projects, name, prefs, clock);
        out << name << '\t' << ScheduleDescription(page.record) << '\t' << page.archiveName << '\n';
    }
    return kExitOk;
}

}  // namespace zb::cli
