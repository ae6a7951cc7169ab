// Date-time values as the program's arithmetic needs them: days since 1899-12-30 with
// the time of day as the fraction, in local time. Also the DOS date/time of ZIP records,
// the conversions from file-system times, and an injectable clock so that schedules and
// name suffixes are tested without waiting.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace zb::platform {

using DateTime = double;  // days since 1899-12-30 00:00, local time

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The encoders throw std::invalid_argument for a date or time that does not exist
// (30 February, hour 24); the try- forms give nullopt instead. Years run 1 to 9999.
// Before 1899-12-30 the day is negative and the time of day is still added as a
// positive fraction of its size (-1.25 is 1899-12-29 06:00), as the arithmetic of the
// program's origin does.
DateTime encodeDateTime(const DateTimeParts& parts);
DateTimeParts decodeDateTime(DateTime value);  // rounded to the millisecond
DateTime encodeDate(int year, int month, int day);
DateTime encodeTime(int hour, int minute, int second, int millisecond = 0);
std::optional<DateTime> tryEncodeDateTime(const DateTimeParts& parts);
bool isLeapYear(int year);
int daysInMonth(int year, int month);
// 1 = Sunday ... 7 = Saturday.
int dayOfWeek(DateTime value);

// File-system times (seconds and nanoseconds since the Unix epoch, UTC).
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
};
DateTime fileTimeToLocalDateTime(FileTime t);
FileTime localDateTimeToFileTime(DateTime value);

// DOS date/time (date in the high 16 bits), local time; even seconds (an odd second
// is cut to the even one below). Dates before 1980 are stored as 1980-01-01 00:00 and
// dates after 2107 as 2107-12-31 23:59:58, the range the form can hold; reading,
// fields out of range (month 0, day 31 of a short month) are brought to the nearest
// valid value, so a damaged record still gives a date.
std::uint32_t dateTimeToDos(DateTime value);
DateTime dosToDateTime(std::uint32_t dos);
std::uint32_t fileTimeToDos(FileTime t);
FileTime dosToFileTime(std::uint32_t dos);

// The clock the program asks for "now". Tests install a ManualClock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    DateTime now() const override;
};

class ManualClock : public Clock {
public:
    explicit ManualClock(DateTime start) : now_(start) {}
    DateTime now() const override { return now_; }
    void set(DateTime t) { now_ = t; }
    void advanceSeconds(double s) { now_ += s / 86400.0; }

private:
    DateTime now_;
};

}  // namespace zb::platform
