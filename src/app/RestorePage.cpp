// The page "Restore" and its actions. Each action reads the controls, calls the core
// (archive folder, sort menu, restore session) and shows what came back.
#include "app/RestorePage.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/GridModel.h"
#include "app/GridView.h"
#include "app/MainWindow.h"
#include "platform/ShellOpen.h"
#include "restore/ArchiveFolder.h"
#include "restore/ArchiveSort.h"
#include "shell/SortMenu.h"

namespace zb::app {

namespace {

// What the member list shows for an archive without members, so that the previous
// archive's members never stand under another archive's name.
const char* const kNoMembers = "(no files in this archive)";

QString q(const std::string& text) { return QString::fromStdString(text); }

QToolButton* browseButton(QWidget* owner, const char* name) {
    auto* button = new QToolButton(owner);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(owner->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setToolTip(QStringLiteral("Please select directory"));
    return button;
}

QLabel* countLabel(const char* name) {
    auto* label = new QLabel(QString::fromStdString(restore::TotalFilesLabel(0)));
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

RestorePage::RestorePage(MainWindow& window)
    : QWidget(window.TabRestore()),
      window_(window),
      session_(window.ui(), window.activityLog(), &window.cancelRequest()) {
    setObjectName(QStringLiteral("RestorePage"));
    openArchive = [](const std::string& path) { platform::shellOpen(path); };
    auto* host = new QVBoxLayout(window.TabRestore());
    host->setContentsMargins(0, 0, 0, 0);
    host->addWidget(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(buildLists(), 1);
    layout->addWidget(buildOptions());
    buildMenu();

    connect(&window, &MainWindow::pageEntered, this, [this](int index) {
        if (index == MainWindow::kPageRestore) PageControl1Change();
    });
    connect(&window, &MainWindow::restoreRequested, this, [this] { SpRestoreClick(); });
    showArchives();
    clearMembers();
}

RestorePage::~RestorePage() = default;

QWidget* RestorePage::buildLists() {
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QStringLiteral("Zip folder:")));
    DirectoryView = new QLineEdit(QDir::homePath());
    DirectoryView->setObjectName(QStringLiteral("DirectoryView"));
    DirectoryView->setReadOnly(true);  // changed only by browsing or by the program
    folderRow->addWidget(DirectoryView, 1);
    DirectoryViewButton = browseButton(this, "DirectoryViewButton");
    folderRow->addWidget(DirectoryViewButton);
    grid->addLayout(folderRow, 0, 0, 1, 2);

    archives_ = new GridModel({QStringLiteral("Filename"), QStringLiteral("Size(KB)"), QStringLiteral("Date")});
    StringGridZipfilename = makeGrid("StringGridZipfilename", archives_, {211, 131, 257});
    StringGridZipfilename->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridZipfilename->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGridZipfilename->setToolTip(QStringLiteral(
        "Right-click it to open menu\nDouble-click it to open file\nShift+click to select multi-file"));
    StringGridZipfilename->setContextMenuPolicy(Qt::CustomContextMenu);
    LabelZipNumber = countLabel("LabelZipNumber");
    grid->addWidget(new QLabel(QStringLiteral("Zip file list:")), 1, 0);
    grid->addWidget(LabelZipNumber, 1, 1);
    grid->addWidget(StringGridZipfilename, 2, 0, 1, 2);

    members_ = new GridModel({QStringLiteral("Filename"), QStringLiteral("Size(B)"), QStringLiteral("Path")});
    StringGrid1 = makeGrid("StringGrid1", members_, {212, 129, 258});
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setContextMenuPolicy(Qt::PreventContextMenu);
    LabelfileNumber = countLabel("LabelfileNumber");
    grid->addWidget(new QLabel(QStringLiteral("Zip file details:")), 3, 0);
    grid->addWidget(LabelfileNumber, 3, 1);
    grid->addWidget(StringGrid1, 4, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setRowStretch(4, 1);

    connect(DirectoryViewButton, &QToolButton::clicked, this, &RestorePage::DirectoryViewBrowse);
    connect(StringGridZipfilename->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (selectCellAttached_ && current.isValid()) StringGridZipfilenameSelectCell(current.row());
            });
    connect(StringGridZipfilename, &QTableView::doubleClicked, this, [this] { StringGridZipfilenameDblClick(); });
    connect(StringGridZipfilename, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenuStringPopup();
        PopupMenuString->popup(StringGridZipfilename->viewport()->mapToGlobal(at));
    });
    return box;
}

QGroupBox* RestorePage::buildOptions() {
    GroupRestoreOptions = new QGroupBox(QStringLiteral("Options"));
    GroupRestoreOptions->setObjectName(QStringLiteral("GroupRestoreOptions"));
    auto* column = new QVBoxLayout(GroupRestoreOptions);
    column->addWidget(new QLabel(QStringLiteral("Extract to:")));
    auto* destination = new QHBoxLayout;
    DirectoryRestore = new QLineEdit(QDir::homePath());
    DirectoryRestore->setObjectName(QStringLiteral("DirectoryRestore"));
    destination->addWidget(DirectoryRestore, 1);
    DirectoryRestoreButton = browseButton(this, "DirectoryRestoreButton");
    destination->addWidget(DirectoryRestoreButton);
    column->addLayout(destination);
    CheckBoxUseFolder = new QCheckBox(QStringLiteral("Use Original Folder Names"));
    CheckBoxUseFolder->setObjectName(QStringLiteral("CheckBoxUseFolder"));
    CheckBoxUseFolder->setChecked(true);
    column->addWidget(CheckBoxUseFolder);
    column->addWidget(new QLabel(QStringLiteral("If Has Password:")));
    EditRestorePassword = new QLineEdit;
    EditRestorePassword->setObjectName(QStringLiteral("EditRestorePassword"));
    EditRestorePassword->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the style's own mask character is.
    EditRestorePassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    column->addWidget(EditRestorePassword);
    column->addSpacing(6);
    column->addWidget(new QLabel(QStringLiteral("Overwrite Mode:")));
    auto radio = [&](const char* name, zip::TUZOverwriteMode mode) {
        auto* button = new QRadioButton(QString::fromLatin1(restore::OverwriteModeCaption(mode)));
        button->setObjectName(QString::fromLatin1(name));
        column->addWidget(button);
        return button;
    };
    RadioAlways = radio("RadioAlways", zip::Always);
    RadioPrompt = radio("RadioPrompt", zip::Prompt);
    RadioNever = radio("RadioNever", zip::Never);
    RadioNewer = radio("RadioNewer", zip::ifNewer);
    RadioOlder = radio("RadioOlder", zip::ifOlder);
    RadioNever->setChecked(true);
    column->addStretch();

    connect(DirectoryRestoreButton, &QToolButton::clicked, this, [this] {
        const QString folder = window_.dialogs().chooseFolder(this, QStringLiteral("Please select directory"),
                                                              DirectoryRestore->text().trimmed());
        if (!folder.isEmpty()) DirectoryRestore->setText(folder);
    });
    return GroupRestoreOptions;
}

void RestorePage::buildMenu() {
    PopupMenuString = new QMenu(this);
    PopupMenuString->setObjectName(QStringLiteral("PopupMenuString"));
    FilesSort = PopupMenuString->addMenu(QStringLiteral("Files Sort"));
    auto* fields = new QActionGroup(this);
    auto* directions = new QActionGroup(this);
    auto item = [&](QActionGroup* group, const char* name, const char* text, int tag) {
        QAction* action = FilesSort->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        action->setData(tag);
        action->setCheckable(true);
        action->setChecked(shell::sortItemChecked(window_.preferences(), tag));
        group->addAction(action);
        return action;
    };
    PupMenuByname = item(fields, "PupMenuByname", "By name", shell::kTagByName);
    PupmenuBysize = item(fields, "PupmenuBysize", "By size", shell::kTagBySize);
    PupMenuBydate = item(fields, "PupMenuBydate", "By date", shell::kTagByDate);
    FilesSort->addSeparator();
    PopupmenuAsc = item(directions, "PopupmenuAsc", "Ascending", shell::kTagAscending);
    PopupmenuDesc = item(directions, "PopupmenuDesc", "Descending", shell::kTagDescending);
    menuspe = PopupMenuString->addSeparator();
    OpenZipFile1 = PopupMenuString->addAction(QStringLiteral("Open Zip File"));
    OpenZipFile1->setObjectName(QStringLiteral("OpenZipFile1"));
    menuDelete = PopupMenuString->addAction(QStringLiteral("Delete Zip Files"));
    menuDelete->setObjectName(QStringLiteral("menuDelete"));

    connect(FilesSort, &QMenu::triggered, this, &RestorePage::PopupmenuAscClick);
    connect(OpenZipFile1, &QAction::triggered, this, &RestorePage::StringGridZipfilenameDblClick);
    connect(menuDelete, &QAction::triggered, this, &RestorePage::menuDeleteClick);
}

QString RestorePage::folderText() {
    // Stored back trimmed, so the folder shown is the folder used.
    const QString folder = DirectoryView->text().trimmed();
    if (folder != DirectoryView->text()) DirectoryView->setText(folder);
    return folder;
}

QString RestorePage::currentFileName() const {
    const int row = StringGridZipfilename->selectionModel()->currentIndex().row();
    return archives_->cell(row, 0).trimmed();
}

void RestorePage::PageControl1Change() {
    DirectoryView->setText(q(window_.backupPageModel().record.savePath));
    DirectoryViewChange();
}

void RestorePage::DirectoryViewBrowse() {
    const QString folder =
        window_.dialogs().chooseFolder(this, QStringLiteral("Please select directory"), DirectoryView->text());
    if (folder.isEmpty()) return;
    DirectoryView->setText(folder);
    DirectoryViewChange();
}

void RestorePage::DirectoryViewChange() {
    selectCellAttached_ = false;
    const store::Preferences& prefs = window_.preferences();
    try {
        rows_ = restore::DirectoryViewChange(DirectoryView->text().toStdString(),
                                             static_cast<restore::SortColumn>(prefs.sortField), prefs.sortDescending)
                    .rows;
    } catch (const std::exception& e) {
        rows_.clear();
        window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error), q(e.what()));
    }
    showArchives();
    if (rows_.empty()) {
        clearMembers();
    } else {
        selectFirstArchive();
    }
    LabelZipNumber->setText(q(restore::TotalFilesLabel(rows_.size())));
    selectCellAttached_ = true;
}

