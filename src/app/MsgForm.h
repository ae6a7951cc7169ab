// The program's own message window for the outcome of a backup or restore: an icon, a
// word-wrapped text at most half the screen wide and one "OK" button that is both the
// default and the cancel button. It closes itself when its timer fires.
#pragma once

#include <QDialog>
#include <QTimer>

#include "platform/Ui.h"

class QLabel;
class QPushButton;

namespace zb::app {

class MsgForm : public QDialog {
    Q_OBJECT
public:
    // CreateTimedMessage: builds the window, not yet shown, with its close timer set.
    MsgForm(const QString& text, platform::MessageKind kind, int seconds, QWidget* parent = nullptr);

    void StartCloseTimer(int seconds);
    void startCloseTimerMilliseconds(int milliseconds);

    QLabel* messageLabel() const { return message_; }
    QLabel* imageLabel() const { return image_; }
    QPushButton* okButton() const { return ok_; }
    const QTimer& closeTimer() const { return closeTimer_; }

private:
    QTimer closeTimer_;
    QLabel* image_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// Builds the window, shows it modally and frees it once it has closed.
void ShowTimedMessage(QWidget* parent, const QString& text, platform::MessageKind kind, int seconds);

}  // namespace zb::app
