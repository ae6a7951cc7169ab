// The rename saves the page as it shows the project, under the new name; the store
// checks the fields before it erases anything, so a refused rename loses nothing.
#include "app/MainWindowDialogs.h"

#include <QComboBox>
#include <QListWidget>
#include <QToolButton>

#include "app/AddByWildcard.h"
#include "app/BackupPageWidgets.h"
#include "app/DialogService.h"
#include "app/FormRename.h"
#include "app/MainWindow.h"

namespace zb::app {

MainWindowDialogs::MainWindowDialogs(MainWindow& window) : QObject(&window), window_(window) {
    BackupPageWidgets* page = window.backupPage;
    connect(&window, &MainWindow::renameRequested, this, &MainWindowDialogs::SpRenameClick);
    connect(page->Button1, &QToolButton::clicked, this, [this, page] {
        AddByWildcard(*page->ListboxBackup, window_.preferencesStore(), window_.dialogs(), &window_);
    });
    connect(page->Button6, &QToolButton::clicked, this, [this, page] {
        AddByWildcard(*page->ListBoxNobackup, window_.preferencesStore(), window_.dialogs(), &window_);
    });
}

void MainWindowDialogs::SpRenameClick() {
    const QString oldName = window_.comboProject->currentText().trimmed();
    if (oldName.isEmpty()) return;
    FormRename dialog(oldName, window_.dialogs(), &window_);
    if (window_.dialogs().exec(dialog) != QDialog::Accepted) return;
    const QString newName = dialog.newName();
    backup::BackupPage page = window_.backupPageModel();
    window_.backupPage->readInto(page);
    store::RenameResult result;
    try {
        result = window_.projectStore().renameProject(oldName.toStdString(), newName.toStdString(), page.record,
                                                      page.archiveName, window_.projectList());
    } catch (const std::exception& e) {
        window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error),
                                  QString::fromStdString(e.what()));
        return;
    }
    switch (result.outcome) {
        case store::RenameOutcome::Renamed:
            window_.projectListChanged(newName);
            break;
        case store::RenameOutcome::NameExists:
        case store::RenameOutcome::Refused:
        case store::RenameOutcome::EmptyName:
            window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error),
                                      QString::fromStdString(result.message));
            break;
        case store::RenameOutcome::Unchanged:
        case store::RenameOutcome::NotListed:
            break;
    }
}

}  // namespace zb::app
