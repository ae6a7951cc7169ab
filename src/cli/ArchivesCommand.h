// "archives NAME": the archives in a project's save folder with size and date, sorted
// by the stored sort preference, as the page "Restore" lists them.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/CliSettings.h"

namespace zb::cli {

int runArchivesCommand(const CliSettings& settings, const std::string& project, std::ostream& out, std::ostream& err);

}  // namespace zb::cli
