// One layout for the dialogs' button rows, so that every dialog puts its buttons in
// the same places and none can be resized into a shape its controls do not fill.
#include "app/DialogFrame.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zb::app {

void layOutDialog(QDialog& dialog, QLayout* body, QPushButton* help, std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    if (help != nullptr) row->addWidget(help);
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(body);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zb::app
