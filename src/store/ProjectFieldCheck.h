// The check a project must pass before it is saved or backed up: the archive name and
// prefix are given, the password matches its confirmation, and something is selected.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/ProjectRecord.h"

namespace zb::store {

// The first failing check's message, or nothing when the project passes. `archiveName`
// is the computed archive path the page shows.
std::optional<std::string> CheckProjectFields(const ProjectRecord& record, std::string_view archiveName);

}  // namespace zb::store
