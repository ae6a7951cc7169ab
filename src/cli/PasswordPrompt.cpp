// The password prompt.
#include "cli/PasswordPrompt.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace zb::cli {

namespace {
// Echo off on standard input for its lifetime, when it is a terminal.
class EchoOff {
public:
    EchoOff() {
        if (::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= tcflag_t(~ECHO);
            active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff() {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    bool active() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};
}  // namespace

std::optional<std::string> promptPassword(std::istream& in, std::ostream& err, const std::string& prompt,
                                          bool terminal) {
    if (!terminal) return std::nullopt;
    err << prompt << std::flush;
    std::string line;
    bool ok;
    {
        EchoOff echoOff;
        ok = bool(std::getline(in, line));
        if (echoOff.active()) err << '\n';
    }
    if (!ok) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> promptPassword(const std::string& prompt) {
    return promptPassword(std::cin, std::cerr, prompt, ::isatty(STDIN_FILENO) == 1);
}

}  // namespace zb::cli
