// The user-interface seam on a terminal: questions are asked on the terminal and
// answered with y or n, messages are printed (errors on the error stream), the timed
// message window is a printed message that does not wait, and progress is a percentage
// redrawn in place when the output is a terminal. When no one can answer (input is not
// a terminal and no answer was given in advance) a question is answered with the
// preset answer, No unless the command says otherwise.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "platform/Ui.h"

namespace zb::cli {

class TerminalUi : public platform::Ui {
public:
    struct Options {
        bool interactive = false;    // questions are read from `in`
        bool defaultAnswer = false;  // the answer when no one can be asked
        bool showProgress = false;   // redraw a percentage on `err`
        bool quiet = false;          // no information or warning messages
    };
    TerminalUi(std::istream& in, std::ostream& out, std::ostream& err, Options options);
    // The process's own streams; interactive and with progress when they are terminals.
    static TerminalUi forProcess(bool quiet = false);

    bool confirm(const std::string& text, platform::MessageKind kind = platform::MessageKind::Confirmation,
                 const std::string& caption = {}) override;
    void messageBox(platform::MessageKind kind, const std::string& text, const std::string& caption = {}) override;
    void timedMessage(const std::string& text, platform::MessageKind kind, int seconds) override;
    void progress(int percent) override;
    void busy(bool on) override;
    void processEvents() override {}
    std::optional<std::string> chooseFile(const std::string& title, const std::string& initialFolder) override;
    std::optional<std::string> chooseFolder(const std::string& caption) override;
    std::optional<std::string> askPassword(const std::string& prompt) override;

    Options& options() { return options_; }

    // The program's texts use a lone carriage return as the line break.
    static std::string terminalText(const std::string& text);

private:
    void show(platform::MessageKind kind, const std::string& text);
    void endProgressLine();
    std::optional<std::string> readLine(const std::string& prompt);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    Options options_;
    int lastPercent_ = -1;
};

}  // namespace zb::cli
