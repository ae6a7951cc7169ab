// The Add Project wizard: six pages shown one at a time (name, files to include, files
// to exclude, destination and archive name, options, schedule) with "Help", "Back",
// "Next"/"Finish" and "Cancel". The widgets only hold what the user enters; the steps'
// checks, the captions, the preview and the writing at Finish are the core wizard's.
#pragma once

#include <QDialog>
#include <memory>

#include "shell/AddProjectWizard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTimeEdit;
class QToolButton;

namespace zb::app {

class FileListEditor;
class MainWindow;
class QtUi;

class FormProjectName : public QDialog {
    Q_OBJECT
public:
    explicit FormProjectName(MainWindow& window);
    ~FormProjectName() override;

    const shell::AddProjectWizard& wizard() const { return wizard_; }
    // The trimmed name the project was written under (after Finish).
    QString projectName() const;

    QStackedWidget* Notebook1 = nullptr;
    QPushButton* Button1 = nullptr;  // "Help"
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnClose = nullptr;
    // Step 1
    QLineEdit* comboproject = nullptr;
    // Step 2 (the names of both lists and their buttons point into the list editors)
    FileListEditor* IncludeFiles = nullptr;
    QListWidget* ListboxBackup = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* Button4 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QRadioButton* RadioYes = nullptr;
    QRadioButton* RadioNo = nullptr;
    // Step 3
    FileListEditor* ExcludeFiles = nullptr;
    QListWidget* ListBoxNobackup = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QLabel* LabelYesOrNo = nullptr;
    // Step 4
    QLineEdit* EditPrefix = nullptr;
    QRadioButton* RadioUseNone = nullptr;
    QRadioButton* RadioUseDate = nullptr;
    QRadioButton* RadioUserNumber = nullptr;
    QSpinBox* rxSpinvalue = nullptr;
    QLabel* Labelauto = nullptr;
    QSpinBox* RxSpinIncrease = nullptr;
    QLineEdit* EditFilename = nullptr;
    QToolButton* SpSelectDirectory = nullptr;
    // Step 5
    QCheckBox* CheckBoxPassword = nullptr;
    QLabel* LabInput = nullptr;
    QLineEdit* EditPassword = nullptr;
    QLabel* LabConfirm = nullptr;
    QLineEdit* EditConfirmPassword = nullptr;
    QCheckBox* CheckBoxpath = nullptr;
    QCheckBox* CheckBoxcomment = nullptr;
    QLineEdit* Editcomment = nullptr;
    QSlider* TrackBar1 = nullptr;
    // Step 6
    QRadioButton* radioNone = nullptr;
    QRadioButton* radioOnce = nullptr;
    QRadioButton* radioDaily = nullptr;
    QRadioButton* radioWeekly = nullptr;
    QTimeEdit* DateTimePicker1 = nullptr;
    QSpinBox* SpinEditNumber = nullptr;
    QLabel* cbhour = nullptr;
    QComboBox* cbWeekly = nullptr;

    void btnNextClick();
    void btnBackClick();

private:
    QWidget* buildStep1();
    QWidget* buildStep2();
    QWidget* buildStep3();
    QWidget* buildStep4();
    QWidget* buildStep5();
    QWidget* buildStep6();
    void connectControls();
    // Copies what the controls hold into the core wizard's fields.
    void readFields();
    // Shows what follows from the fields: the page, the captions, the enabled
    // controls, the prefix and the archive-name preview.
    void showState();
    void SpSelectDirectoryClick();
    void scheduleClicked();

    MainWindow& window_;
    std::unique_ptr<QtUi> ui_;
    shell::AddProjectWizard wizard_;
};

}  // namespace zb::app
