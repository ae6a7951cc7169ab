// "Delete Project". See DeleteProject.h.
#include "shell/DeleteProject.h"

#include "store/NameText.h"

namespace zb::shell {

std::string deleteQuestion(std::string_view projectName) {
    return "Do you want to delete '" + store::trimText(projectName) + "' project?";
}

bool SpDeleteClick(platform::Ui& ui, const store::ProjectStore& store, store::ProjectList& list,
                   backup::BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock) {
    if (list.empty()) return false;
    if (!ui.confirm(deleteQuestion(page.projectName), platform::MessageKind::Information)) return false;
    if (!store.deleteProject(page.projectName, list)) return false;
    if (list.empty()) {
        page.projectName.clear();
        page.record.filenamePrefix.clear();
        page.record.includeLines.clear();
        page.record.excludeLines.clear();
        page.archiveName.clear();
    } else {
        backup::LoadBackupPage(page, store, list[0], prefs, clock);
    }
    return true;
}

}  // namespace zb::shell
