// The main window's states as data: view or edit (SetViewState), and idle or busy
// (SetIdleState). For each control the two states name, whether it is enabled; the two
// rules compose, so a control is enabled only when both allow it. The window keeps one
// WindowState, changes it through the functions below and then enables every control
// as controlEnabled says (and sets the cursor as hourglass says).
//
// Beyond the window's original tables: while busy the project box, "Add Project",
// "Edit Project", "Delete Project", "Rename Project" and "Preferences..." are disabled
// too, because the engine lets window events run while it works and choosing, adding,
// editing or deleting a project mid-run would make the run store its number into
// another project; and in the edit state the tray's "Backup" items are disabled, since
// a click would reload the page and discard the edits.
#pragma once

namespace zb::shell {

enum class WindowControl {
    ProjectBox,       // comboProject
    RenameProject,    // SpRename
    NewProject,       // SpNew
    EditProject,      // SpEdit
    DeleteProject,    // SpDelete
    Preferences,      // menuPreferences, "Preferences..."
    StartBackup,      // SpStart
    StartRestore,     // SpRestore
    SaveProject,      // SpSave
    CancelEdit,       // SpCancel
    GroupSource,      // the four groups of the page "Backup "
    GroupDestination,
    GroupOptions,
    GroupSchedule,
    Pages,            // PageControl1: no page can be switched or used
    TrayBackupItems,  // every item of the tray's "Backup" submenu
};

// Every control above, for a loop that applies the state.
inline constexpr WindowControl kAllWindowControls[] = {
    WindowControl::ProjectBox,   WindowControl::RenameProject, WindowControl::NewProject,
    WindowControl::EditProject,  WindowControl::DeleteProject, WindowControl::Preferences,
    WindowControl::StartBackup,  WindowControl::StartRestore,  WindowControl::SaveProject,
    WindowControl::CancelEdit,   WindowControl::GroupSource,   WindowControl::GroupDestination,
    WindowControl::GroupOptions, WindowControl::GroupSchedule, WindowControl::Pages,
    WindowControl::TrayBackupItems,
};

struct WindowState {
    bool viewing = true;  // view state (false: a project is being edited)
    bool idle = true;     // no backup or restore is running
};

// The view/edit table alone, the idle/busy table alone, and both composed.
bool enabledByView(bool viewing, WindowControl control);
bool enabledByIdle(bool idle, WindowControl control);
bool controlEnabled(const WindowState& state, WindowControl control);

// The hourglass cursor is shown while "Start Backup" is disabled by a run.
bool hourglass(const WindowState& state);

// SetViewState / SetIdleState.
void SetViewState(WindowState& state, bool viewing);
void SetIdleState(WindowState& state, bool idle);

// "Edit Project": enters the edit state only when a project is listed and nothing
// runs. True when the state changed; the window then shows the page "Backup " and,
// when the include list has a line, focuses it with its first line selected.
bool SpEditClick(WindowState& state, bool hasProject);

// The schedule timer starts nothing while a project is edited or a run goes on.
bool timerMayStart(const WindowState& state);

}  // namespace zb::shell
