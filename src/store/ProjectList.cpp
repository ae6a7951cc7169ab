// The sorted project list and its keys in "Common".
#include "store/ProjectList.h"

#include <algorithm>

#include "store/NameText.h"
#include "store/NumberedList.h"
#include "store/ProjectKeys.h"

namespace zb::store {

ProjectList::ProjectList(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!name.empty() && !contains(name)) add(name);
    }
}

ProjectList ProjectList::read(const platform::IniFile& ini) {
    return ProjectList(readNumberedList(ini, keys::kCommon, keys::kProjectCount, keys::kProjectItem));
}

void ProjectList::write(platform::IniFile& ini) const {
    writeNumberedList(ini, keys::kCommon, keys::kProjectCount, keys::kProjectItem, names_);
}

std::optional<std::size_t> ProjectList::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (sameName(names_[i], name)) return i;
    }
    return std::nullopt;
}

std::size_t ProjectList::add(std::string name) {
    // After equal names (without regard to case), so a stable order is kept.
    auto at = std::upper_bound(names_.begin(), names_.end(), name,
                               [](const std::string& a, const std::string& b) { return nameLess(a, b); });
    std::size_t index = static_cast<std::size_t>(at - names_.begin());
    names_.insert(at, std::move(name));
    return index;
}

void ProjectList::removeAt(std::size_t index) {
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::size_t ProjectList::replaceAt(std::size_t index, std::string name) {
    removeAt(index);
    return add(std::move(name));
}

std::optional<std::size_t> ProjectList::initialSelection(std::string_view lastProject) const {
    if (auto index = indexOf(lastProject)) return index;
    if (!names_.empty()) return 0;
    return std::nullopt;
}

std::string readLastProject(const platform::IniFile& ini) {
    return ini.readString(keys::kCommon, keys::kLastProject, "");
}

}  // namespace zb::store
