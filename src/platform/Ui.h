// The seam between the program's rules and whoever talks to the user: the Qt window,
// the terminal, or a scripted fake in tests. The backup, restore and schedule code
// reaches the user through this interface only.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zb::platform {

// The kinds of the message window, with their values.
enum class MessageKind { Warning = 0, Error = 1, Information = 2, Confirmation = 3, Custom = 4 };

class Ui {
public:
    virtual ~Ui() = default;
    // A question with the buttons Yes and No; true for Yes. `caption` is the box's
    // title; empty means the title of the kind ("Warning", "Error", ...).
    virtual bool confirm(const std::string& text, MessageKind kind = MessageKind::Confirmation,
                         const std::string& caption = {}) = 0;
    // A message box with one OK button; `caption` as for confirm.
    virtual void messageBox(MessageKind kind, const std::string& text, const std::string& caption = {}) = 0;
    // The message window that closes itself after `seconds`.
    virtual void timedMessage(const std::string& text, MessageKind kind, int seconds) = 0;
    virtual void progress(int percent) = 0;  // 0..100
    virtual void busy(bool on) = 0;
    virtual void processEvents() = 0;
    virtual std::optional<std::string> chooseFile(const std::string& title,
                                                  const std::string& initialFolder) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& caption) = 0;
    // A password typed by the user (not echoed); nullopt when cancelled.
    virtual std::optional<std::string> askPassword(const std::string& prompt) = 0;
};

}  // namespace zb::platform
