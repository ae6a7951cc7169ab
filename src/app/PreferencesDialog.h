// TFormPreferences, "Preferences": the page "General" (start with the desktop, start
// minimised, the log's size) and the page "Backup" (zero fill of running numbers, the
// prompt before a backup, what to do with an existing archive). "Ap&ply" closes it with
// OK and "Clo&se" (the default button) without; what Apply does is the core's.
#pragma once

#include <QDialog>

#include "shell/PreferencesDialog.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace zb::app {

class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    void setValues(const shell::PreferencesDialogValues& values);
    shell::PreferencesDialogValues values() const;

    QTabWidget* pages = nullptr;
    QCheckBox* cbRun = nullptr;
    QCheckBox* cbMini = nullptr;
    QSpinBox* LogSpinEdit = nullptr;
    QCheckBox* cbWidth = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QCheckBox* cbprompt = nullptr;
    QRadioButton* rbOverwrite = nullptr;
    QRadioButton* rbSkip = nullptr;
    QPushButton* btnApply = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void cbRunClick();
};

}  // namespace zb::app
