// The page "Backup ": the groups "Source", "Destination", "Options" and "Schedule"
// with the controls that show the selected project. The page shows a project model and
// reads it back; the rules of naming, checking and storing stay in the core.
#pragma once

#include <QWidget>

#include "backup/BackupPage.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTimeEdit;
class QToolButton;

namespace zb::app {

class FileListEditor;

class BackupPageWidgets : public QWidget {
    Q_OBJECT
public:
    explicit BackupPageWidgets(QWidget* parent = nullptr);

    // Shows the project. A stored suffix or schedule kind the program does not know
    // leaves its radio buttons as they were.
    void showPage(const backup::BackupPage& page);
    // Reads the controls into the page: the record's fields, the number fields and the
    // archive name as the field holds it (typed text included).
    void readInto(backup::BackupPage& page) const;
    // Empties the page as deleting the last project does.
    void clearPage();

    void setEditable(bool editable);

    // The suffix buttons with the number fields and the archive name, and the schedule
    // group, as the page model says after a click.
    void showNameFields(const backup::BackupPage& page);
    void showSchedule(const backup::ScheduleFields& fields);

    QGroupBox* GroupSource = nullptr;
    // The two lists with their buttons; the names below point into them.
    FileListEditor* IncludeFiles = nullptr;
    FileListEditor* ExcludeFiles = nullptr;
    QListWidget* ListboxBackup = nullptr;
    QListWidget* ListBoxNobackup = nullptr;
    QToolButton* Button1 = nullptr;       // include: add by wildcard
    QToolButton* Button2 = nullptr;       // include: add by file name
    QToolButton* Button4 = nullptr;       // include: delete the selected line
    QToolButton* SpeedButton1 = nullptr;  // include: delete all lines
    QToolButton* Button6 = nullptr;       // exclude: add by wildcard
    QToolButton* Button3 = nullptr;       // exclude: add by file name
    QToolButton* Button5 = nullptr;       // exclude: delete the selected line
    QToolButton* SpeedButton2 = nullptr;  // exclude: delete all lines
    QRadioButton* RadioYes = nullptr;
    QRadioButton* RadioNo = nullptr;

    QGroupBox* GroupDes = nullptr;
    QLineEdit* EditPrefix = nullptr;
    QRadioButton* RadioUseNone = nullptr;
    QRadioButton* RadioUseDate = nullptr;
    QRadioButton* RadioUserNumber = nullptr;
    QSpinBox* rxSpinvalue = nullptr;
    QLabel* Labelauto = nullptr;
    QSpinBox* RxSpinIncrease = nullptr;
    QLineEdit* EditFilename = nullptr;
    QToolButton* SpSelectDirectory = nullptr;

    QGroupBox* GroupOption = nullptr;
    QCheckBox* CheckBoxPassword = nullptr;
    QLineEdit* EditPassword = nullptr;
    QLineEdit* EditConfirmPassword = nullptr;
    QCheckBox* CheckBoxpath = nullptr;
    QCheckBox* CheckBoxcomment = nullptr;
    QLineEdit* Editcomment = nullptr;
    QSlider* TrackBar1 = nullptr;

    QGroupBox* GroupSche = nullptr;
    QRadioButton* radioNone = nullptr;
    QRadioButton* radioOnce = nullptr;
    QTimeEdit* DateTimePicker1 = nullptr;
    QRadioButton* radioDaily = nullptr;
    QSpinBox* SpinEditNumber = nullptr;
    QLabel* cbhour = nullptr;
    QRadioButton* radioWeekly = nullptr;
    QComboBox* cbWeekly = nullptr;

signals:
    // A field the archive name is computed from changed (prefix, number, step, suffix).
    void nameInputsChanged();
    void suffixClicked(backup::ArchiveSuffix suffix);
    void scheduleKindClicked(backup::ScheduleKind kind);

private:
    void buildSource();
    void buildDestination();
    void buildOptions();
    void buildSchedule();
};

}  // namespace zb::app
