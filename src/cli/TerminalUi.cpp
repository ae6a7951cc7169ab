// The user-interface seam on a terminal. See TerminalUi.h.
#include "cli/TerminalUi.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/PasswordPrompt.h"

namespace zb::cli {
namespace {

const char* kindLabel(platform::MessageKind kind) {
    switch (kind) {
        case platform::MessageKind::Warning: return "Warning";
        case platform::MessageKind::Error: return "Error";
        case platform::MessageKind::Information: return "Information";
        case platform::MessageKind::Confirmation: return "Confirm";
        case platform::MessageKind::Custom: break;
    }
    return "";
}

}  // namespace

TerminalUi::TerminalUi(std::istream& in, std::ostream& out, std::ostream& err, Options options)
    : in_(in), out_(out), err_(err), options_(options) {}

TerminalUi TerminalUi::forProcess(bool quiet) {
    Options options;
    options.interactive = isatty(STDIN_FILENO);
    options.showProgress = isatty(STDERR_FILENO) && !quiet;
    options.quiet = quiet;
    return TerminalUi(std::cin, std::cout, std::cerr, options);
}

std::string TerminalUi::terminalText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void TerminalUi::endProgressLine() {
    if (lastPercent_ >= 0) {
        err_ << "\r\033[K" << std::flush;
        lastPercent_ = -1;
    }
}

void TerminalUi::show(platform::MessageKind kind, const std::string& text) {
    endProgressLine();
    const bool isError = kind == platform::MessageKind::Error;
    if (options_.quiet && !isError) return;
    std::ostream& os = isError || kind == platform::MessageKind::Warning ? err_ : out_;
    const std::string label = kindLabel(kind);
    if (!label.empty()) os << label << ": ";
    os << terminalText(text) << '\n' << std::flush;
}

std::optional<std::string> TerminalUi::readLine(const std::string& prompt) {
    endProgressLine();
    if (!options_.interactive) return std::nullopt;
    err_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) return std::nullopt;
    return line;
}

// A terminal has no title bar: the caption is left out, the kind's label says enough.
bool TerminalUi::confirm(const std::string& text, platform::MessageKind, const std::string&) {
    endProgressLine();
    if (!options_.interactive) return options_.defaultAnswer;
    for (;;) {
        auto line = readLine(terminalText(text) + (options_.defaultAnswer ? " [Y/n] " : " [y/N] "));
        if (!line) return options_.defaultAnswer;
        if (line->empty()) return options_.defaultAnswer;
        const char c = (*line)[0];
        if (c == 'y' || c == 'Y') return true;
        if (c == 'n' || c == 'N') return false;
    }
}

void TerminalUi::messageBox(platform::MessageKind kind, const std::string& text, const std::string&) {
    show(kind, text);
}

void TerminalUi::timedMessage(const std::string& text, platform::MessageKind kind, int) { show(kind, text); }

void TerminalUi::progress(int percent) {
    if (!options_.showProgress) return;
    if (percent <= 0 && lastPercent_ < 0) return;
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    err_ << "\r" << percent << "%" << std::flush;
}

void TerminalUi::busy(bool on) {
    if (!on) endProgressLine();
}

std::optional<std::string> TerminalUi::chooseFile(const std::string& title, const std::string&) {
    auto line = readLine(terminalText(title) + ": ");
    if (!line || line->empty()) return std::nullopt;
    return line;
}

std::optional<std::string> TerminalUi::chooseFolder(const std::string& caption) {
    auto line = readLine(terminalText(caption) + ": ");
    if (!line || line->empty()) return std::nullopt;
    return line;
}

std::optional<std::string> TerminalUi::askPassword(const std::string& prompt) {
    endProgressLine();
    if (!options_.interactive) return std::nullopt;
    return promptPassword(in_, err_, terminalText(prompt), true);
}

}  // namespace zb::cli
