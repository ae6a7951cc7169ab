// Project operations on "project.ini", one file operation each.
#include "store/ProjectStore.h"

#include <stdexcept>

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "store/NameText.h"
#include "store/NumberedList.h"
#include "store/ProjectFieldCheck.h"
#include "store/ProjectIo.h"
#include "store/ProjectKeys.h"

namespace zb::store {

ProjectRecord newProjectRecord() {
    ProjectRecord r;
    r.suffix = kSuffixNumber;
    r.increaseValue = 1;
    r.value = 0;  // the page shows 1, the first number used
    r.savePath = platform::homeFolder();
    r.includeSubfolders = true;
    r.usePassword = false;
    r.storePaths = true;
    r.storeComment = false;
    r.backupMode = kModeNone;
    r.packLevel = 6;
    return r;
}

std::optional<std::string> checkNewProjectName(std::string_view name, const ProjectList& projects) {
    const std::string trimmed = trimText(name);
    if (trimmed.empty()) return "Please input a new project name!";
    if (projects.contains(trimmed)) return "Project '" + trimmed + "' exists,please input another name!";
    return std::nullopt;
}

namespace {

// The name as the project list spells it. Section names ignore letter case, but the
// password key does not: a project named in other case must still be unscrambled and
// scrambled with the key of the name it was saved under.
std::string listedName(const platform::IniFile& ini, std::string_view name) {
    const std::string trimmed = trimText(name);
    const ProjectList projects = ProjectList::read(ini);
    if (const auto index = projects.indexOf(trimmed)) return projects[*index];
    return trimmed;
}

}  // namespace

ProjectStore::ProjectStore(std::filesystem::path iniPath) : path_(std::move(iniPath)) {}

ProjectList ProjectStore::readProjectList() const { return ProjectList::read(platform::IniFile(path_)); }

std::string ProjectStore::readLastProject() const { return store::readLastProject(platform::IniFile(path_)); }

ProjectRecord ProjectStore::loadProject(std::string_view name) const {
    const platform::IniFile ini(path_);
    return readProject(ini, listedName(ini, name));
}

std::optional<std::string> ProjectStore::saveProject(std::string_view name, ProjectRecord& record,
                                                     std::string_view archiveName) const {
    if (auto refusal = CheckProjectFields(record, archiveName)) return refusal;
    platform::IniFile ini(path_);
    ProjectRecord written = record;
    writeProject(ini, listedName(ini, name), written);
    ini.save();
    record = std::move(written);
    return std::nullopt;
}

void ProjectStore::storeUsedNumber(std::string_view name, int value) const {
    platform::IniFile ini(path_);
    ini.writeInteger(listedName(ini, name), keys::kValue, value);
    ini.save();
}

void ProjectStore::createProject(std::string_view name, ProjectRecord& record, ProjectList& projects) const {
    if (auto refusal = checkNewProjectName(name, projects)) throw std::invalid_argument(*refusal);
    const std::string trimmed = trimText(name);
    platform::IniFile ini(path_);
    // Keys of an unlisted section of the same name (never read while unlisted) must
    // not slip into the new project, a stale password least of all.
    ini.eraseSection(trimmed);
    ProjectRecord written = record;
    writeProject(ini, trimmed, written);
    ini.writeString(keys::kCommon, keys::kLastProject, trimmed);
    // The new name takes the next index after the current projects. The current names
    // are written again too: a list key left empty by hand would otherwise push a
    // listed project past the count and drop it from the list.
    std::vector<std::string> names = projects.names();
    names.push_back(trimmed);
    writeNumberedList(ini, keys::kCommon, keys::kProjectCount, keys::kProjectItem, names);
    ini.save();
    record = std::move(written);
    projects.add(trimmed);
}

RenameResult ProjectStore::renameProject(std::string_view oldName, std::string_view newName, ProjectRecord& record,
                                         std::string_view archiveName, ProjectList& projects) const {
    const std::string target = trimText(newName);
    if (target.empty()) return {RenameOutcome::EmptyName, "Please enter project name"};
    const auto oldIndex = projects.indexOf(trimText(oldName));
    if (!oldIndex) return {RenameOutcome::NotListed, ""};
    if (const auto existing = projects.indexOf(target)) {
        if (*existing == *oldIndex) return {RenameOutcome::Unchanged, ""};
        return {RenameOutcome::NameExists, "Project Name exists,Rename fail!"};
    }
    if (auto refusal = CheckProjectFields(record, archiveName)) return {RenameOutcome::Refused, *refusal};

    const std::string source = projects[*oldIndex];
    platform::IniFile ini(path_);
    ini.eraseSection(source);
    ini.eraseSection(target);  // an unlisted section of that name: see createProject
    ProjectRecord written = record;
    writeProject(ini, target, written);
    ProjectList renamed = projects;
    renamed.replaceAt(*oldIndex, target);
    renamed.write(ini);
    if (sameName(store::readLastProject(ini), source)) ini.writeString(keys::kCommon, keys::kLastProject, target);
    ini.save();
    record = std::move(written);
    projects = std::move(renamed);
    return {RenameOutcome::Renamed, ""};
}

bool ProjectStore::deleteProject(std::string_view name, ProjectList& projects) const {
    const auto index = projects.indexOf(trimText(name));
    if (!index) return false;
    ProjectList remaining = projects;
    remaining.removeAt(*index);
    platform::IniFile ini(path_);
    ini.eraseSection(projects[*index]);
    remaining.write(ini);
    ini.save();
    projects = std::move(remaining);
    return true;
}

}  // namespace zb::store
