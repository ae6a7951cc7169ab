// Date-time values as the program's arithmetic needs them: days since 1899-12-30 with
// the time of day as the fraction, in local time. Also the DOS date/time of ZIP records,
// the conversions from file-system times, and an injectable clock so that schedules and
// name suffixes are tested without waiting.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

namespace zb::platform {

using DateTime = double;  // days since 1899-12-30 00:00, local time

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

DateTime encodeDateTime(const DateTimeParts& parts);
DateTimeParts decodeDateTime(DateTime value);
DateTime encodeDate(int year, int month, int day);
DateTime encodeTime(int hour, int minute, int second, int millisecond = 0);
// 1 = Sunday ... 7 = Saturday.
int dayOfWeek(DateTime value);

// File-system times (seconds and nanoseconds since the Unix epoch, UTC).
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
};
DateTime fileTimeToLocalDateTime(FileTime t);
FileTime localDateTimeToFileTime(DateTime value);

// DOS date/time (date in the high 16 bits), local time; even seconds.
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
