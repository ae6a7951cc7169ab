// "Rename Project" without its widgets: the rename dialog's OK check and the rename
// itself with its messages. After a rename the window puts the list back into the
// project box with the new name selected, rebuilds the tray's "Backup" submenu, enters
// the view state and runs RebuildSchedule.
#pragma once

#include <string_view>

#include "backup/BackupPage.h"
#include "platform/Ui.h"
#include "store/ProjectList.h"
#include "store/ProjectStore.h"

namespace zb::shell {

// The rename dialog's "&Ok": an empty (trimmed) name shows the warning "Please enter
// project name" (caption "Warning") and keeps the dialog open (false).
bool renameDialogAccepts(platform::Ui& ui, std::string_view typedName);

// Renames the page's project to the trimmed `newName` and saves the page under it. A
// name of another project shows the error "Project Name exists,Rename fail!"; the
// project's own name in other letter case does nothing; a page the field check refuses
// shows the check's message and keeps the old project as it was. On Renamed the page
// shows the new name and what was written, and `list` holds the new name.
store::RenameOutcome SpRenameClick(platform::Ui& ui, const store::ProjectStore& store, store::ProjectList& list,
                                   backup::BackupPage& page, std::string_view newName);

}  // namespace zb::shell
