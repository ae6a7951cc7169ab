// Formatting and parsing of date-time values: the format-text language the program's
// texts are written in (letter groups such as yyyy, mm, dd, hh, nn, ss are fields, text
// in double or single quotes is copied) and the short-date / long-time settings taken
// from the locale. Text written with the settings parses back to the same value.
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

    // Taken once from the process locale (LC_TIME).
    static FormatSettings fromLocale();
};

// The settings in force; tests set fixed ones.
const FormatSettings& formatSettings();
void setFormatSettings(const FormatSettings& settings);

std::string formatDateTime(std::string_view format, DateTime value,
                           const FormatSettings& settings = formatSettings());
std::string dateToStr(DateTime value, const FormatSettings& settings = formatSettings());
std::string timeToStr(DateTime value, const FormatSettings& settings = formatSettings());
// Date, one blank, time; the time is left out when it is exactly midnight.
std::string dateTimeToStr(DateTime value, const FormatSettings& settings = formatSettings());

std::optional<DateTime> strToDate(std::string_view text,
                                  const FormatSettings& settings = formatSettings());
std::optional<DateTime> strToTime(std::string_view text,
                                  const FormatSettings& settings = formatSettings());
std::optional<DateTime> strToDateTime(std::string_view text,
                                      const FormatSettings& settings = formatSettings());

}  // namespace zb::platform
