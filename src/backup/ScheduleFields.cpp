// The schedule group of a project page. See ScheduleFields.h.
#include "backup/ScheduleFields.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/DateFormat.h"
#include "platform/TextCase.h"
#include "store/NameText.h"

namespace zb::backup {

std::optional<long long> parseWholeNumber(std::string_view text) {
    text = platform::trimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

ScheduleControls scheduleControls(const ScheduleFields& fields) {
    ScheduleControls c;
    c.timePicker = fields.kind == ScheduleKind::DailyOnce;
    c.minutes = fields.kind == ScheduleKind::EveryMinutes;
    c.weekday = fields.kind == ScheduleKind::Weekly;
    return c;
}

void chooseScheduleKind(ScheduleFields& fields, ScheduleKind kind) {
    fields.kind = kind;
    if (kind == ScheduleKind::Weekly && !fields.weekday) fields.weekday = 0;
}

int boundedScheduleMinutes(long long minutes) {
    if (minutes < kMinScheduleMinutes) return kMinScheduleMinutes;
    if (minutes > kMaxScheduleMinutes) return kMaxScheduleMinutes;
    return static_cast<int>(minutes);
}

void loadScheduleFields(ScheduleFields& fields, int backupMode, const std::string& text) {
    const std::string trimmed = store::trimText(text);
    switch (backupMode) {
        case static_cast<int>(ScheduleKind::DailyOnce): {
            fields.kind = ScheduleKind::DailyOnce;
            const auto time = platform::strToTime(trimmed);
            // The picker holds a time of day only.
            fields.timeOfDay = time && *time >= 0 && *time < 1 ? *time : platform::encodeTime(12, 0, 0);
            break;
        }
        case static_cast<int>(ScheduleKind::EveryMinutes): {
            fields.kind = ScheduleKind::EveryMinutes;
            const auto minutes = parseWholeNumber(trimmed);
            fields.everyMinutes = boundedScheduleMinutes(minutes ? *minutes : kMinutesFallback);
            break;
        }
        case static_cast<int>(ScheduleKind::Weekly):
            fields.kind = ScheduleKind::Weekly;
            fields.weekday.reset();
            for (int i = 0; i < 7; ++i)
                if (platform::equalsIgnoreCase(trimmed, kWeekdayNames[i])) fields.weekday = i;
            break;
        case static_cast<int>(ScheduleKind::None): fields.kind = ScheduleKind::None; break;
        default: break;  // a mode the program does not know: the buttons stay
    }
}

void saveScheduleFields(const ScheduleFields& fields, int& backupMode, std::string& text) {
    backupMode = static_cast<int>(fields.kind);
    switch (fields.kind) {
        case ScheduleKind::DailyOnce: text = platform::timeToStr(fields.timeOfDay); break;
        case ScheduleKind::EveryMinutes: text = std::to_string(fields.everyMinutes); break;
        case ScheduleKind::Weekly: text = fields.weekday ? kWeekdayNames[*fields.weekday] : ""; break;
        case ScheduleKind::None: break;
    }
}

}  // namespace zb::backup
