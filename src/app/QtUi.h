// The user-interface seam of the core, answered by the window: questions and messages
// through the dialog service, progress and the busy state through the window's hooks,
// and pending window events processed while the engine works.
#pragma once

#include <functional>

#include "app/DialogService.h"
#include "platform/Ui.h"

class QWidget;

namespace zb::app {

class QtUi : public platform::Ui {
public:
    struct Hooks {
        std::function<void(int)> progress;
        std::function<void(bool)> busy;
    };

    QtUi(DialogService& dialogs, QWidget* parent, Hooks hooks);

    bool confirm(const std::string& text, platform::MessageKind kind = platform::MessageKind::Confirmation,
                 const std::string& caption = {}) override;
    void messageBox(platform::MessageKind kind, const std::string& text, const std::string& caption = {}) override;
    void timedMessage(const std::string& text, platform::MessageKind kind, int seconds) override;
    void progress(int percent) override;
    void busy(bool on) override;
    void processEvents() override;
    std::optional<std::string> chooseFile(const std::string& title, const std::string& initialFolder) override;
    std::optional<std::string> chooseFolder(const std::string& caption) override;
    std::optional<std::string> askPassword(const std::string& prompt) override;

private:
    DialogService& dialogs_;
    QWidget* parent_;
    Hooks hooks_;
};

}  // namespace zb::app
