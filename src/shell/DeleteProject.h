// "Delete Project" without its widgets: the question, the delete itself, and what the
// page shows afterwards (the first remaining project, or nothing at all). The window
// then rebuilds the project box and the tray's "Backup" submenu from the list and runs
// RebuildSchedule.
#pragma once

#include <string>
#include <string_view>

#include "backup/BackupPage.h"
#include "platform/DateTime.h"
#include "platform/Ui.h"
#include "store/Preferences.h"
#include "store/ProjectList.h"
#include "store/ProjectStore.h"

namespace zb::shell {

// "Do you want to delete '<name>' project?", asked with the information icon.
std::string deleteQuestion(std::string_view projectName);

// Asks about the page's project and, on Yes, erases its section and rewrites the list
// keys of "Common" (`list` follows). The page then shows the first remaining project,
// or is emptied (name, prefix, archive name and both lists) when none is left. True
// when the project was deleted. Nothing happens with an empty list.
bool SpDeleteClick(platform::Ui& ui, const store::ProjectStore& store, store::ProjectList& list,
                   backup::BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock);

}  // namespace zb::shell
