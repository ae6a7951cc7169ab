// The archives of one folder as the page "Restore" lists them: every "*.zip" file
// directly in the folder, found with the file finder, with its size in kilobytes and
// its last-write time, sorted by the user's choice. Also the deletion of chosen
// archives after the user agrees.
#pragma once

#include <string>
#include <vector>

#include "platform/Ui.h"
#include "restore/ArchiveRow.h"

namespace zb::restore {

struct ArchiveListing {
    ArchiveRows rows;        // none when the folder has no archive (or does not exist)
    std::string countLabel;  // "(Total N files)"
};

// "(Total N files)", the count label of both lists of the page.
std::string TotalFilesLabel(std::size_t count);

// The path of an archive of the folder: the folder text, a separator unless it ends
// with one, and the file name.
std::string ArchivePathIn(const std::string& folder, const std::string& fileName);

// Lists the folder's archives in finder order, then sorts them.
ArchiveListing DirectoryViewChange(const std::string& folder, SortColumn column, bool descending);

// Asks "Do you want to delete the N files " and on Yes deletes the named archives of the
// folder (failures are not reported). Returns whether the user agreed.
bool DeleteArchives(platform::Ui& ui, const std::string& folder, const std::vector<std::string>& fileNames);

}  // namespace zb::restore
