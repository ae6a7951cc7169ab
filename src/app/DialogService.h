// Every modal window the program opens goes through this service: message boxes,
// questions, the timed message window, the file and folder choosers and the program's
// own dialogs. The program installs the Qt implementation; the window's tests install a
// scripted one, so no test ever waits on a modal loop.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/Ui.h"

class QDialog;
class QWidget;

namespace zb::app {

using platform::MessageKind;

class DialogService {
public:
    virtual ~DialogService() = default;
    // A standard message box with one OK button.
    virtual void message(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) = 0;
    // A standard question with Yes and No; true for Yes. Closing it counts as No.
    virtual bool question(QWidget* parent, MessageKind kind, const QString& caption, const QString& text) = 0;
    // The message window that closes itself after `seconds`.
    virtual void timedMessage(QWidget* parent, const QString& text, MessageKind kind, int seconds) = 0;
    // Empty when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& caption, const QString& startFolder) = 0;
    virtual QStringList chooseFiles(QWidget* parent, const QString& caption, const QString& startFolder) = 0;
    virtual std::optional<QString> askPassword(QWidget* parent, const QString& prompt) = 0;
    // Runs one of the program's dialogs modally and returns its result code.
    virtual int exec(QDialog& dialog) = 0;
};

// The caption the standard boxes and the message window give each kind.
QString kindCaption(MessageKind kind);
// Every message of the program breaks lines at a bare carriage return.
QString displayText(const QString& text);

}  // namespace zb::app
