// The main window's enabling rules. See WindowState.h.
#include "shell/WindowState.h"

namespace zb::shell {

bool enabledByView(bool viewing, WindowControl control) {
    switch (control) {
        case WindowControl::ProjectBox:
        case WindowControl::RenameProject:
        case WindowControl::NewProject:
        case WindowControl::EditProject:
        case WindowControl::DeleteProject:
        case WindowControl::Preferences:
        case WindowControl::StartBackup:
        case WindowControl::StartRestore:
        case WindowControl::TrayBackupItems: return viewing;
        case WindowControl::SaveProject:
        case WindowControl::CancelEdit:
        case WindowControl::GroupSource:
        case WindowControl::GroupDestination:
        case WindowControl::GroupOptions:
        case WindowControl::GroupSchedule: return !viewing;
        case WindowControl::Pages: return true;
    }
    return true;
}

bool enabledByIdle(bool idle, WindowControl control) {
    switch (control) {
        case WindowControl::SaveProject:
        case WindowControl::CancelEdit:
        case WindowControl::GroupSource:
        case WindowControl::GroupDestination:
        case WindowControl::GroupOptions:
        case WindowControl::GroupSchedule: return true;
        default: return idle;
    }
}

bool controlEnabled(const WindowState& state, WindowControl control) {
    return enabledByView(state.viewing, control) && enabledByIdle(state.idle, control);
}

bool hourglass(const WindowState& state) { return !state.idle; }

void SetViewState(WindowState& state, bool viewing) { state.viewing = viewing; }

void SetIdleState(WindowState& state, bool idle) { state.idle = idle; }

bool SpEditClick(WindowState& state, bool hasProject) {
    if (!hasProject || !controlEnabled(state, WindowControl::EditProject)) return false;
    state.viewing = false;
    return true;
}

bool timerMayStart(const WindowState& state) { return state.viewing && state.idle; }

}  // namespace zb::shell
