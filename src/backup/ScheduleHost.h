// What the schedule tick needs from the program that owns the projects: whether a run
// may start now, selecting and loading a project by name, the "prompt before backup"
// preference, and starting the backup of the loaded project. The window implements it
// with its controls; the tests with a script.
#pragma once

#include <string>

namespace zb::backup {

class ScheduleHost {
public:
    virtual ~ScheduleHost() = default;
    // A project is being edited: no timer start may change what is shown.
    virtual bool isEditing() const = 0;
    // A backup or restore is running (the start button is disabled).
    virtual bool isBusy() const = 0;
    // Selects the project of that name (found without regard to case) and loads it;
    // false when there is no such project any more.
    virtual bool selectProject(const std::string& name) = 0;
    virtual bool askBeforeBackup() const = 0;
    virtual void setAskBeforeBackup(bool on) = 0;
    // Runs the backup of the loaded project. False when the run ended with an error
    // (already shown and logged by the run).
    virtual bool startBackup() = 0;
};

}  // namespace zb::backup
