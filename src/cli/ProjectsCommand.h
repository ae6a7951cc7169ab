// "projects": the projects of "project.ini", one a line, with their schedules.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliSettings.h"
#include "store/ProjectRecord.h"

namespace zb::cli {

// "none", "daily at 09:00:00", "every 90 minutes", "weekly on Monday at 12:00:00".
std::string ScheduleDescription(const store::ProjectRecord& record);

// Prints name, schedule and next archive path, separated by tabs.
int runProjectsCommand(const CliSettings& settings, std::ostream& out, std::ostream& err);

}  // namespace zb::cli