void RestorePage::showArchives() {
    std::vector<QStringList> cells;
    for (const restore::ArchiveRow& row : rows_) cells.push_back({q(row.Filename), q(row.SizeKb), q(row.Date)});
    // A folder without archives still shows one (empty) row.
    if (cells.empty()) cells.emplace_back();
    archives_->setRows(std::move(cells));
}

void RestorePage::clearMembers() {
    members_->setRows({QStringList()});
    LabelfileNumber->setText(q(restore::TotalFilesLabel(0)));
}

void RestorePage::selectFirstArchive() {
    const bool attached = selectCellAttached_;
    selectCellAttached_ = false;
    StringGridZipfilename->setCurrentIndex(archives_->index(0, 0));
    StringGridZipfilename->selectRow(0);
    selectCellAttached_ = attached;
    ShowArchiveMembers(archives_->cell(0, 0));
}

void RestorePage::StringGridZipfilenameSelectCell(int row) { ShowArchiveMembers(archives_->cell(row, 0)); }

void RestorePage::ShowArchiveMembers(const QString& fileName) {
    const QString name = fileName.trimmed();
    if (name.isEmpty()) return;
    restore::MemberListing listing;
    try {
        listing = session_.ShowArchiveMembers(folderText().toStdString(), name.toStdString());
    } catch (const std::exception& e) {
        // The member list keeps what it showed.
        window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error), q(e.what()));
        return;
    }
    if (listing.rows.empty()) {
        members_->setRows({QStringList{QString::fromLatin1(kNoMembers)}});
        LabelfileNumber->setText(q(restore::TotalFilesLabel(0)));
        return;
    }
    std::vector<QStringList> cells;
    for (const restore::MemberRow& row : listing.rows) cells.push_back({q(row.Filename), q(row.SizeB), q(row.Path)});
    members_->setRows(std::move(cells));
    LabelfileNumber->setText(q(listing.countLabel));
}

