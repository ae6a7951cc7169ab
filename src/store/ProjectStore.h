// The operations on the projects of "project.ini": each opens the file, reads or
// writes what it needs and puts every change on disk in one atomic replacement, so a
// refused write ("Unable to write to %s", platform::IniWriteError) leaves the file as
// it was. The window and the command line both go through these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/ProjectList.h"
#include "store/ProjectRecord.h"

namespace zb::store {

// What a rename did.
enum class RenameOutcome {
    Renamed,      // section moved to the new name and saved from the record
    Unchanged,    // the new name is the project's own (perhaps in other letter case)
    EmptyName,    // "Please enter project name"
    NameExists,   // "Project Name exists,Rename fail!"
    Refused,      // the field check refused the save; message holds its text
    NotListed,    // the old name is not in the list
};

struct RenameResult {
    RenameOutcome outcome = RenameOutcome::Unchanged;
    std::string message;  // the text to show, empty when there is none
};

// A new project as the Add Project wizard starts it: number suffix showing 1 with step
// 1, the home folder, subfolders on, no password, full paths, no comment, no schedule,
// compression level 6.
ProjectRecord newProjectRecord();

// The wizard's refusals of a new name, or nothing when it may be used.
std::optional<std::string> checkNewProjectName(std::string_view name, const ProjectList& projects);

// A project is named without regard to letter case; the operations use the spelling of
// the project list, whose name is the key of the stored password.
class ProjectStore {
public:
    explicit ProjectStore(std::filesystem::path iniPath);
    const std::filesystem::path& path() const { return path_; }

    ProjectList readProjectList() const;
    std::string readLastProject() const;

    ProjectRecord loadProject(std::string_view name) const;

    // Runs CheckProjectFields first: when it refuses, nothing is written and its message
    // is returned. Otherwise writes the record (see writeProject for what the record's
    // password and comment become).
    std::optional<std::string> saveProject(std::string_view name, ProjectRecord& record,
                                           std::string_view archiveName) const;

    // The running number a successful backup used, written at once as "Value".
    void storeUsedNumber(std::string_view name, int value) const;

    // Writes the new project as the wizard's finish does, makes it "Last Project" and
    // adds it to the list in "Common" and in `projects`. The name is trimmed; a name
    // that checkNewProjectName refuses throws std::invalid_argument with its message.
    // A section of that name left from an earlier project is replaced, not merged.
    void createProject(std::string_view name, ProjectRecord& record, ProjectList& projects) const;

    // Renames `oldName` to `newName` and saves the record under the new name. The field
    // check runs before anything is erased, so a refused save keeps the project's
    // section and name. The list keys in "Common" follow at once (and "Last Project"
    // when it named the old name), so no project is lost if the program never closes.
    RenameResult renameProject(std::string_view oldName, std::string_view newName, ProjectRecord& record,
                               std::string_view archiveName, ProjectList& projects) const;

    // Erases the project's section and rewrites the list without it. False when the
    // name is not listed (nothing changes).
    bool deleteProject(std::string_view name, ProjectList& projects) const;

private:
    std::filesystem::path path_;
};

}  // namespace zb::store
