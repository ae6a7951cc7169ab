// The activity log: "log.txt" and the grid rows kept from it.
#include "log/ActivityLog.h"

#include <algorithm>

#include "platform/DateFormat.h"
#include "platform/IniFile.h"

namespace zb::activitylog {
namespace {

constexpr const char* kCommon = "Common";
constexpr const char* kLogTotal = "Log Total";
constexpr std::array<const char*, kColumnCount> kKeys = {"Date", "Operate", "Status", "Project", "Information"};

std::string sectionOf(int number) { return "Log" + std::to_string(number); }

LogEntry readEntry(const platform::IniFile& ini, int number) {
    const std::string section = sectionOf(number);
    return {ini.readString(section, kKeys[0], ""), ini.readString(section, kKeys[1], ""),
            ini.readString(section, kKeys[2], ""), ini.readString(section, kKeys[3], ""),
            ini.readString(section, kKeys[4], "")};
}

void writeEntry(platform::IniFile& ini, int number, const LogEntry& e) {
    const std::string section = sectionOf(number);
    ini.writeString(section, kKeys[0], e.date);
    ini.writeString(section, kKeys[1], e.operation);
    ini.writeString(section, kKeys[2], e.status);
    ini.writeString(section, kKeys[3], e.project);
    ini.writeString(section, kKeys[4], e.information);
}

}  // namespace

int boundedLogLimit(int logCount) { return std::clamp(logCount, kMinLogLimit, kMaxLogLimit); }

ActivityLog::ActivityLog(std::filesystem::path logPath, int logCount, const platform::Clock& clock)
    : path_(std::move(logPath)), clock_(clock), limit_(boundedLogLimit(logCount)) {}

void ActivityLog::LoadLog() {
    const platform::IniFile ini(path_);
    const int stored = std::max(0, ini.readInteger(kCommon, kLogTotal, 0));
    // Above the limit only the newest limit - 1 entries are shown, but the count stays
    // as stored: the next append then writes past every entry (never over one that is
    // shown) and its trim keeps the newest five. A raised limit reloads and shows more.
    total_ = stored;
    const int shown = stored > limit_ ? limit_ - 1 : stored;
    const int first = stored - shown + 1;
    rows_.clear();
    for (int n = stored; n >= first; --n) rows_.push_back(readEntry(ini, n));
}

void ActivityLog::AppendLog(std::string_view operation, std::string_view status, std::string_view project,
                            std::string_view information) {
    const LogEntry entry{platform::dateTimeToStr(clock_.now()), std::string(operation), std::string(status),
                         std::string(project), std::string(information)};
    const int newTotal = total_ + 1;
    platform::IniFile ini(path_);
    ini.writeInteger(kCommon, kLogTotal, newTotal);
    writeEntry(ini, newTotal, entry);

    // The rows move down by one; the grid has no rows beyond the limit.
    std::vector<LogEntry> rows = rows_;
    rows.insert(rows.begin(), entry);
    rows.resize(std::min(rows.size(), static_cast<std::size_t>(std::min(newTotal, limit_))));

    const bool trim = newTotal >= limit_;
    if (trim) {
        // Row 1 (the newest) becomes Log5, row 5 becomes Log1.
        ini.writeInteger(kCommon, kLogTotal, kEntriesKeptByTrim);
        for (int row = 1; row <= kEntriesKeptByTrim; ++row) {
            const std::size_t at = static_cast<std::size_t>(row - 1);
            writeEntry(ini, kEntriesKeptByTrim + 1 - row, at < rows.size() ? rows[at] : LogEntry{});
        }
    }
    ini.save();

    if (trim) {
        BlankLogGrid();
        LoadLog();
    } else {
        total_ = newTotal;
        rows_ = std::move(rows);
    }
}

void ActivityLog::BlankLogGrid() { rows_.clear(); }

void ActivityLog::clearAll() {
    platform::IniFile ini(path_);
    ini.writeInteger(kCommon, kLogTotal, 0);
    ini.save();
    total_ = 0;
    BlankLogGrid();
}

void ActivityLog::setLimit(int logCount) {
    const int previous = limit_;
    limit_ = boundedLogLimit(logCount);
    if (limit_ > previous) {
        // Entries the old limit kept out of the grid come back.
        LoadLog();
    } else if (rows_.size() > static_cast<std::size_t>(limit_)) {
        rows_.resize(static_cast<std::size_t>(limit_));
    }
}

std::string ActivityLog::cell(int row, int column) const {
    if (column < 0 || column >= kColumnCount || row < 0 || row >= rowCount()) return {};
    if (row == 0) return kColumnHeaders[static_cast<std::size_t>(column)];
    const std::size_t at = static_cast<std::size_t>(row - 1);
    if (at >= rows_.size()) return {};
    const LogEntry& e = rows_[at];
    switch (column) {
        case 0: return e.date;
        case 1: return e.operation;
        case 2: return e.status;
        case 3: return e.project;
        default: return e.information;
    }
}

bool ActivityLog::isAlertRow(int row) const {
    const std::string status = cell(row, 2);
    return row > 0 && (status == kFails || status == kInterrupt);
}

}  // namespace zb::activitylog
