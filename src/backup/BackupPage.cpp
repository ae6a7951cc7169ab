// Loading a project for a backup, and its archive path. See BackupPage.h.
#include "backup/BackupPage.h"

#include "store/NameText.h"

namespace zb::backup {

ArchiveSuffix suffixOf(const store::ProjectRecord& record) {
    switch (record.suffix) {
        case store::kSuffixNone: return ArchiveSuffix::None;
        case store::kSuffixDate: return ArchiveSuffix::Date;
        default: return ArchiveSuffix::Number;
    }
}

void UpdateArchiveName(BackupPage& page, const store::Preferences& prefs, const platform::Clock& clock) {
    ArchiveNameInputs inputs;
    inputs.savePath = page.record.savePath;
    inputs.prefix = page.record.filenamePrefix;
    inputs.suffix = suffixOf(page.record);
    inputs.number = page.shownNumber;
    inputs.padNumber = prefs.padNumber;
    inputs.numberWidth = prefs.numberWidth;
    page.archiveName = UpdateArchiveName(inputs, clock);
}

BackupPage LoadBackupPage(const store::ProjectStore& projects, std::string_view name,
                          const store::Preferences& prefs, const platform::Clock& clock) {
    BackupPage page;
    page.projectName = store::trimText(name);
    page.record = projects.loadProject(page.projectName);
    if (suffixOf(page.record) == ArchiveSuffix::Number) {
        page.increase = clampRunningNumber(page.record.increaseValue);
        page.shownNumber = clampRunningNumber(static_cast<long long>(page.record.value) + page.increase);
    }
    UpdateArchiveName(page, prefs, clock);
    return page;
}

}  // namespace zb::backup
