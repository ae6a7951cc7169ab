// A progress bar on the terminal for long work: "[#######.............]  35%  name",
// redrawn in place on the error stream. It draws only when that stream is a terminal,
// so output that goes to a file or a pipe stays clean.
#pragma once

#include <iosfwd>
#include <string>

namespace zb::cli {

class ProgressBar {
public:
    // `enabled` false makes every call do nothing. `columns` 0 takes the terminal's
    // width.
    ProgressBar(std::ostream& err, bool enabled, int columns = 0);
    // A bar on std::cerr, enabled when standard error is a terminal.
    static ProgressBar forStderr();
    ~ProgressBar();

    // Draws `percent` (clamped to 0..100) with an optional label; a call that would
    // draw the same thing again draws nothing.
    void update(int percent, const std::string& label = {});
    // Removes the bar so that other lines can be printed; the next update draws again.
    void clear();
    bool enabled() const { return enabled_; }

    // The text of one bar (without the leading carriage return), for a width of
    // `columns` characters.
    static std::string render(int percent, const std::string& label, int columns);

private:
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    int lastPercent_ = -1;
    std::string lastLabel_;
    int columns_ = 80;
};

}  // namespace zb::cli
