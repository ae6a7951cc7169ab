// DOS date/time values of ZIP records: the rule that brings a stored value with fields
// out of range back into range, and its conversion to the program's date-time values.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/DateTime.h"

namespace zb::zip {

// A value whose fields are all in range comes back unchanged; otherwise each field is
// clamped on its own (seconds/2 to 29, minutes to 59, hours to 23, day 0 and month 0
// to 1, month to 12, year to 2099).
std::uint32_t normalizeDosDateTime(std::uint32_t dos);

// The date-time of a DOS value, or nullopt when it names no real day (30 February).
std::optional<platform::DateTime> dosDateTimeToDateTime(std::uint32_t dos);

}  // namespace zb::zip
