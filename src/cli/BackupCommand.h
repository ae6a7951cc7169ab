// "backup NAME": the backup run the tray menu starts, for the project of that name
// (found without regard to case), logged to "log.txt". A command does not ask first.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliSettings.h"
#include "platform/DateTime.h"
#include "platform/Ui.h"

namespace zb::cli {

int runBackupCommand(const CliSettings& settings, const std::string& project, platform::Ui& ui,
                     const platform::Clock& clock, std::ostream& err);

}  // namespace zb::cli
