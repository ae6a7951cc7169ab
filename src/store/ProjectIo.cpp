// The key-by-key reading and writing of a project's section.
#include "store/ProjectIo.h"

#include "platform/Paths.h"
#include "store/NameText.h"
#include "store/NumberedList.h"
#include "store/PasswordScramble.h"
#include "store/ProjectKeys.h"

namespace zb::store {

ProjectRecord readProject(const platform::IniFile& ini, std::string_view projectName) {
    const std::string section = trimText(projectName);
    ProjectRecord r;
    r.filenamePrefix = ini.readString(section, keys::kFilenamePrefix, "");
    r.suffix = ini.readInteger(section, keys::kSuffix, kSuffixNumber);
    r.increaseValue = ini.readInteger(section, keys::kIncreaseValue, 1);
    r.value = ini.readInteger(section, keys::kValue, 1);
    r.savePath = ini.readString(section, keys::kSavePath, platform::homeFolder());
    r.includeLines = readNumberedList(ini, section, keys::kIncludeCount, keys::kIncludeItem);
    r.excludeLines = readNumberedList(ini, section, keys::kExcludeCount, keys::kExcludeItem);
    r.includeSubfolders = ini.readBool(section, keys::kIncludeSubfolders, true);
    r.usePassword = ini.readBool(section, keys::kUsePassword, true);
    const std::string stored = ini.readString(section, keys::kPassword, "");
    if (r.usePassword && !stored.empty()) {
        r.password = unscramblePassword(stored, section);
        r.passwordConfirmation = r.password;
    }
    r.storePaths = ini.readBool(section, keys::kStorePaths, true);
    r.storeComment = ini.readBool(section, keys::kStoreComment, true);
    r.comment = ini.readString(section, keys::kComment, "");
    r.scheduleText = ini.readString(section, keys::kScheduleText, "");
    r.backupMode = ini.readInteger(section, keys::kBackupMode, kModeNone);
    r.packLevel = ini.readInteger(section, keys::kPackLevel, 6);
    return r;
}

void writeProject(platform::IniFile& ini, std::string_view projectName, ProjectRecord& r) {
    const std::string section = trimText(projectName);
    ini.writeString(section, keys::kFilenamePrefix, trimText(r.filenamePrefix));
    ini.writeInteger(section, keys::kSuffix, r.suffix);
    ini.writeInteger(section, keys::kIncreaseValue, r.increaseValue);
    ini.writeInteger(section, keys::kValue, r.value);
    ini.writeString(section, keys::kSavePath, r.savePath);
    writeNumberedList(ini, section, keys::kIncludeCount, keys::kIncludeItem, r.includeLines);
    writeNumberedList(ini, section, keys::kExcludeCount, keys::kExcludeItem, r.excludeLines);
    ini.writeBool(section, keys::kIncludeSubfolders, r.includeSubfolders);
    ini.writeBool(section, keys::kUsePassword, r.usePassword);
    const std::string password = trimText(r.password);
    if (r.usePassword && !password.empty()) {
        ini.writeString(section, keys::kPassword, scramblePassword(password, section));
    } else {
        // The stored password stays; it is ignored while no password is in use.
        r.password.clear();
        r.passwordConfirmation.clear();
    }
    ini.writeBool(section, keys::kStorePaths, r.storePaths);
    ini.writeBool(section, keys::kStoreComment, r.storeComment);
    if (r.storeComment && !trimText(r.comment).empty()) {
        ini.writeString(section, keys::kComment, r.comment);
    } else {
        r.comment.clear();
    }
    ini.writeInteger(section, keys::kBackupMode, r.backupMode);
    if (r.backupMode != kModeNone) ini.writeString(section, keys::kScheduleText, r.scheduleText);
    ini.writeInteger(section, keys::kPackLevel, r.packLevel);
}

}  // namespace zb::store
