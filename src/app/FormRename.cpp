// The dialog only asks; whether the name is free is the store's decision, made after
// the dialog closes, against the project list as it is then.
#include "app/FormRename.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogService.h"
#include "app/QtUi.h"
#include "shell/RenameProject.h"

namespace zb::app {

FormRename::FormRename(const QString& currentName, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TFormRename"));
    setWindowTitle(QStringLiteral("Rename project"));
    EditProjName = new QLineEdit(currentName.trimmed());
    EditProjName->setObjectName(QStringLiteral("EditProjName"));
    EditProjName->setMinimumWidth(300);
    ButtonOk = new QPushButton(QStringLiteral("&Ok"));
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Can&cel"));
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please enter new project name")));
    layout->addWidget(EditProjName);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ButtonOk, &QPushButton::clicked, this, &FormRename::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString FormRename::newName() const { return EditProjName->text().trimmed(); }

void FormRename::ButtonOkClick() {
    QtUi ui(dialogs_, this, QtUi::Hooks{});
    if (shell::renameDialogAccepts(ui, EditProjName->text().toStdString())) accept();
}

}  // namespace zb::app
