// The schedule group of a project page (the main window's page "Backup " and the Add
// Project wizard's last step): which of the four radio buttons is checked and what the
// time picker, the minute box and the weekday list hold. Loading takes the two stored
// keys with their fall-backs; saving gives them back in the stored form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace zb::backup {

// The radio buttons, with the "BackupMode" value each one stores.
enum class ScheduleKind { DailyOnce = 0, EveryMinutes = 1, Weekly = 2, None = 3 };

// The weekday list, in its order (index 0 is "Sunday").
inline constexpr const char* kWeekdayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                 "Thursday", "Friday", "Saturday"};

// The minute box's bounds, and where it starts on the main window and in the wizard.
inline constexpr int kMinScheduleMinutes = 2;
inline constexpr int kMaxScheduleMinutes = 1000;
inline constexpr int kPageMinutesStart = 2;
inline constexpr int kWizardMinutesStart = 20;
// What the minute box shows when the stored text is no number.
inline constexpr int kMinutesFallback = 5;

// The stored minutes of an every-N-minutes schedule: a whole decimal number with an
// optional plus sign and nothing else but blanks around it; nullopt for anything else.
std::optional<long long> parseWholeNumber(std::string_view text);

struct ScheduleFields {
    ScheduleKind kind = ScheduleKind::None;          // the checked radio button
    platform::DateTime timeOfDay = 0.5;              // DateTimePicker1 (time of day only), 12:00:00
    int everyMinutes = kPageMinutesStart;            // SpinEditNumber, within the bounds above
    std::optional<int> weekday;                      // cbWeekly's selected index, none at start
};

// Which controls of the group are enabled (radioNoneClick's rule).
struct ScheduleControls {
    bool timePicker = false;  // only for "Daily once at"
    bool minutes = false;     // the minute box and its label "minutes": only for "Daily every"
    bool weekday = false;     // only for "Weekly every on"
};
ScheduleControls scheduleControls(const ScheduleFields& fields);

// A click on one of the four radio buttons: checks it; choosing the weekly button with
// no day selected selects "Sunday".
void chooseScheduleKind(ScheduleFields& fields, ScheduleKind kind);

// The minute box bounds what is set into it.
int boundedScheduleMinutes(long long minutes);

// Loading from the stored "BackupMode" (default 3) and "StartTime_or_Increase"
// (default empty): 0 checks "Daily once at" and sets the picker (12:00:00 when the
// text is no time of day); 1 checks "Daily every" and sets the minute box (5 when the
// text is no whole number); 2 checks "Weekly every on" and selects the day named
// without regard to case (no day when none is); 3 checks "None". Any other mode
// leaves every field as it was.
void loadScheduleFields(ScheduleFields& fields, int backupMode, const std::string& text);

// The two keys a save writes: the mode of the checked button and, for a scheduled
// project, the picker's time in the long time format, the minute count in decimal or
// the selected day's name (empty text when no day is selected). For "None" the text is
// not written, so `text` is left as it is.
void saveScheduleFields(const ScheduleFields& fields, int& backupMode, std::string& text);

}  // namespace zb::backup
