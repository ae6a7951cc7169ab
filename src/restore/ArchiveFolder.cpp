// Listing and deleting the archives of a folder. See ArchiveFolder.h.
#include "restore/ArchiveFolder.h"

#include <filesystem>
#include <system_error>

#include "findfile/FindFile.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
#include "restore/ArchiveSort.h"

namespace zb::restore {

std::string TotalFilesLabel(std::size_t count) { return "(Total " + std::to_string(count) + " files)"; }

std::string ArchivePathIn(const std::string& folder, const std::string& fileName) {
    std::string path = folder;
    if (!path.empty() && path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
    return path + fileName;
}

ArchiveListing DirectoryViewChange(const std::string& folder, SortColumn column, bool descending) {
    ArchiveListing listing;
    findfile::TFindFile finder;
    finder.SetFilename("*.zip");
    finder.SetSubfolders(false);
    finder.SetThreaded(false);
    finder.OnFound = [&](findfile::TFindFile&, const std::string&, findfile::TSearchRec& rec) {
        listing.rows.push_back({rec.Name, std::to_string(rec.Size / 1024),
                                platform::dateTimeToStr(platform::dosToDateTime(rec.Time))});
    };
    // A folder text with a wildcard names no folder: it has no archives. An empty text
    // is the current folder, where an archive path without folder lies.
    const std::string location(platform::trimBlanks(folder));
    if (location.find_first_of("*?") == std::string::npos) {
        finder.SetLocation(location);
        finder.Execute();
    }
    SortArchiveList(listing.rows, column, descending);
    listing.countLabel = TotalFilesLabel(listing.rows.size());
    return listing;
}

bool DeleteArchives(platform::Ui& ui, const std::string& folder, const std::vector<std::string>& fileNames) {
    const std::string question = "Do you want to delete the " + std::to_string(fileNames.size()) + " files ";
    if (!ui.confirm(question, platform::MessageKind::Warning)) return false;
    const std::string trimmedFolder(platform::trimBlanks(folder));
    for (const auto& name : fileNames) {
        std::error_code ec;
        std::filesystem::remove(ArchivePathIn(trimmedFolder, name), ec);
    }
    return true;
}

}  // namespace zb::restore
