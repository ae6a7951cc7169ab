// The table of due times rebuilt from "project.ini" (RebuildSchedule): run at start,
// after a save, a rename, a delete and the Add Project wizard. It reads each listed
// project's schedule keys, computes the table, says which projects carry the schedule
// mark (in the project box and the tray's "Backup" submenu) and whether the timer
// runs. The window stops its timer, calls this, sets the marks and starts the timer
// again (restarting its 50-second period) only when `timerRuns`; each tick then calls
// ScheduleTick on `entries`.
#pragma once

#include <string_view>
#include <vector>

#include "backup/ScheduleEntry.h"
#include "platform/DateTime.h"
#include "store/ProjectList.h"
#include "store/ProjectStore.h"

namespace zb::backup {

struct ScheduleTable {
    Schedules entries;          // one per scheduled project, in list order
    std::vector<bool> marked;   // one per project of the list, in its order
    bool timerRuns = false;     // at least one project is scheduled
};

// A project is scheduled unless its "BackupMode" (default 3) is 3. A mode the program
// does not know counts as scheduled: it is marked and listed, but never due.
ScheduleTable RebuildSchedule(const store::ProjectStore& projects, const store::ProjectList& list,
                              const platform::Clock& clock);

// Whether one project carries the mark, read from the file (for drawing one item).
bool isScheduled(const store::ProjectStore& projects, std::string_view name);

}  // namespace zb::backup
