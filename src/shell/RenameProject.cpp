// "Rename Project". See RenameProject.h.
#include "shell/RenameProject.h"

#include "store/NameText.h"

namespace zb::shell {

bool renameDialogAccepts(platform::Ui& ui, std::string_view typedName) {
    if (!store::trimText(typedName).empty()) return true;
    ui.messageBox(platform::MessageKind::Warning, "Please enter project name", "Warning");
    return false;
}

store::RenameOutcome SpRenameClick(platform::Ui& ui, const store::ProjectStore& store, store::ProjectList& list,
                                   backup::BackupPage& page, std::string_view newName) {
    if (store::trimText(page.projectName).empty()) return store::RenameOutcome::NotListed;
    store::ProjectRecord record = backup::pageRecord(page);
    const store::RenameResult result = store.renameProject(page.projectName, newName, record, page.archiveName, list);
    switch (result.outcome) {
        case store::RenameOutcome::Renamed:
            page.projectName = store::trimText(newName);
            page.record = std::move(record);
            break;
        case store::RenameOutcome::EmptyName:
            ui.messageBox(platform::MessageKind::Warning, result.message, "Warning");
            break;
        case store::RenameOutcome::NameExists:
        case store::RenameOutcome::Refused:
            ui.messageBox(platform::MessageKind::Error, result.message, "Error");
            break;
        default: break;
    }
    return result.outcome;
}

}  // namespace zb::shell
