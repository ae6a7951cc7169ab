// The activity log "log.txt" and the rows its grid shows, newest first. The file holds
// "Common"/"Log Total" and one section Log1 (oldest) .. LogN (newest) per entry; when an
// append makes the count reach the limit, the log is cut back to its five newest
// entries. Sections above the total stay in the file, ignored, and are overwritten when
// their number comes round again. Each operation changes the file in one atomic step;
// a refused write throws platform::IniWriteError and leaves the file and this object as
// they were.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "log/LogEntry.h"
#include "platform/DateTime.h"

namespace zb::activitylog {

// The entries a trim keeps.
inline constexpr int kEntriesKeptByTrim = 5;
// The limit in use is held within these bounds. The preferences dialog offers 10 to 200;
// a hand-edited "Log Count" below 6 would make every append trim from rows the grid does
// not have, and a huge one would make the grid and every load needlessly large.
inline constexpr int kMinLogLimit = kEntriesKeptByTrim + 1;
inline constexpr int kMaxLogLimit = 1000;
int boundedLogLimit(int logCount);

class ActivityLog {
public:
    // `logCount` is the preference "Log Count"; `clock` gives the dates of new entries
    // and must outlive the log. Nothing is read until LoadLog().
    ActivityLog(std::filesystem::path logPath, int logCount, const platform::Clock& clock);

    const std::filesystem::path& path() const { return path_; }

    // Fills the rows from the file. When the file holds more entries than the limit,
    // the newest limit - 1 are shown while the total stays as stored, so the next
    // append writes entry total + 1 and trims to the newest five. A missing file, or a
    // missing, unreadable or negative total, is an empty log.
    void LoadLog();

    // Records one entry, dated now, in the file and at the top of the rows, then trims
    // when the count has reached the limit.
    void AppendLog(std::string_view operation, std::string_view status, std::string_view project,
                std::string_view information);

    // Empties every row; the count and the file are untouched.
    void BlankLogGrid();

    // "Clear all log": the total becomes 0 in the file and here, the rows are emptied.
    // The entry sections stay in the file.
    void clearAll();

    // A new limit from the preferences; the rows beyond it are no longer shown, and a
    // raised limit reloads the rows from the file. The file and the count are not
    // touched until the next append.
    void setLimit(int logCount);

    int limit() const { return limit_; }
    int total() const { return total_; }  // "Log Total" as this log holds it

    // The grid: row 0 is the header, rows 1 .. rowCount() - 1 the entries, newest first.
    int rowCount() const { return limit_ + 1; }
    const std::vector<LogEntry>& entries() const { return rows_; }
    // A cell's text; rows without an entry and cells outside the grid are empty.
    std::string cell(int row, int column) const;
    // Rows of a failed or interrupted operation are drawn in red ("Fails" and
    // "Interrupt" exactly as written; other spellings are not).
    bool isAlertRow(int row) const;

private:
    std::filesystem::path path_;
    const platform::Clock& clock_;
    int limit_;
    int total_ = 0;
    std::vector<LogEntry> rows_;  // rows_[0] is grid row 1
};

}  // namespace zb::activitylog
