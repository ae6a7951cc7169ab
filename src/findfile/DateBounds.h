// The date filter of the finder: a file time against an "after" and a "before" bound.
// A bound of 0 is no bound; a bound that is a whole day compares dates only (so a
// "before" bound of midnight takes in the whole of that day), a bound below one day
// compares times of day only, and any other bound compares the full date and time.
#pragma once

#include "platform/DateTime.h"

namespace zb::findfile {

struct DateBounds {
    platform::DateTime after = 0;
    platform::DateTime before = 0;

    bool active() const { return after != 0 || before != 0; }
    // Both bounds are inclusive.
    bool admits(platform::DateTime value) const;
};

}  // namespace zb::findfile
