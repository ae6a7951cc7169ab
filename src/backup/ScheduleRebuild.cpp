// Rebuilding the table of due times from the file. See ScheduleRebuild.h.
#include "backup/ScheduleRebuild.h"

#include "backup/ScheduleTimes.h"
#include "platform/IniFile.h"
#include "store/NameText.h"
#include "store/ProjectKeys.h"

namespace zb::backup {

ScheduleTable RebuildSchedule(const store::ProjectStore& projects, const store::ProjectList& list,
                              const platform::Clock& clock) {
    const platform::IniFile ini(projects.path());
    ScheduleTable table;
    std::vector<ScheduleSource> sources;
    for (const std::string& name : list.names()) {
        ScheduleSource source;
        source.ProjectName = name;
        source.BackupMode = ini.readInteger(name, store::keys::kBackupMode, store::kModeNone);
        source.StartTime_or_Increase = ini.readString(name, store::keys::kScheduleText, "");
        const bool scheduled = source.BackupMode != store::kModeNone;
        table.marked.push_back(scheduled);
        if (scheduled) sources.push_back(std::move(source));
    }
    table.timerRuns = !sources.empty();
    table.entries = ComputeScheduleTimes(sources, clock);
    return table;
}

bool isScheduled(const store::ProjectStore& projects, std::string_view name) {
    const platform::IniFile ini(projects.path());
    return ini.readInteger(store::trimText(name), store::keys::kBackupMode, store::kModeNone) != store::kModeNone;
}

}  // namespace zb::backup
