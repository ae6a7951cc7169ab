// Reading and writing the preferences of "Common".
#include "store/Preferences.h"

#include "platform/IniFile.h"
#include "store/NumberedList.h"
#include "store/ProjectKeys.h"

namespace zb::store {

PreferencesStore::PreferencesStore(std::filesystem::path iniPath) : path_(std::move(iniPath)) {}

void PreferencesStore::load(Preferences& prefs) const {
    const platform::IniFile ini(path_);
    prefs.askBeforeBackup = ini.readBool(keys::kCommon, keys::kPrompt, false);
    const int byField = ini.readInteger(keys::kCommon, keys::kByField, kSortByDate);
    if (byField >= kSortByName && byField <= kSortByDate) prefs.sortField = byField;
    const int sort = ini.readInteger(keys::kCommon, keys::kSort, 0);
    if (sort == 0 || sort == 1) {
        prefs.sortDescending = sort == 1;
        prefs.sortDirectionMarked = true;
    }
    prefs.padNumber = ini.readBool(keys::kCommon, keys::kPadNumber, false);
    prefs.numberWidth = ini.readInteger(keys::kCommon, keys::kNumberWidth, 2);
    prefs.overwriteArchive = ini.readBool(keys::kCommon, keys::kOverwrite, false);
    prefs.logCount = ini.readInteger(keys::kCommon, keys::kLogCount, 50);
}

void PreferencesStore::writeAtClose(const Preferences& prefs, const ProjectList& projects,
                                    std::string_view lastProject) const {
    if (projects.empty()) return;
    platform::IniFile ini(path_);
    ini.writeBool(keys::kCommon, keys::kPadNumber, prefs.padNumber);
    ini.writeInteger(keys::kCommon, keys::kNumberWidth, prefs.numberWidth);
    ini.writeBool(keys::kCommon, keys::kOverwrite, prefs.overwriteArchive);
    ini.writeBool(keys::kCommon, keys::kPrompt, prefs.askBeforeBackup);
    ini.writeString(keys::kCommon, keys::kLastProject, lastProject);
    projects.write(ini);
    ini.writeInteger(keys::kCommon, keys::kByField, prefs.sortField);
    // Written as the menu marks it: "Ascending" marked gives 0, anything else 1.
    ini.writeInteger(keys::kCommon, keys::kSort, prefs.sortDirectionMarked && !prefs.sortDescending ? 0 : 1);
    ini.writeInteger(keys::kCommon, keys::kLogCount, prefs.logCount);
    ini.save();
}

StartupKeys PreferencesStore::readStartupKeys() const {
    const platform::IniFile ini(path_);
    return {ini.readBool(keys::kCommon, keys::kAutoRun, false), ini.readBool(keys::kCommon, keys::kIsMinimized, false)};
}

void PreferencesStore::writeStartupKeys(const StartupKeys& startup) const {
    platform::IniFile ini(path_);
    ini.writeBool(keys::kCommon, keys::kAutoRun, startup.autoRun);
    ini.writeBool(keys::kCommon, keys::kIsMinimized, startup.isMinimized);
    ini.save();
}

std::vector<std::string> PreferencesStore::readWildcards() const {
    return readNumberedList(platform::IniFile(path_), keys::kCommon, keys::kWildcardCount, keys::kWildcardItem);
}

void PreferencesStore::writeWildcards(const std::vector<std::string>& wildcards) const {
    platform::IniFile ini(path_);
    writeNumberedList(ini, keys::kCommon, keys::kWildcardCount, keys::kWildcardItem, wildcards);
    ini.save();
}

}  // namespace zb::store
