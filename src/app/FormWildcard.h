// "Edit wildcard": the user's favourite wildcards, kept in "project.ini". The list is
// read when the dialog opens and written only by "&Ok"; "Can&cel" and the close box
// leave the file as it was.
#pragma once

#include <QDialog>

#include "store/Preferences.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace zb::app {

class DialogService;

class FormWildcard : public QDialog {
    Q_OBJECT
public:
    FormWildcard(const store::PreferencesStore& prefs, DialogService& dialogs, QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;
    QToolButton* Button4 = nullptr;       // delete the selected wildcard
    QToolButton* SpeedButton1 = nullptr;  // delete all wildcards
    QLineEdit* Edit1 = nullptr;
    QToolButton* SpNew = nullptr;         // add the typed wildcard
    QPushButton* Button1 = nullptr;       // "Help"
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    // The typed wildcard, trimmed, joins the list unless it is empty or already listed
    // (without regard to case); the field is emptied either way.
    void SpNewClick();
    // Writes the list as the favourites and closes with OK.
    void btnOkClick();

private:
    const store::PreferencesStore& prefs_;
    DialogService& dialogs_;
};

}  // namespace zb::app
