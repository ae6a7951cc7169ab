// "archives": lists a project's archives. See ArchivesCommand.h.
#include "cli/ArchivesCommand.h"

#include <ostream>

#include "cli/ProjectLookup.h"
#include "restore/ArchiveFolder.h"
#include "store/ProjectStore.h"

namespace zb::cli {

int runArchivesCommand(const CliSettings& settings, const std::string& project, std::ostream& out, std::ostream& err) {
    store::ProjectStore projects(settings.projectIni());
    const auto name = findProject(projects, project, err);
    if (!name) return kExitBadRequest;
    const auto prefs = settings.preferences();
    const auto record = projects.loadProject(*name);
    const auto column = prefs.sortField == store::kSortByName   ? restore::SortColumn::Name
                        : prefs.sortField == store::kSortBySize ? restore::SortColumn::Size
                                                                : restore::SortColumn::Date;
    const auto listing = restore::DirectoryViewChange(record.savePath, column, prefs.sortDescending);
    out << "Filename\tSize(KB)\tDate\n";
    for (const auto& row : listing.rows) out << row.Filename << '\t' << row.SizeKb << '\t' << row.Date << '\n';
    out << listing.countLabel << '\n';
    return kExitOk;
}

}  // namespace zb::cli
