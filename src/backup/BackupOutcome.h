// How a backup run ended, with what the caller (window, tray, timer or command line)
// needs to know about it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zb::backup {

enum class BackupOutcome {
    NoProject,    // nothing selected: nothing happened
    Declined,     // the user answered No to the question
    Refused,      // the field check refused the project (message shown)
    Interrupted,  // the archive exists and overwriting is off ("Interrupt" logged)
    Succeeded,    // archive in place, "Succeeds" logged
    Incomplete,   // archive in place but files were left out ("Fails" logged)
    Failed,       // no archive written; the error was shown and "Fails" logged
    Cancelled,    // stopped by the user: no archive written, "Interrupt" logged
};

struct BackupResult {
    BackupOutcome outcome = BackupOutcome::NoProject;
    std::string archivePath;           // the archive the run was for
    std::uint64_t sizeKb = 0;          // its size, when written
    int filesAdded = 0;
    std::vector<std::string> leftOut;  // files that exist (or existed) but are not in it
    std::vector<std::string> changed;  // files that changed while they were packed (in it as read)
    std::string error;                 // the error text of a failed run

    // The archive holds everything the project selects.
    bool ok() const { return outcome == BackupOutcome::Succeeded; }
};

}  // namespace zb::backup
