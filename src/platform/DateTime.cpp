// Day-number arithmetic for date-time values, the conversions to and from the
// system's clock in local time, and the DOS date/time packing of ZIP records.
#include "platform/DateTime.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <time.h>

namespace zb::platform {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr std::int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day number

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

// Whole day and millisecond of the day, with the sign convention described in the header.
void split(DateTime value, std::int64_t& dayNumber, std::int64_t& msOfDay) {
    double ip = std::trunc(value);
    double frac = std::fabs(value - ip);
    auto ms = static_cast<std::int64_t>(std::llround(frac * double(kMsPerDay)));
    auto d = static_cast<std::int64_t>(ip);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        d += value < 0 ? -1 : 1;
    }
    dayNumber = d;
    msOfDay = ms;
}

DateTime join(std::int64_t dayNumber, std::int64_t msOfDay) {
    double t = double(msOfDay) / double(kMsPerDay);
    return dayNumber < 0 ? double(dayNumber) - t : double(dayNumber) + t;
}

std::tm toLocalTm(std::int64_t seconds) {
    std::tm tm{};
    time_t t = static_cast<time_t>(seconds);
    localtime_r(&t, &tm);
    return tm;
}

std::int64_t fromLocalParts(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;  // let the zone rules decide summer time
    return static_cast<std::int64_t>(mktime(&tm));
}

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::optional<DateTime> tryEncodeDateTime(const DateTimeParts& p) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > daysInMonth(p.year, p.month))
        return std::nullopt;
    if (p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 ||
        p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
        return std::nullopt;
    std::int64_t day = daysFromCivil(p.year, unsigned(p.month), unsigned(p.day)) + kUnixEpochDay;
    std::int64_t ms = ((std::int64_t(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
    return join(day, ms);
}

DateTime encodeDateTime(const DateTimeParts& parts) {
    auto v = tryEncodeDateTime(parts);
    if (!v) throw std::invalid_argument("Invalid date or time");
    return *v;
}

DateTime encodeDate(int year, int month, int day) {
    DateTimeParts p;
    p.year = year;
    p.month = month;
    p.day = day;
    return encodeDateTime(p);
}

DateTime encodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw std::invalid_argument("Invalid time");
    return double(((std::int64_t(hour) * 60 + minute) * 60 + second) * 1000 + millisecond) /
           double(kMsPerDay);
}

DateTimeParts decodeDateTime(DateTime value) {
    std::int64_t day, ms;
    split(value, day, ms);
    DateTimeParts p;
    civilFromDays(day - kUnixEpochDay, p.year, p.month, p.day);
    p.millisecond = int(ms % 1000);
    std::int64_t s = ms / 1000;
    p.second = int(s % 60);
    p.minute = int(s / 60 % 60);
    p.hour = int(s / 3600);
    return p;
}

int dayOfWeek(DateTime value) {
    std::int64_t day, ms;
    split(value, day, ms);
    // Day 0, 1899-12-30, was a Saturday.
    return int(((day % 7 + 7) % 7 + 6) % 7 + 1);
}

DateTime fileTimeToLocalDateTime(FileTime t) {
    std::tm tm = toLocalTm(t.seconds);
    std::int64_t day = daysFromCivil(tm.tm_year + 1900, unsigned(tm.tm_mon + 1), unsigned(tm.tm_mday)) +
                       kUnixEpochDay;
    std::int64_t ms = ((std::int64_t(tm.tm_hour) * 60 + tm.tm_min) * 60 + std::min(tm.tm_sec, 59)) * 1000 +
                      t.nanoseconds / 1'000'000;
    return join(day, ms);
}

FileTime localDateTimeToFileTime(DateTime value) {
    DateTimeParts p = decodeDateTime(value);
    FileTime t;
    t.seconds = fromLocalParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
    t.nanoseconds = p.millisecond * 1'000'000;
    return t;
}

std::uint32_t dateTimeToDos(DateTime value) {
    DateTimeParts p = decodeDateTime(value);
    if (p.year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
    if (p.year > 2107) return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
    std::uint32_t date = std::uint32_t(p.year - 1980) << 9 | std::uint32_t(p.month) << 5 | std::uint32_t(p.day);
    std::uint32_t time = std::uint32_t(p.hour) << 11 | std::uint32_t(p.minute) << 5 | std::uint32_t(p.second / 2);
    return date << 16 | time;
}

DateTime dosToDateTime(std::uint32_t dos) {
    DateTimeParts p;
    std::uint32_t date = dos >> 16, time = dos & 0xFFFF;
    p.year = int(date >> 9) + 1980;
    p.month = clampInt(int(date >> 5 & 0x0F), 1, 12);
    p.day = clampInt(int(date & 0x1F), 1, daysInMonth(p.year, p.month));
    p.hour = clampInt(int(time >> 11), 0, 23);
    p.minute = clampInt(int(time >> 5 & 0x3F), 0, 59);
    p.second = clampInt(int(time & 0x1F) * 2, 0, 59);
    return encodeDateTime(p);
}

std::uint32_t fileTimeToDos(FileTime t) {
    std::tm tm = toLocalTm(t.seconds);
    DateTimeParts p;
    p.year = tm.tm_year + 1900;
    p.month = tm.tm_mon + 1;
    p.day = tm.tm_mday;
    p.hour = tm.tm_hour;
    p.minute = tm.tm_min;
    p.second = std::min(tm.tm_sec, 59);
    if (p.year < 1980 || p.year > 2107) return dateTimeToDos(encodeDate(clampInt(p.year, 1979, 2108), 1, 1));
    return dateTimeToDos(encodeDateTime(p));
}

FileTime dosToFileTime(std::uint32_t dos) {
    DateTimeParts p = decodeDateTime(dosToDateTime(dos));
    FileTime t;
    t.seconds = fromLocalParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
    return t;
}

DateTime SystemClock::now() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return fileTimeToLocalDateTime(FileTime{ts.tv_sec, static_cast<std::int32_t>(ts.tv_nsec)});
}

}  // namespace zb::platform
