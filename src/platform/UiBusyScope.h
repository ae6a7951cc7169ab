// Holds the user interface busy for the length of a run: busy on entry, and idle with
// the progress bar back at 0 on every way out, exceptions included, so no failure can
// leave the window locked.
#pragma once

#include "platform/Ui.h"

namespace zb::platform {

class UiBusyScope {
public:
    explicit UiBusyScope(Ui& ui) : ui_(ui) { ui_.busy(true); }
    ~UiBusyScope() {
        ui_.busy(false);
        ui_.progress(0);
    }
    UiBusyScope(const UiBusyScope&) = delete;
    UiBusyScope& operator=(const UiBusyScope&) = delete;

private:
    Ui& ui_;
};

}  // namespace zb::platform
