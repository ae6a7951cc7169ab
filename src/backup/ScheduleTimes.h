// The first due time and the period of each scheduled project, computed from the two
// stored schedule keys of the project ("BackupMode" and "StartTime_or_Increase") and
// the current time: daily at a set time, every N minutes, or weekly on a day at noon.
#pragma once

#include <string>
#include <vector>

#include "backup/ScheduleEntry.h"
#include "platform/DateTime.h"
#include "store/ProjectRecord.h"

namespace zb::backup {

// A project's schedule keys as read from "project.ini" (mode default 3, text default
// empty).
struct ScheduleSource {
    std::string ProjectName;
    int BackupMode = store::kModeNone;
    std::string StartTime_or_Increase;
};

// A value later than any date the program will meet: the due time of an entry whose
// "BackupMode" names no schedule kind.
constexpr platform::DateTime kNeverDue = 1.0e9;

// Every project whose mode is not "None" gets one entry, in the order given:
// - daily once: today at the stored time (12:00:00 when it is no valid time), every day;
// - every N minutes: the stored number as hours and minutes (one hour when it is not a
//   number, not below one minute, or a whole day or more), first due one period from now;
// - weekly: the next day, today included, whose English name equals the stored text
//   exactly (eight days ahead when none does), at 12:00:00, every seven days;
// - any other mode: listed, but never due.
// Times already passed today are not skipped: such a project is due at the next tick.
Schedules ComputeScheduleTimes(const std::vector<ScheduleSource>& projects,
                               const platform::Clock& clock);

// The English weekday name of a date (Sunday ... Saturday).
const char* EnglishDayName(platform::DateTime date);

}  // namespace zb::backup
