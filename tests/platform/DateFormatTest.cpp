// The format-text language and the short-date / long-time settings: known texts, and
// every text written with a settings object parses back to the value written.
#include "platform/DateFormat.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace zb::platform {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    DateTimeParts p;
    p.year = y; p.month = mo; p.day = d; p.hour = h; p.minute = mi; p.second = s; p.millisecond = ms;
    return encodeDateTime(p);
}

FormatSettings european() {
    FormatSettings fs;
    fs.shortDateFormat = "dd/mm/yyyy";
    fs.dateSeparator = '.';
    fs.longTimeFormat = "hh:nn:ss";
    fs.timeSeparator = ':';
    return fs;
}

FormatSettings american() {
    FormatSettings fs;
    fs.shortDateFormat = "m/d/yyyy";
    fs.dateSeparator = '/';
    fs.longTimeFormat = "h:nn:ss AMPM";
    fs.shortTimeFormat = "h:nn AMPM";
    return fs;
}

FormatSettings named() {
    FormatSettings fs;
    fs.shortDateFormat = "d mmm yyyy";
    fs.longTimeFormat = "hh'h'nn'm'ss's'";
    return fs;
}

FormatSettings isoLike() {
    FormatSettings fs;
    fs.shortDateFormat = "yyyy/mm/dd";
    fs.dateSeparator = '-';
    fs.longTimeFormat = "hh:nn:ss.zzz";
    return fs;
}

TEST(DateFormatText, ArchiveSuffix) {
    EXPECT_EQ(formatDateTime("mm\"-\"dd\"_\"hh\"h\"nn\"m\"ss\"s\"", at(2025, 3, 7, 14, 5, 9), european()),
              "03-07_14h05m09s");
    EXPECT_EQ(formatDateTime("mm\"-\"dd\"_\"hh\"h\"nn\"m\"ss\"s\"", at(2024, 12, 31, 23, 59, 59), european()),
              formatDateTime("mm\"-\"dd\"_\"hh\"h\"nn\"m\"ss\"s\"", at(2025, 12, 31, 23, 59, 59), european()));
}

TEST(DateFormatText, Fields) {
    const FormatSettings fs = european();
    const DateTime v = at(2025, 3, 7, 14, 5, 9, 45);
    EXPECT_EQ(formatDateTime("d/m/yy", v, fs), "7.3.25");
    EXPECT_EQ(formatDateTime("dd/mm/yyyy", v, fs), "07.03.2025");
    EXPECT_EQ(formatDateTime("h:n:s.z", v, fs), "14:5:9.45");
    EXPECT_EQ(formatDateTime("hh:nn:ss.zzz", v, fs), "14:05:09.045");
    EXPECT_EQ(formatDateTime("hh:mm", v, fs), "14:05");  // m right after an hour is the minute
    EXPECT_EQ(formatDateTime("ddd dddd mmm mmmm", v, fs), "Fri Friday Mar March");
    EXPECT_EQ(formatDateTime("YYYY-MM-DD", v, fs), "2025-03-07");  // letters without regard to case
    EXPECT_EQ(formatDateTime("'dd' \"mm\" x", v, fs), "dd mm x");
    EXPECT_EQ(formatDateTime("ddddd tt", v, fs), "07.03.2025 14:05:09");
    EXPECT_EQ(formatDateTime("c", v, fs), "07.03.2025 14:05:09");
    EXPECT_EQ(formatDateTime("c", at(2025, 3, 7), fs), "07.03.2025");
}

TEST(DateFormatText, TwelveHourClock) {
    const FormatSettings fs = american();
    EXPECT_EQ(formatDateTime("h:nn am/pm", at(2025, 1, 1, 0, 5), fs), "12:05 am");
    EXPECT_EQ(formatDateTime("h:nn AM/PM", at(2025, 1, 1, 12, 0), fs), "12:00 PM");
    EXPECT_EQ(formatDateTime("hh:nn a/p", at(2025, 1, 1, 13, 30), fs), "01:30 p");
    EXPECT_EQ(formatDateTime("h:nn ampm", at(2025, 1, 1, 9, 0), fs), "9:00 AM");
    EXPECT_EQ(dateTimeToStr(at(2025, 3, 1, 9, 0, 5), fs), "3/1/2025 9:00:05 AM");
    EXPECT_EQ(dateTimeToStr(at(2025, 3, 3, 18, 12, 44), fs), "3/3/2025 6:12:44 PM");
}

TEST(DateFormatText, DateTimeLeavesOutMidnight) {
    const FormatSettings fs = european();
    EXPECT_EQ(dateTimeToStr(at(2024, 2, 29), fs), "29.02.2024");
    EXPECT_EQ(dateTimeToStr(at(2024, 2, 29, 0, 0, 1), fs), "29.02.2024 00:00:01");
    EXPECT_EQ(dateToStr(at(2024, 2, 29, 10), fs), "29.02.2024");
    EXPECT_EQ(timeToStr(at(2024, 2, 29, 10), fs), "10:00:00");
}

