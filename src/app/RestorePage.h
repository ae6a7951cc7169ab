// The page "Restore": the archive folder with its list of archives, the members of the
// selected archive, and the options of a restore (destination, folder names, password,
// overwrite rule). Listing, sorting, deleting and the restore run are the core's; the
// page shows what they return and wires the menus, the grids' selection and the
// window's busy state and "Cancel" button to them.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "restore/ArchiveRow.h"
#include "restore/RestoreOutcome.h"
#include "restore/RestoreSession.h"
#include "zip/ZipReaderTypes.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTableView;
class QToolButton;

namespace zb::app {

class GridModel;
class MainWindow;

class RestorePage : public QWidget {
    Q_OBJECT
public:
    explicit RestorePage(MainWindow& window);
    ~RestorePage() override;

    // Entering the page: the folder becomes the shown project's save folder, listed anew.
    void PageControl1Change();
    // Rebuilds the archive list for the folder field, sorted, row 1 selected with its
    // members shown.
    void DirectoryViewChange();
    void DirectoryViewBrowse();
    void PopupMenuStringPopup();
    void PopupmenuAscClick(QAction* item);
    void StringGridZipfilenameDblClick();
    void menuDeleteClick();
    void ShowArchiveMembers(const QString& fileName);
    restore::RestoreResult SpRestoreClick();

    // The overwrite rule of the checked radio button.
    zip::TUZOverwriteMode overwriteMode() const;
    // The archive list's model and the member list's model, as the grids show them.
    const GridModel& archiveRows() const { return *archives_; }
    const GridModel& memberRows() const { return *members_; }

    // Opens an archive with the desktop's program; tests replace it.
    std::function<void(const std::string& path)> openArchive;

    QLineEdit* DirectoryView = nullptr;
    QToolButton* DirectoryViewButton = nullptr;
    QTableView* StringGridZipfilename = nullptr;
    QLabel* LabelZipNumber = nullptr;
    QTableView* StringGrid1 = nullptr;
    QLabel* LabelfileNumber = nullptr;
    QGroupBox* GroupRestoreOptions = nullptr;
    QLineEdit* DirectoryRestore = nullptr;
    QToolButton* DirectoryRestoreButton = nullptr;
    QCheckBox* CheckBoxUseFolder = nullptr;
    QLineEdit* EditRestorePassword = nullptr;
    QRadioButton* RadioAlways = nullptr;
    QRadioButton* RadioPrompt = nullptr;
    QRadioButton* RadioNever = nullptr;
    QRadioButton* RadioNewer = nullptr;
    QRadioButton* RadioOlder = nullptr;
    QMenu* PopupMenuString = nullptr;
    QMenu* FilesSort = nullptr;
    QAction* PupMenuByname = nullptr;
    QAction* PupmenuBysize = nullptr;
    QAction* PupMenuBydate = nullptr;
    QAction* PopupmenuAsc = nullptr;
    QAction* PopupmenuDesc = nullptr;
    QAction* menuspe = nullptr;
    QAction* OpenZipFile1 = nullptr;
    QAction* menuDelete = nullptr;

private:
    QWidget* buildLists();
    QGroupBox* buildOptions();
    void buildMenu();
    void showArchives();
    void clearMembers();
    void selectFirstArchive();
    void StringGridZipfilenameSelectCell(int row);
    QString folderText();
    QString currentFileName() const;

    MainWindow& window_;
    restore::RestoreSession session_;
    GridModel* archives_ = nullptr;
    GridModel* members_ = nullptr;
    restore::ArchiveRows rows_;
    // While the list is rebuilt or sorted, moving the selection loads no archive.
    bool selectCellAttached_ = true;
};

}  // namespace zb::app
