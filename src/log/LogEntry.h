// One entry of the activity log: when, which operation, its outcome, the project and
// free information (archive path and size, or the reason of an interruption).
#pragma once

#include <array>
#include <string>

namespace zb::activitylog {

struct LogEntry {
    std::string date;         // "Date": local date and time of the append, as text
    std::string operation;    // "Operate": "Backup" or "Restore"
    std::string status;       // "Status": "Succeeds", "Fails" or "Interrupt"
    std::string project;      // "Project"
    std::string information;  // "Information"

    bool operator==(const LogEntry&) const = default;
};

// The operations and outcomes the program logs.
inline constexpr const char* kBackup = "Backup";
inline constexpr const char* kRestore = "Restore";
inline constexpr const char* kSucceeds = "Succeeds";
inline constexpr const char* kFails = "Fails";
inline constexpr const char* kInterrupt = "Interrupt";

// The grid's columns, left to right. The file's key of the operation is "Operate"
// while its column reads "Operation".
inline constexpr int kColumnCount = 5;
inline constexpr std::array<const char*, kColumnCount> kColumnHeaders = {"Date", "Operation", "Status", "Project",
                                                                         "Information"};

}  // namespace zb::activitylog