TEST(DateFormatParse, RoundTripWithEverySettings) {
    for (const FormatSettings& fs : {european(), american(), named(), isoLike(), FormatSettings{}}) {
        for (int day = 0; day < 800; day += 7) {
            for (int sec : {0, 1, 3599, 43199, 43200, 45296, 86399}) {
                DateTime v = at(2023, 11, 20) + day + sec / 86400.0;
                v = at(decodeDateTime(v).year, decodeDateTime(v).month, decodeDateTime(v).day, sec / 3600,
                       sec / 60 % 60, sec % 60);
                std::string text = dateTimeToStr(v, fs);
                auto back = strToDateTime(text, fs);
                ASSERT_TRUE(back.has_value()) << fs.shortDateFormat << " | " << text;
                ASSERT_DOUBLE_EQ(*back, v) << text;
                auto date = strToDate(dateToStr(v, fs), fs);
                ASSERT_TRUE(date.has_value()) << dateToStr(v, fs);
                ASSERT_DOUBLE_EQ(*date, at(decodeDateTime(v).year, decodeDateTime(v).month, decodeDateTime(v).day));
                auto time = strToTime(timeToStr(v, fs), fs);
                ASSERT_TRUE(time.has_value()) << timeToStr(v, fs);
                ASSERT_NEAR(*time, sec / 86400.0, 1e-9);
            }
        }
    }
}

TEST(DateFormatParse, Leniency) {
    const FormatSettings fs = european();
    EXPECT_EQ(strToDate(" 7.3.2025 ", fs), at(2025, 3, 7));
    EXPECT_EQ(strToTime("9", fs), encodeTime(9, 0, 0));
    EXPECT_EQ(strToTime("9:05", fs), encodeTime(9, 5, 0));
    EXPECT_EQ(strToDateTime("07.03.2025 9:05", fs), at(2025, 3, 7, 9, 5));
    EXPECT_EQ(strToTime("9:05 PM", american()), encodeTime(21, 5, 0));
    EXPECT_EQ(strToTime("12:00 am", american()), encodeTime(0, 0, 0));
    EXPECT_EQ(strToTime("21:05:00", american()), encodeTime(21, 5, 0));  // no marker: 24-hour
    EXPECT_EQ(strToDate("7 MARCH 2025", named()), at(2025, 3, 7));
}

TEST(DateFormatParse, Refusals) {
    const FormatSettings fs = european();
    for (const char* bad : {"", "abc", "31.02.2024", "29.02.2023", "07/03/2025", "07.03", "07.13.2025", "07.03.2025x"})
        EXPECT_EQ(strToDate(bad, fs), std::nullopt) << bad;
    for (const char* bad : {"", "24:00:00", "12:60:00", "12:00:60", "noon", "12:00:00 extra"})
        EXPECT_EQ(strToTime(bad, fs), std::nullopt) << bad;
    EXPECT_EQ(strToTime("13:00 PM", american()), std::nullopt);
    EXPECT_EQ(strToTime("0:30 AM", american()), std::nullopt);
    EXPECT_EQ(strToDateTime("07.03.2025 25:00", fs), std::nullopt);
    EXPECT_EQ(strToDate("7 Marchy 2025", named()), std::nullopt);
}

TEST(DateFormatParse, TwoDigitYearsFallWithinFiftyYearsOfNow) {
    FormatSettings fs = european();
    fs.shortDateFormat = "dd/mm/yy";
    const int thisYear = decodeDateTime(SystemClock().now()).year;
    for (int yy : {0, 25, 49, 50, 75, 99}) {
        std::string text = "01.06." + std::string(yy < 10 ? "0" : "") + std::to_string(yy);
        auto v = strToDate(text, fs);
        ASSERT_TRUE(v.has_value()) << text;
        int year = decodeDateTime(*v).year;
        EXPECT_EQ(year % 100, yy);
        EXPECT_GE(year, thisYear - 50);
        EXPECT_LT(year, thisYear + 50);
    }
}

TEST(DateFormatSettings, FromTheCLocale) {
    const char* old = std::getenv("LC_ALL");
    std::string saved = old ? old : "";
    ::setenv("LC_ALL", "C", 1);
    FormatSettings fs = FormatSettings::fromLocale();
    if (old) ::setenv("LC_ALL", saved.c_str(), 1);
    else ::unsetenv("LC_ALL");
    EXPECT_EQ(fs.shortDateFormat, "mm/dd/yyyy");  // four-digit years, so that dates read back
    EXPECT_EQ(fs.dateSeparator, '/');
    EXPECT_EQ(fs.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(fs.timeSeparator, ':');
    EXPECT_EQ(fs.shortTimeFormat, "hh:nn");
    DateTime v = at(2031, 12, 24, 18, 30, 15);
    EXPECT_EQ(strToDateTime(dateTimeToStr(v, fs), fs), v);
}

TEST(DateFormatSettings, SettingsInForceCanBeFixed) {
    const FormatSettings old = formatSettings();
    setFormatSettings(american());
    EXPECT_EQ(dateTimeToStr(at(2025, 3, 2, 9, 0, 7)), "3/2/2025 9:00:07 AM");
    EXPECT_EQ(strToDateTime("3/2/2025 9:00:07 AM"), at(2025, 3, 2, 9, 0, 7));
    setFormatSettings(old);
    EXPECT_EQ(formatSettings().shortDateFormat, old.shortDateFormat);
}

}  // namespace
}  // namespace zb::platform
