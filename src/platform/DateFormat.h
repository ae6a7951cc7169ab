// Formatting and parsing of date-time values: the format-text language the program's
// texts are written in (letter groups such as yyyy, mm, dd, hh, nn, ss are fields, text
// in double or single quotes is copied) and the short-date / long-time settings taken
// from the locale. Text written with the settings parses back to the same value.
//
// Fields (letters without regard to case): d dd (day), ddd dddd (day name), ddddd
// (short date), m mm (month, or minute right after an hour field), mmm mmmm (month
// name), yy yyyy (year), h hh (hour), n nn (minute), s ss (second), z zzz
// (millisecond), t (short time), tt (long time), c (short date and long time, the time
// left out at midnight), am/pm a/p (the marker as written, in its case) and ampm (the
// settings' marker), which make the hours 12-hour ones; "/" and ":" are the date and
// time separators of the settings; text in double or single quotes is copied, and any
// other character stands for itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace zb::platform {

struct FormatSettings {
    std::string shortDateFormat = "dd/mm/yyyy";
    std::string longTimeFormat = "hh:nn:ss";
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string shortTimeFormat = "hh:nn";
    std::string timeAMString = "AM";
    std::string timePMString = "PM";
    std::string shortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string longMonthNames[12] = {"January", "February", "March",     "April",
                                      "May",     "June",     "July",      "August",
                                      "September", "October", "November", "December"};
    std::string shortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string longDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};

    // Taken from the locale the environment names for LC_TIME (LANG, LC_ALL, LC_TIME),
    // whatever setlocale() the program called. Years are always written with four
    // digits, so that every date written reads back as the same date.
    static FormatSettings fromLocale();
};

// The settings in force (from the locale at first use); tests set fixed ones.
const FormatSettings& formatSettings();
void setFormatSettings(const FormatSettings& settings);

std::string formatDateTime(std::string_view format, DateTime value,
                           const FormatSettings& settings = formatSettings());
std::string dateToStr(DateTime value, const FormatSettings& settings = formatSettings());
std::string timeToStr(DateTime value, const FormatSettings& settings = formatSettings());
// Date, one blank, time; the time is left out when it is exactly midnight.
std::string dateTimeToStr(DateTime value, const FormatSettings& settings = formatSettings());

// The parsers follow the format of the settings: numbers where it has numeric
// fields, names where it has name fields, its separators (blanks are free). A time may
// stop after its hour or minute; a two-digit year is taken within 50 years of now.
// nullopt for text that does not fit or names no real date or time.
std::optional<DateTime> strToDate(std::string_view text,
                                  const FormatSettings& settings = formatSettings());
std::optional<DateTime> strToTime(std::string_view text,
                                  const FormatSettings& settings = formatSettings());
std::optional<DateTime> strToDateTime(std::string_view text,
                                      const FormatSettings& settings = formatSettings());

}  // namespace zb::platform
