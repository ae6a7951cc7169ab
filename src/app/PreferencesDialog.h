// TFormPreferences, "Preferences": the page "General" (start with the desktop, start
// minimised, the log's size) and the page "Backup" (zero fill of running numbers, the
// prompt before a backup, what to do with an existing archive). "Ap&ply" sets the
// desktop start-up entry and writes the two start-up keys at once; the caller takes the
// other values after an OK close. "Clo&se" changes nothing.
#pragma once

#include <QDialog>

#include "store/Preferences.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace zb::app {

class DialogService;

class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(const store::PreferencesStore& store, std::string executablePath,
                      DialogService& dialogs, QWidget* parent = nullptr);

    // The held preferences into the controls, and back after an OK close.
    void setValues(const store::Preferences& prefs);
    void takeValues(store::Preferences& prefs) const;

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
    void FormCreate();
    void cbRunClick();
    void btnApplyClick();

    const store::PreferencesStore& store_;
    std::string executablePath_;
    DialogService& dialogs_;
};

}  // namespace zb::app
