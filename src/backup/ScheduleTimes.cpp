// Computes the table of due times from the stored schedule keys. See ScheduleTimes.h.
#include "backup/ScheduleTimes.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "backup/ScheduleFields.h"
#include "platform/DateFormat.h"
#include "platform/TextCase.h"

namespace zb::backup {
namespace {

platform::DateTime today(const platform::Clock& clock) {
    return std::floor(clock.now());
}

ScheduleEntry dailyOnce(const ScheduleSource& source, const platform::Clock& clock) {
    ScheduleEntry entry{source.ProjectName, 0, 1.0};
    platform::DateTime timeOfDay = platform::encodeTime(12, 0, 0);
    auto parsed = platform::strToTime(platform::trimBlanks(source.StartTime_or_Increase));
    if (parsed && *parsed >= 0 && *parsed < 1) timeOfDay = *parsed;
    entry.NextRun = today(clock) + timeOfDay;
    return entry;
}

ScheduleEntry everyMinutes(const ScheduleSource& source, const platform::Clock& clock) {
    // A period must be at least a minute: a zero period would start the project at
    // every tick and could never be stepped past.
    double interval = platform::encodeTime(1, 0, 0);
    auto minutes = parseWholeNumber(source.StartTime_or_Increase);
    if (minutes && *minutes >= 1 && *minutes < 24 * 60)
        interval = platform::encodeTime(int(*minutes / 60), int(*minutes % 60), 0);
    return ScheduleEntry{source.ProjectName, clock.now() + interval, interval};
}

ScheduleEntry weekly(const ScheduleSource& source, const platform::Clock& clock) {
    const platform::DateTime day0 = today(clock);
    int ahead = 8;
    for (int i = 0; i <= 7; ++i) {
        if (source.StartTime_or_Increase == EnglishDayName(day0 + i)) {
            ahead = i;
            break;
        }
    }
    return ScheduleEntry{source.ProjectName, day0 + ahead + platform::encodeTime(12, 0, 0), 7.0};
}

}  // namespace

const char* EnglishDayName(platform::DateTime date) {
    return kWeekdayNames[platform::dayOfWeek(date) - 1];
}

Schedules ComputeScheduleTimes(const std::vector<ScheduleSource>& projects,
                               const platform::Clock& clock) {
    Schedules table;
    for (const auto& project : projects) {
        switch (project.BackupMode) {
            case store::kModeNone: continue;
            case store::kModeDailyOnce: table.push_back(dailyOnce(project, clock)); break;
            case store::kModeEveryMinutes: table.push_back(everyMinutes(project, clock)); break;
            case store::kModeWeekly: table.push_back(weekly(project, clock)); break;
            default:
                // A mode the program does not know is listed (so it is shown as
                // scheduled) but never started.
                table.push_back(ScheduleEntry{project.ProjectName, kNeverDue, 0});
                break;
        }
    }
    return table;
}

}  // namespace zb::backup