void RestorePage::PopupMenuStringPopup() {
    const bool hasArchive = !archives_->cell(0, 0).trimmed().isEmpty();
    menuspe->setVisible(hasArchive);
    OpenZipFile1->setVisible(hasArchive);
    menuDelete->setVisible(hasArchive);
}

void RestorePage::PopupmenuAscClick(QAction* item) {
    item->setChecked(true);
    if (!shell::applySortTag(window_.preferences(), item->data().toInt())) return;
    if (rows_.empty()) return;
    selectCellAttached_ = false;
    const store::Preferences& prefs = window_.preferences();
    restore::SortArchiveList(rows_, static_cast<restore::SortColumn>(prefs.sortField), prefs.sortDescending);
    showArchives();
    selectFirstArchive();
    selectCellAttached_ = true;
}

void RestorePage::StringGridZipfilenameDblClick() {
    const QString name = currentFileName();
    if (name.isEmpty()) return;
    openArchive(restore::ArchivePathIn(DirectoryView->text().trimmed().toStdString(), name.toStdString()));
}

void RestorePage::menuDeleteClick() {
    int top = StringGridZipfilename->selectionModel()->currentIndex().row();
    int bottom = top;
    const QModelIndexList selected = StringGridZipfilename->selectionModel()->selectedRows();
    if (!selected.isEmpty()) {
        top = bottom = selected.front().row();
        for (const QModelIndex& index : selected) {
            top = std::min(top, index.row());
            bottom = std::max(bottom, index.row());
        }
    }
    const QString folder = folderText();
    std::vector<std::string> names;
    for (int row = std::max(top, 0); row <= bottom && row < static_cast<int>(rows_.size()); ++row)
        names.push_back(rows_[static_cast<std::size_t>(row)].Filename);
    if (!names.empty()) restore::DeleteArchives(window_.ui(), folder.toStdString(), names);
    // Yes or No, the list shows the folder as it now is.
    DirectoryViewChange();
}

