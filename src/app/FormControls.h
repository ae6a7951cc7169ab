// The small controls every form builds the same way: a tool button that shows a
// standard icon with its hint, and a number field with its range and first value.
// Each form keeps its own names for them; only the making is shared.
#pragma once

#include <QStyle>

class QSpinBox;
class QToolButton;
class QWidget;

namespace zb::app {

// A tool button named `name` for tests and screenshots, owned by `owner`, whose style
// gives the icon.
QToolButton* toolButton(QWidget* owner, const char* name, QStyle::StandardPixmap icon, const char* hint);

QSpinBox* spinBox(int low, int high, int value);

}  // namespace zb::app
