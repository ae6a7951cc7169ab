// One backup project as "project.ini" holds it: a plain record that carries the values
// read, unchanged (an unknown "Suffix" or "BackupMode" number stays as it was read), so
// that the window can apply its own control rules and the command line can use the
// same data. The record is a carrier between the file and its users, not a cache.
#pragma once

#include <string>
#include <vector>

namespace zb::store {

// The stored "Suffix" values.
enum SuffixValue : int { kSuffixNone = 0, kSuffixDate = 1, kSuffixNumber = 2 };
// The stored "BackupMode" values.
enum BackupModeValue : int { kModeDailyOnce = 0, kModeEveryMinutes = 1, kModeWeekly = 2, kModeNone = 3 };

struct ProjectRecord {
    std::string filenamePrefix;          // "Filename prefix"
    int suffix = kSuffixNumber;          // "Suffix", as read
    int increaseValue = 1;               // "Increase Value": step of the running number
    int value = 1;                       // "Value": the running number the last backup used
    std::string savePath;                // "Save Path"; the user's home folder when absent
    std::vector<std::string> includeLines;  // Backup0 .. (empty values skipped on reading)
    std::vector<std::string> excludeLines;  // NoBackup0 ..
    bool includeSubfolders = true;       // "Whether include Subdirectory"
    bool usePassword = true;             // "Whether password Project"
    // The plain password and its confirmation. Reading fills both (empty unless a
    // password is in use and stored); saving checks and stores the password.
    std::string password;
    std::string passwordConfirmation;
    bool storePaths = true;              // "Whether store path in Zip"
    bool storeComment = true;            // "Whether store comment in Zip"
    std::string comment;                 // "Comment"
    int backupMode = kModeNone;          // "BackupMode", as read
    std::string scheduleText;            // "StartTime_or_Increase"
    int packLevel = 6;                   // "PackLevel"

    // The number the next backup uses, as the page shows it (before the page bounds it).
    long long nextNumber() const { return static_cast<long long>(value) + increaseValue; }
};

}  // namespace zb::store
