// Compares date-time values at millisecond resolution, so that a time of day or a date
// computed from a file time does not miss an equal bound by a rounding error.
#include "findfile/DateBounds.h"

#include <cmath>
#include <cstdint>

namespace zb::findfile {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

struct Split {
    std::int64_t total;  // milliseconds since the epoch of date-time values
    std::int64_t day;
    std::int64_t timeOfDay;
};

Split split(platform::DateTime value) {
    Split s;
    s.total = std::llround(value * double(kMsPerDay));
    s.day = s.total / kMsPerDay;
    s.timeOfDay = s.total % kMsPerDay;
    if (s.timeOfDay < 0) {
        s.timeOfDay += kMsPerDay;
        --s.day;
    }
    return s;
}

// The value's position and the bound's, on the scale the bound asks for.
void scaleFor(const Split& bound, const Split& value, std::int64_t& v, std::int64_t& b) {
    if (bound.timeOfDay == 0) {
        v = value.day;
        b = bound.day;
    } else if (bound.day == 0) {
        v = value.timeOfDay;
        b = bound.timeOfDay;
    } else {
        v = value.total;
        b = bound.total;
    }
}

}  // namespace

bool DateBounds::admits(platform::DateTime value) const {
    const Split v = split(value);
    std::int64_t lhs = 0, rhs = 0;
    if (before != 0) {
        scaleFor(split(before), v, lhs, rhs);
        if (lhs > rhs) return false;
    }
    if (after != 0) {
        scaleFor(split(after), v, lhs, rhs);
        if (lhs < rhs) return false;
    }
    return true;
}

}  // namespace zb::findfile
