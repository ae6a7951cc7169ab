// "log": prints the activity log. See LogCommand.h.
#include "cli/LogCommand.h"

#include <ostream>

#include "log/ActivityLog.h"

namespace zb::cli {

int runLogCommand(const CliSettings& settings, std::ostream& out) {
    platform::SystemClock clock;
    activitylog::ActivityLog log(settings.logTxt(), settings.preferences().logCount, clock);
    log.LoadLog();
    for (const auto& e : log.entries()) {
        out << e.date << '\t' << e.operation << '\t' << e.status << '\t' << e.project << '\t' << e.information << '\n';
    }
    return kExitOk;
}

}  // namespace zb::cli
