// The application preferences kept in section "Common" of "project.ini": read once at
// start, held in memory while the program runs, and written when it closes (with the
// project list). The two start-up keys and the wildcard list are not held in memory:
// they are read and written at once by their own dialogs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/ProjectList.h"

namespace zb::store {

// The sort field values of "By Field".
enum SortFieldValue : int { kSortByName = 0, kSortBySize = 1, kSortByDate = 2 };

struct Preferences {
    bool askBeforeBackup = false;   // "PromptBeforeBackup"
    bool padNumber = false;         // "Is Append 0"
    int numberWidth = 2;            // "Width", used as read
    bool overwriteArchive = false;  // "IsOverWrite"
    int logCount = 50;              // "Log Count", used as read
    // The archive list's sort menu. Before the file is read "By name" is marked and no
    // direction is; a "By Field" or "Sort" value out of range leaves the marks as they are.
    int sortField = kSortByName;
    bool sortDescending = false;
    bool sortDirectionMarked = false;  // "Ascending" or "Descending" is marked
};

// "Auto Run" and "Is Minimized": the program starts minimised when both are set.
struct StartupKeys {
    bool autoRun = false;
    bool isMinimized = false;
    bool startMinimized() const { return autoRun && isMinimized; }
};

class PreferencesStore {
public:
    explicit PreferencesStore(std::filesystem::path iniPath);
    const std::filesystem::path& path() const { return path_; }

    // Reads every held preference into `prefs` (absent keys give the defaults).
    void load(Preferences& prefs) const;

    // The write at close: nothing at all when no project is listed; otherwise the held
    // preferences, "Last Project" (the selected name) and the project list.
    void writeAtClose(const Preferences& prefs, const ProjectList& projects, std::string_view lastProject) const;

    StartupKeys readStartupKeys() const;
    void writeStartupKeys(const StartupKeys& keys) const;

    // The non-empty wildcards in key order.
    std::vector<std::string> readWildcards() const;
    // "Wildcard Total" and Wildcard0 .. in order; higher keys stay in the file.
    void writeWildcards(const std::vector<std::string>& wildcards) const;

private:
    std::filesystem::path path_;
};

}  // namespace zb::store
