// The user-interface seam as a restore sees it: everything goes to the window's own
// seam, except that the one question of the confirmation kind a restore can ask, the
// reader's "Replace existing file ...?", carries the caption "File Exists Alert". The
// restore's own questions (starting, deleting) are warnings and keep theirs. Closing
// either question counts as No, so no window close ever overwrites a file.
#pragma once

#include "app/DialogService.h"
#include "platform/Ui.h"

class QWidget;

namespace zb::app {

class RestoreUi : public platform::Ui {
public:
    RestoreUi(platform::Ui& window, DialogService& dialogs, QWidget* parent);

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
    platform::Ui& window_;
    DialogService& dialogs_;
    QWidget* parent_;
};

}  // namespace zb::app
