// Reading and writing one project's section of "project.ini" within an open settings
// file. The operations of ProjectStore open the file, call these and save it once.
#pragma once

#include <string_view>

#include "platform/IniFile.h"
#include "store/ProjectRecord.h"

namespace zb::store {

// The project's section (named by the trimmed name); absent keys take their defaults,
// a missing section gives a record of defaults. The password is unscrambled into both
// password fields only when a password is in use and one is stored.
ProjectRecord readProject(const platform::IniFile& ini, std::string_view projectName);

// Writes every key in the order the program has always written them. Keys numbered
// above a shortened list stay in the file. When no password is in use or it is empty,
// the stored "Password" is left as it is and both password fields of `record` are
// emptied; the same for the comment when no comment is stored. "StartTime_or_Increase"
// is written only for a scheduled project.
void writeProject(platform::IniFile& ini, std::string_view projectName, ProjectRecord& record);

}  // namespace zb::store
