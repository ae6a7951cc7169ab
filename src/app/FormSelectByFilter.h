// "Select files by wildcard": a folder and a wildcard that together make one line of an
// include or exclude list. The folder tree starts at the process's current folder; the
// wildcard drop-down offers the user's favourites, which "Edit wildcard" maintains.
#pragma once

#include <QDialog>

#include "store/Preferences.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QToolButton;
class QTreeView;

namespace zb::app {

class DialogService;

class FormSelectByFilter : public QDialog {
    Q_OBJECT
public:
    FormSelectByFilter(const store::PreferencesStore& prefs, DialogService& dialogs, QWidget* parent = nullptr);

    QLabel* LabelFolder = nullptr;        // always the chosen folder
    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;       // the wildcard, editable
    QToolButton* SpeedButton1 = nullptr;  // "Edit wildcard"
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    QString folder() const { return folder_; }
    // Chooses the folder as a click in the tree does (and its drive in "Drives:").
    void setFolder(const QString& folder);
    // The list line the choice makes: the folder, a separator when it does not end in
    // one, and the trimmed wildcard.
    QString selectedLine() const;
    // Opens "Edit wildcard"; after OK the drop-down is filled again from the file.
    void SpeedButton1Click();

private:
    void fillWildcards();
    void driveChosen(int index);

    const store::PreferencesStore& prefs_;
    DialogService& dialogs_;
    QFileSystemModel* folders_ = nullptr;
    QString folder_;
};

}  // namespace zb::app
