// Finding a project by name. See ProjectLookup.h.
#include "cli/ProjectLookup.h"

#include <ostream>

namespace zb::cli {

std::optional<std::string> findProject(const store::ProjectStore& projects, const std::string& typed,
                                       std::ostream& err) {
    const auto list = projects.readProjectList();
    if (auto index = list.indexOf(typed)) return list[*index];
    err << "Error: no project '" << typed << "' in " << projects.path().string() << '\n';
    return std::nullopt;
}

}  // namespace zb::cli
