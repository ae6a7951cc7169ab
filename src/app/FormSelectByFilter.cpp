// The folder is held apart from the tree's model: the model fills itself in the
// background, but what "&Ok" adds must be exactly the folder the label shows.
#include "app/FormSelectByFilter.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeView>

#include "app/DialogFrame.h"
#include "app/DialogService.h"
#include "app/DriveList.h"
#include "app/FormControls.h"
#include "app/FormWildcard.h"

namespace zb::app {

FormSelectByFilter::FormSelectByFilter(const store::PreferencesStore& prefs, DialogService& dialogs,
                                       QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      prefs_(prefs),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TFormselectbyfilter"));
    setWindowTitle(QStringLiteral("Select files by wildcard"));

    LabelFolder = new QLabel;
    LabelFolder->setObjectName(QStringLiteral("LabelFolder"));
    LabelFolder->setMinimumWidth(360);
    LabelFolder->setWordWrap(true);
    DriveComboBox1 = new QComboBox;
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->addItems(userDrives());
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    folders_->setRootPath(QStringLiteral("/"));
    DirectoryListBox1 = new QTreeView;
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setModel(folders_);
    DirectoryListBox1->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column) DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->setMinimumHeight(220);
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    SpeedButton1 = toolButton(this, "SpeedButton1", QStyle::SP_FileDialogDetailedView, "Edit wildcard");
    btnOk = new QPushButton(QStringLiteral("&Ok"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Can&cel"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Folder name:")), 0, 0, Qt::AlignTop);
    grid->addWidget(LabelFolder, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Drives:")), 1, 0);
    grid->addWidget(DriveComboBox1, 1, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Directories:")), 2, 0, Qt::AlignTop);
    grid->addWidget(DirectoryListBox1, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Wildcard:")), 3, 0);
    grid->addWidget(ComboBox1, 3, 1);
    grid->addWidget(SpeedButton1, 3, 2);
    grid->setColumnStretch(1, 1);
    layOutDialog(*this, grid, nullptr, {btnOk, btnCancel});

    fillWildcards();
    setFolder(QDir::currentPath());

    connect(DriveComboBox1, &QComboBox::activated, this, &FormSelectByFilter::driveChosen);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) setFolder(folders_->filePath(current));
            });
    // The tree fills itself in the background: once the chosen folder's parents are
    // read, it is shown and marked.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] {
        const QSignalBlocker blockTree(DirectoryListBox1->selectionModel());
        const QModelIndex index = folders_->index(folder_);
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
    });
    connect(SpeedButton1, &QToolButton::clicked, this, &FormSelectByFilter::SpeedButton1Click);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FormSelectByFilter::setFolder(const QString& folder) {
    folder_ = folder;
    LabelFolder->setText(folder);
    const QString drive = driveOf(folder, userDrives());
    const QSignalBlocker blockDrives(DriveComboBox1);
    const QSignalBlocker blockTree(DirectoryListBox1->selectionModel());
    DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(drive));
    DirectoryListBox1->setRootIndex(folders_->index(drive));
    const QModelIndex index = folders_->index(folder);
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
}

void FormSelectByFilter::driveChosen(int index) {
    if (index >= 0) setFolder(DriveComboBox1->itemText(index));
}

QString FormSelectByFilter::selectedLine() const {
    QString line = folder_;
    if (!line.endsWith(QDir::separator())) line += QDir::separator();
    return line + ComboBox1->currentText().trimmed();
}

void FormSelectByFilter::fillWildcards() {
    ComboBox1->clear();
    for (const std::string& wildcard : prefs_.readWildcards()) ComboBox1->addItem(QString::fromStdString(wildcard));
    if (ComboBox1->count() == 0) {
        ComboBox1->setEditText(QStringLiteral("*.*"));
    } else {
        ComboBox1->setCurrentIndex(0);
    }
}

void FormSelectByFilter::SpeedButton1Click() {
    FormWildcard editor(prefs_, dialogs_, this);
    if (dialogs_.exec(editor) == QDialog::Accepted) fillWildcards();
}

}  // namespace zb::app
