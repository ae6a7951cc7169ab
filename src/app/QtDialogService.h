// The dialog service of the running program: Qt's standard message boxes and file
// dialogs, and the program's own message window for timed messages.
#pragma once

#include "app/DialogService.h"

namespace zb::app {

class QtDialogService : public DialogService {
public:
    void message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) override;
    bool question(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) override;
    void timedMessage(QWidget* parent, const QString& text, MessageKind kind, int seconds) override;
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& startFolder) override;
    QStringList chooseFiles(QWidget* parent, const QString& caption, const QString& startFolder) override;
    std::optional<QString> askPassword(QWidget* parent, const QString& prompt) override;
    int exec(QDialog& dialog) override;
};

}  // namespace zb::app
