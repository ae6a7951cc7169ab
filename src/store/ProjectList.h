// The list of projects as the project box holds it: the names of "Common"'s
// "Project Count" and Count0 .., sorted alphabetically without regard to case, each
// name once (two names that differ only in case are one project).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"

namespace zb::store {

class ProjectList {
public:
    ProjectList() = default;
    // Empty names and repeated names are dropped.
    explicit ProjectList(const std::vector<std::string>& names);

    // The non-empty names of Count0 .. Count(n-1) of "Common".
    static ProjectList read(const platform::IniFile& ini);
    // "Project Count" and Count0 .. in list order; higher keys stay in the file.
    void write(platform::IniFile& ini) const;

    const std::vector<std::string>& names() const { return names_; }
    std::size_t size() const { return names_.size(); }
    bool empty() const { return names_.empty(); }
    const std::string& operator[](std::size_t index) const { return names_[index]; }

    // Found without regard to case.
    std::optional<std::size_t> indexOf(std::string_view name) const;
    bool contains(std::string_view name) const { return indexOf(name).has_value(); }

    // Inserts at the sorted position and returns it.
    std::size_t add(std::string name);
    void removeAt(std::size_t index);
    // Replaces the name at `index` and returns its new, sorted position.
    std::size_t replaceAt(std::size_t index, std::string name);

    // The project selected after reading: `lastProject` when listed, else the first.
    std::optional<std::size_t> initialSelection(std::string_view lastProject) const;

private:
    std::vector<std::string> names_;
};

// "Common"/"Last Project", empty when absent.
std::string readLastProject(const platform::IniFile& ini);

}  // namespace zb::store
