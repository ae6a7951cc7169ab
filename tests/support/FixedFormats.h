// Tests that compare dates as text fix the locale's formats first, so the expected
// strings do not depend on the machine: day/month/year and a 24-hour time.
#pragma once

#include "platform/DateFormat.h"

namespace zb::test {

inline void useFixedDateFormats() {
    platform::FormatSettings fixed;
    fixed.shortDateFormat = "dd/mm/yyyy";
    fixed.longTimeFormat = "hh:nn:ss";
    platform::setFormatSettings(fixed);
}

}  // namespace zb::test
