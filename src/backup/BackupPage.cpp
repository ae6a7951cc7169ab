// The page "Backup " as data, loaded and saved. See BackupPage.h.
#include "backup/BackupPage.h"

#include "store/NameText.h"

namespace zb::backup {

void UpdateArchiveName(BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock) {
    ArchiveNameInputs inputs;
    inputs.savePath = page.record.savePath;
    inputs.prefix = page.record.filenamePrefix;
    inputs.suffix = page.suffix;
    inputs.number = page.shownNumber;
    inputs.padNumber = prefs.padNumber;
    inputs.numberWidth = prefs.numberWidth;
    page.archiveName = UpdateArchiveName(inputs, clock);
}

bool numberFieldsEnabled(const BackupPage& page) { return page.suffix == ArchiveSuffix::Number; }

void chooseSuffix(BackupPage& page, ArchiveSuffix suffix, const store::Preferences& prefs,
                  const platform::Clock& clock) {
    page.suffix = suffix;
    UpdateArchiveName(page, prefs, clock);
}

void setShownNumber(BackupPage& page, long long number, const store::Preferences& prefs,
                    const platform::Clock& clock) {
    page.shownNumber = clampRunningNumber(number);
    UpdateArchiveName(page, prefs, clock);
}

void setIncrease(BackupPage& page, long long step, const store::Preferences& prefs, const platform::Clock& clock) {
    page.increase = clampRunningNumber(step);
    UpdateArchiveName(page, prefs, clock);
}

void LoadBackupPage(BackupPage& page, const store::ProjectStore& projects, std::string_view name,
                    const store::Preferences& prefs, const platform::Clock& clock) {
    const std::string trimmed = store::trimText(name);
    if (trimmed.empty()) return;  // no project selected: the page stays
    store::ProjectRecord record = projects.loadProject(trimmed);
    page.projectName = trimmed;
    switch (record.suffix) {
        case store::kSuffixNone: page.suffix = ArchiveSuffix::None; break;
        case store::kSuffixDate: page.suffix = ArchiveSuffix::Date; break;
        case store::kSuffixNumber: page.suffix = ArchiveSuffix::Number; break;
        default: break;  // unknown: the checked button stays
    }
    if (page.suffix == ArchiveSuffix::Number) {
        page.increase = clampRunningNumber(record.increaseValue);
        page.shownNumber = clampRunningNumber(static_cast<long long>(record.value) + page.increase);
    }
    loadScheduleFields(page.schedule, record.backupMode, record.scheduleText);
    page.record = std::move(record);
    UpdateArchiveName(page, prefs, clock);
}

BackupPage LoadBackupPage(const store::ProjectStore& projects, std::string_view name,
                          const store::Preferences& prefs, const platform::Clock& clock) {
    BackupPage page;
    LoadBackupPage(page, projects, name, prefs, clock);
    return page;
}

store::ProjectRecord pageRecord(const BackupPage& page) {
    store::ProjectRecord r = page.record;
    r.suffix = static_cast<int>(page.suffix);
    r.increaseValue = page.increase;
    r.value = page.shownNumber - page.increase;
    saveScheduleFields(page.schedule, r.backupMode, r.scheduleText);
    return r;
}

std::optional<std::string> SaveBackupPage(BackupPage& page, const store::ProjectStore& projects) {
    store::ProjectRecord record = pageRecord(page);
    if (auto refusal = projects.saveProject(page.projectName, record, page.archiveName)) return refusal;
    page.record = std::move(record);
    return std::nullopt;
}

bool SpSelectDirectoryClick(BackupPage& page, platform::Ui& ui, const store::Preferences& prefs,
                            const platform::Clock& clock) {
    const auto folder = ui.chooseFolder("Please select directory");
    if (!folder || store::trimText(page.projectName).empty()) return false;
    page.record.savePath = *folder;
    UpdateArchiveName(page, prefs, clock);
    return true;
}

}  // namespace zb::backup
