// One tick of the schedule timer: starts every project of the table whose due time has
// passed, without asking first, and moves its due time past the present.
#pragma once

#include "backup/ScheduleEntry.h"
#include "backup/ScheduleHost.h"
#include "platform/DateTime.h"

namespace zb::backup {

// The period of the timer that calls ScheduleTick.
constexpr int kScheduleTickMilliseconds = 50000;

// Does nothing while a project is edited or a run is going. Otherwise, for each entry in
// order whose NextRun lies strictly before now: NextRun moves forward by whole
// intervals until it lies after now (a project that missed several periods, say while
// the computer slept, runs once, not once per missed period), then the project is
// selected and backed up with the prompt switched off; the prompt preference is put
// back afterwards, whatever the outcome. A project no longer in the list is passed
// over. A run that ends with an error ends this pass; the later entries are looked at
// on the next tick. Returns the number of backups started.
int ScheduleTick(Schedules& table, const platform::Clock& clock, ScheduleHost& host);

}  // namespace zb::backup
