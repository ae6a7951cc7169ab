// Builds the shared small controls (see FormControls.h), so a button or number field
// looks and behaves alike on the page "Backup ", in the wizard and in the dialogs.
#include "app/FormControls.h"

#include <QSpinBox>
#include <QToolButton>

namespace zb::app {

QToolButton* toolButton(QWidget* owner, const char* name, QStyle::StandardPixmap icon, const char* hint) {
    auto* button = new QToolButton(owner);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(owner->style()->standardIcon(icon));
    button->setToolTip(QString::fromLatin1(hint));
    return button;
}

QSpinBox* spinBox(int low, int high, int value) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

}  // namespace zb::app
