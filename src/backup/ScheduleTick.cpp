// The schedule timer's tick. See ScheduleTick.h.
#include "backup/ScheduleTick.h"

#include <cmath>

#include "backup/ScheduleTimes.h"

namespace zb::backup {
namespace {

// Puts the prompt preference back however the run ends.
class PromptSuppressed {
public:
    explicit PromptSuppressed(ScheduleHost& host) : host_(host), saved_(host.askBeforeBackup()) {
        host_.setAskBeforeBackup(false);
    }
    ~PromptSuppressed() { host_.setAskBeforeBackup(saved_); }
    PromptSuppressed(const PromptSuppressed&) = delete;
    PromptSuppressed& operator=(const PromptSuppressed&) = delete;

private:
    ScheduleHost& host_;
    bool saved_;
};

void stepPast(ScheduleEntry& entry, platform::DateTime now) {
    if (!(entry.Interval > 0)) {
        entry.NextRun = kNeverDue;
        return;
    }
    const double missed = std::floor((now - entry.NextRun) / entry.Interval);
    if (missed > 0) entry.NextRun += missed * entry.Interval;
    while (entry.NextRun <= now) entry.NextRun += entry.Interval;
}

}  // namespace

int ScheduleTick(Schedules& table, const platform::Clock& clock, ScheduleHost& host) {
    if (host.isEditing() || host.isBusy()) return 0;
    int started = 0;
    for (auto& entry : table) {
        const platform::DateTime now = clock.now();
        if (!(now > entry.NextRun)) continue;
        stepPast(entry, now);
        if (!host.selectProject(entry.ProjectName)) continue;
        bool ok;
        {
            PromptSuppressed quiet(host);
            ++started;
            ok = host.startBackup();
        }
        if (!ok) break;
    }
    return started;
}

}  // namespace zb::backup
