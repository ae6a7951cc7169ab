// How a restore run ended.
#pragma once

#include <string>
#include <vector>

namespace zb::restore {

enum class RestoreOutcome {
    NoArchive,   // no archive chosen: "No Zip file to restore!"
    Declined,    // the user answered No
    NotStarted,  // the archive could not be read (or no destination chosen); error shown
    Succeeded,   // every member restored, or kept by the overwrite rule
    Failed,      // something was not restored; "Restore files fails!" shown and logged
    Cancelled,   // stopped by the user: what was restored stays, "Interrupt" logged
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::NoArchive;
    std::string archivePath;
    int restored = 0;                      // members written
    int kept = 0;                          // existing files kept by the overwrite rule
    std::vector<std::string> notRestored;  // members that failed, with the reason
    std::string error;                     // the error that ended the run, if any
    bool badPassword = false;

    bool ok() const { return outcome == RestoreOutcome::Succeeded; }
};

}  // namespace zb::restore