zip::TUZOverwriteMode RestorePage::overwriteMode() const {
    if (RadioAlways->isChecked()) return zip::Always;
    if (RadioPrompt->isChecked()) return zip::Prompt;
    if (RadioNewer->isChecked()) return zip::ifNewer;
    if (RadioOlder->isChecked()) return zip::ifOlder;
    return zip::Never;
}

restore::RestoreResult RestorePage::SpRestoreClick() {
    if (!window_.isIdle()) return {};
    restore::RestoreChoices choices;
    choices.folder = folderText().toStdString();
    choices.fileName = currentFileName().toStdString();
    choices.destination = DirectoryRestore->text().toStdString();
    choices.useFolderNames = CheckBoxUseFolder->isChecked();
    choices.overwriteMode = overwriteMode();
    choices.password = EditRestorePassword->text().toStdString();
    // The window's "Cancel" button, Escape and closing the window stop the run through
    // the window's cancel request, which the session was given.
    const restore::RestoreResult result =
        session_.SpRestoreClick(choices, window_.comboProject->currentText().toStdString());
    if (result.outcome == restore::RestoreOutcome::Succeeded || result.outcome == restore::RestoreOutcome::Failed ||
        result.outcome == restore::RestoreOutcome::Cancelled)
        emit window_.logChanged();
    return result;
}

}  // namespace zb::app
