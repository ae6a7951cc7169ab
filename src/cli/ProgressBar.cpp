// The terminal progress bar.
#include "cli/ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace zb::cli {

namespace {
int terminalColumns() {
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 20) return ws.ws_col;
    return 80;
}
}  // namespace

ProgressBar::ProgressBar(std::ostream& err, bool enabled, int columns) : err_(err), enabled_(enabled) {
    columns_ = columns > 0 ? columns : enabled_ ? terminalColumns() : 80;
}

ProgressBar ProgressBar::forStderr() { return ProgressBar(std::cerr, ::isatty(STDERR_FILENO) == 1); }

ProgressBar::~ProgressBar() { clear(); }

std::string ProgressBar::render(int percent, const std::string& label, int columns) {
    percent = std::clamp(percent, 0, 100);
    const int width = std::clamp(columns / 3, 10, 40);
    const int filled = percent * width / 100;
    std::string text =
        "[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(width - filled), '.') + "] ";
    std::string number = std::to_string(percent) + "%";
    text += std::string(4 - std::min<std::size_t>(4, number.size()), ' ') + number;
    if (!label.empty()) {
        // Keep the line within the terminal so that it never wraps.
        int room = columns - 1 - int(text.size()) - 2;
        if (room > 3) {
            std::string shown = label;
            if (int(shown.size()) > room) shown = "..." + shown.substr(shown.size() - std::size_t(room - 3));
            text += "  " + shown;
        }
    }
    return text;
}

void ProgressBar::update(int percent, const std::string& label) {
    if (!enabled_) return;
    percent = std::clamp(percent, 0, 100);
    if (shown_ && percent == lastPercent_ && label == lastLabel_) return;
    std::string text = render(percent, label, columns_);
    err_ << '\r' << text << "\x1b[K" << std::flush;
    shown_ = true;
    lastPercent_ = percent;
    lastLabel_ = label;
}

void ProgressBar::clear() {
    if (!enabled_ || !shown_) return;
    err_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

}  // namespace zb::cli
