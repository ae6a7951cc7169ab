// Finding a project of "project.ini" by the name a user typed: without regard to
// letter case, as the project box finds names.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "store/ProjectStore.h"

namespace zb::cli {

// The listed spelling of the name, or nothing (with a message on `err`).
std::optional<std::string> findProject(const store::ProjectStore& projects, const std::string& typed,
                                       std::ostream& err);

}  // namespace zb::cli
