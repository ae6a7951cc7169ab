// The frame of the program's small dialogs: a title bar with the system menu and the
// close box only, the body, and below it a row of push buttons ("Help" alone on the
// left when the dialog has one, the others on the right), the dialog sized to fit.
#pragma once

#include <QDialog>
#include <initializer_list>

class QLayout;
class QPushButton;

namespace zb::app {

inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                     Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                     Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;

// Lays out the dialog: the body, then the button row. `help` may be null.
void layOutDialog(QDialog& dialog, QLayout* body, QPushButton* help, std::initializer_list<QPushButton*> buttons);

}  // namespace zb::app
