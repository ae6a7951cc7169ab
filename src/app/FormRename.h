// "Rename project": asks for the project's new name. "&Ok" refuses an empty name with
// a warning and keeps the dialog open; the caller renames through the store.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zb::app {

class DialogService;

class FormRename : public QDialog {
    Q_OBJECT
public:
    FormRename(const QString& currentName, DialogService& dialogs, QWidget* parent = nullptr);

    QLineEdit* EditProjName = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

    QString newName() const;
    void ButtonOkClick();

private:
    DialogService& dialogs_;
};

}  // namespace zb::app
