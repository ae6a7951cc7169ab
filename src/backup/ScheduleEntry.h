// One line of the table of due times: which project, when it is next due and how far
// its due time moves each time it is started. The table holds one line per scheduled
// project, in the order of the project list, and lives only in memory.
#pragma once

#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace zb::backup {

struct ScheduleEntry {
    std::string ProjectName;
    // Due as soon as the current time is strictly later than this.
    platform::DateTime NextRun = 0;
    // In days (a fraction of a day allowed); 0 for an entry that never becomes due.
    double Interval = 0;
};

using Schedules = std::vector<ScheduleEntry>;

}  // namespace zb::backup
