// Lists kept in a settings section as a count key plus keys numbered from 0 (the
// include lines "Backup0", "Backup1", ..., the project names "Count0", ...). Writers
// write the count and keys 0 to count - 1 and leave higher keys from a longer list in
// the file; readers take the keys below the count and skip empty values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"

namespace zb::store {

std::vector<std::string> readNumberedList(const platform::IniFile& ini, std::string_view section,
                                          std::string_view countKey, std::string_view itemPrefix);

void writeNumberedList(platform::IniFile& ini, std::string_view section, std::string_view countKey,
                       std::string_view itemPrefix, const std::vector<std::string>& items);

}  // namespace zb::store
