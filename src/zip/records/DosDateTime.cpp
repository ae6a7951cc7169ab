// The DOS date/time normaliser and conversion.
#include "zip/records/DosDateTime.h"

namespace zb::zip {

std::uint32_t normalizeDosDateTime(std::uint32_t dos) {
    std::uint32_t sec2 = dos & 0x1F;
    std::uint32_t minute = (dos >> 5) & 0x3F;
    std::uint32_t hour = (dos >> 11) & 0x1F;
    std::uint32_t day = (dos >> 16) & 0x1F;
    std::uint32_t month = (dos >> 21) & 0x0F;
    std::uint32_t year = (dos >> 25) & 0x7F;
    if (sec2 <= 29 && minute <= 59 && hour <= 23 && day != 0 && month >= 1 && month <= 12 && year <= 119) return dos;
    if (sec2 > 29) sec2 = 29;
    if (minute > 59) minute = 59;
    if (hour > 23) hour = 23;
    if (day == 0) day = 1;
    if (month == 0) month = 1;
    if (month > 12) month = 12;
    if (year >= 120) year = 119;
    return sec2 | minute << 5 | hour << 11 | day << 16 | month << 21 | year << 25;
}

std::optional<platform::DateTime> dosDateTimeToDateTime(std::uint32_t dos) {
    int sec = int(dos & 0x1F) * 2;
    int minute = int((dos >> 5) & 0x3F);
    int hour = int((dos >> 11) & 0x1F);
    int day = int((dos >> 16) & 0x1F);
    int month = int((dos >> 21) & 0x0F);
    int year = 1980 + int((dos >> 25) & 0x7F);
    if (sec > 59 || minute > 59 || hour > 23 || month < 1 || month > 12 || day < 1) return std::nullopt;
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > last) return std::nullopt;
    return platform::encodeDate(year, month, day) + platform::encodeTime(hour, minute, sec);
}

}  // namespace zb::zip
