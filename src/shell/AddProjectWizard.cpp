// The Add Project wizard's steps and rules. See AddProjectWizard.h.
#include "shell/AddProjectWizard.h"

#include "platform/Paths.h"
#include "store/NameText.h"

namespace zb::shell {

AddProjectWizard::AddProjectWizard(const store::ProjectList& projects, const store::Preferences& prefs,
                                   const platform::Clock& clock)
    : projects_(projects), prefs_(prefs), clock_(clock) {
    fields.saveFolder = platform::homeFolder();
}

std::string AddProjectWizard::caption() const {
    return "Add project wizard - Step " + std::to_string(step_) + " of " + std::to_string(kStepCount);
}

std::string AddProjectWizard::nextCaption() const { return step_ == kStepCount ? "Finish" : "Next"; }

std::optional<std::string> AddProjectWizard::checkStep() const {
    switch (step_) {
        case 1: return store::checkNewProjectName(fields.name, projects_);
        case 2:
            if (fields.includeLines.empty()) return "Please select files to backup";
            break;
        case 4:
            if (store::trimText(fields.prefix).empty()) return "Please enter the prefix of backup filename";
            break;
        case 5:
            if (fields.usePassword && store::trimText(fields.password) != store::trimText(fields.confirmation))
                return "Confirm password is not matching";
            break;
        default: break;
    }
    return std::nullopt;
}

AddProjectWizard::NextResult AddProjectWizard::btnNextClick(platform::Ui& ui, const store::ProjectStore& store) {
    std::optional<std::string> refusal;
    const NextResult result = next(store, refusal);
    if (refusal) ui.messageBox(platform::MessageKind::Error, *refusal, kWizardErrorCaption);
    return result;
}

AddProjectWizard::NextResult AddProjectWizard::next(const store::ProjectStore& store,
                                                    std::optional<std::string>& refusal) {
    refusal = checkStep();
    if (refusal) return NextResult::Stayed;
    if (step_ == kStepCount) {
        finish(store);
        return NextResult::Finished;
    }
    if (step_ == 1 && store::trimText(fields.prefix).empty()) fields.prefix = fields.name;
    ++step_;
    return NextResult::Advanced;
}

void AddProjectWizard::btnBackClick() {
    if (step_ > 1) --step_;
}

store::ProjectRecord AddProjectWizard::record() const {
    store::ProjectRecord r;
    r.filenamePrefix = store::trimText(fields.prefix);
    r.suffix = static_cast<int>(fields.suffix);
    r.increaseValue = backup::clampRunningNumber(fields.increase);
    r.value = backup::clampRunningNumber(fields.number) - r.increaseValue;
    r.savePath = fields.saveFolder;
    r.includeLines = fields.includeLines;
    r.excludeLines = fields.excludeLines;
    r.includeSubfolders = fields.includeSubfolders;
    r.usePassword = fields.usePassword;
    r.password = fields.password;
    r.passwordConfirmation = fields.confirmation;
    r.storePaths = fields.storePaths;
    r.storeComment = fields.storeComment;
    r.comment = fields.comment;
    backup::saveScheduleFields(fields.schedule, r.backupMode, r.scheduleText);
    r.packLevel = fields.packLevel < 0 ? 0 : fields.packLevel > 9 ? 9 : fields.packLevel;
    return r;
}

void AddProjectWizard::finish(const store::ProjectStore& store) const {
    store::ProjectRecord r = record();
    // The store reads the list afresh, so a list the window shows that is out of date
    // cannot drop a project from "Common".
    store::ProjectList list = store.readProjectList();
    store.createProject(fields.name, r, list);
}

std::string AddProjectWizard::archiveName() const {
    backup::ArchiveNameInputs inputs;
    inputs.savePath = fields.saveFolder;
    inputs.prefix = fields.prefix;
    inputs.suffix = fields.suffix;
    inputs.number = backup::clampRunningNumber(fields.number);
    inputs.padNumber = prefs_.padNumber;
    inputs.numberWidth = prefs_.numberWidth;
    return backup::UpdateArchiveName(inputs, clock_);
}

std::string AddProjectWizard::subfolderLabel() const {
    return fields.includeSubfolders ? "Subdirectories are included" : "Subdirectories are not included";
}

bool AddProjectWizard::SpSelectDirectoryClick(platform::Ui& ui) {
    const auto folder = ui.chooseFolder("Please select directory");
    if (!folder || store::trimText(fields.name).empty()) return false;
    fields.saveFolder = *folder;
    return true;
}

}  // namespace zb::shell
