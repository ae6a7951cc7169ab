// The dialog only asks; whether the name is free is the store's decision, made after
// the dialog closes, against the project list as it is then.
#include "app/FormRename.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DialogFrame.h"
#include "app/DialogService.h"
#include "app/QtUi.h"
#include "shell/RenameProject.h"

namespace zb::app {

FormRename::FormRename(const QString& currentName, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
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

    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(QStringLiteral("Please enter new project name")));
    body->addWidget(EditProjName);
    layOutDialog(*this, body, nullptr, {ButtonOk, ButtonCancel});

    connect(ButtonOk, &QPushButton::clicked, this, &FormRename::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString FormRename::newName() const { return EditProjName->text().trimmed(); }

void FormRename::ButtonOkClick() {
    QtUi ui(dialogs_, this, QtUi::Hooks{});
    if (shell::renameDialogAccepts(ui, EditProjName->text().toStdString())) accept();
}

}  // namespace zb::app
