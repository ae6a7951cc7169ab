// "log": the entries of the activity log, newest first.
#pragma once

#include <iosfwd>

#include "cli/CliSettings.h"

namespace zb::cli {

// Prints date, operation, status, project and information, separated by tabs.
int runLogCommand(const CliSettings& settings, std::ostream& out);

}  // namespace zb::cli
