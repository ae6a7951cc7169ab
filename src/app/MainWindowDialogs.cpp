// The rename saves the page as it shows the project, under the new name; the core
// checks the fields before it erases anything, so a refused rename loses nothing.
#include "app/MainWindowDialogs.h"

#include <QComboBox>

#include "app/BackupPageWidgets.h"
#include "app/DialogService.h"
#include "app/FormProjectName.h"
#include "app/FormRename.h"
#include "app/MainWindow.h"
#include "shell/RenameProject.h"

namespace zb::app {

MainWindowDialogs::MainWindowDialogs(MainWindow& window) : QObject(&window), window_(window) {
    connect(&window, &MainWindow::renameRequested, this, &MainWindowDialogs::SpRenameClick);
    connect(&window, &MainWindow::newProjectRequested, this, &MainWindowDialogs::SpNewClick);
}

void MainWindowDialogs::SpRenameClick() {
    const QString oldName = window_.comboProject->currentText().trimmed();
    if (oldName.isEmpty()) return;
    FormRename dialog(oldName, window_.dialogs(), &window_);
    if (window_.dialogs().exec(dialog) != QDialog::Accepted) return;
    const QString newName = dialog.newName();
    backup::BackupPage page = window_.backupPageModel();
    window_.backupPage->readInto(page);
    store::RenameOutcome outcome = store::RenameOutcome::Unchanged;
    try {
        outcome = shell::SpRenameClick(window_.ui(), window_.projectStore(), window_.projectList(), page,
                                       newName.toStdString());
    } catch (const std::exception& e) {
        window_.dialogs().message(&window_, MessageKind::Error, kindCaption(MessageKind::Error),
                                  QString::fromStdString(e.what()));
        return;
    }
    if (outcome == store::RenameOutcome::Renamed) window_.projectListChanged(newName);
}

void MainWindowDialogs::SpNewClick() {
    FormProjectName wizard(window_);
    if (window_.dialogs().exec(wizard) != QDialog::Accepted) return;
    window_.reloadProjectList(wizard.projectName());
}

}  // namespace zb::app
