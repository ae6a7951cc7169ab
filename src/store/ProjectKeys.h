// The key names of "project.ini", spelled as files already in use hold them.
#pragma once

namespace zb::store::keys {

// A project's section.
inline constexpr const char* kFilenamePrefix = "Filename prefix";
inline constexpr const char* kSuffix = "Suffix";
inline constexpr const char* kIncreaseValue = "Increase Value";
inline constexpr const char* kValue = "Value";
inline constexpr const char* kSavePath = "Save Path";
inline constexpr const char* kIncludeCount = "Backup Directory Count";
inline constexpr const char* kIncludeItem = "Backup";
inline constexpr const char* kExcludeCount = "No Backup Directory Count";
inline constexpr const char* kExcludeItem = "NoBackup";
inline constexpr const char* kIncludeSubfolders = "Whether include Subdirectory";
inline constexpr const char* kUsePassword = "Whether password Project";
inline constexpr const char* kPassword = "Password";
inline constexpr const char* kStorePaths = "Whether store path in Zip";
inline constexpr const char* kStoreComment = "Whether store comment in Zip";
inline constexpr const char* kComment = "Comment";
inline constexpr const char* kBackupMode = "BackupMode";
inline constexpr const char* kScheduleText = "StartTime_or_Increase";
inline constexpr const char* kPackLevel = "PackLevel";

// Section "Common": the project list and the preferences.
inline constexpr const char* kCommon = "Common";
inline constexpr const char* kProjectCount = "Project Count";
inline constexpr const char* kProjectItem = "Count";
inline constexpr const char* kLastProject = "Last Project";
inline constexpr const char* kPadNumber = "Is Append 0";
inline constexpr const char* kNumberWidth = "Width";
inline constexpr const char* kOverwrite = "IsOverWrite";
inline constexpr const char* kPrompt = "PromptBeforeBackup";
inline constexpr const char* kByField = "By Field";
inline constexpr const char* kSort = "Sort";
inline constexpr const char* kLogCount = "Log Count";
inline constexpr const char* kAutoRun = "Auto Run";
inline constexpr const char* kIsMinimized = "Is Minimized";
inline constexpr const char* kWildcardCount = "Wildcard Total";
inline constexpr const char* kWildcardItem = "Wildcard";

}  // namespace zb::store::keys
