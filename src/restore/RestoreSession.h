// The restore side of the program around one archive reader, which keeps the last
// archive listed and the password of the last restore that gave one: listing the
// members of an archive, and the restore run, which asks first, extracts the whole
// archive with the chosen rules while the program is busy, then reports and logs the
// outcome through the user-interface seam.
//
// A run reports success only when every member was restored or kept by the chosen
// overwrite rule (the message then says how many were kept). A member that fails its
// CRC or its password, has an unsafe name or cannot be created, and an error that
// ends the run, make it "Restore files fails!" with what was not restored named.
//
// The window's "Cancel" stops a run through the cancel request: the members restored
// before it stay, the member being written and every later target are left as they
// were (a member reaches its target only whole and checked), and the run is logged
// "Interrupt" with the count restored.
#pragma once

#include <string>

#include "log/ActivityLog.h"
#include "platform/CancelRequest.h"
#include "platform/Ui.h"
#include "restore/MemberRow.h"
#include "restore/RestoreChoices.h"
#include "restore/RestoreOutcome.h"
#include "zip/TZipReader.h"

namespace zb::restore {

// How many names of members not restored the message lists.
inline constexpr std::size_t kNotRestoredNamesShown = 10;

class RestoreSession {
public:
    // `cancel` is set by the window while a run lets events through; null: a run cannot
    // be cancelled.
    RestoreSession(platform::Ui& ui, activitylog::ActivityLog& log, platform::CancelRequest* cancel = nullptr);

    // The members of the archive `fileName` in `folder`, in archive order. An empty
    // name lists nothing. Throws the reader's error when the archive cannot be read.
    MemberListing ShowArchiveMembers(const std::string& folder, const std::string& fileName);

    // Restores the chosen archive; `project` is the project selected at that moment,
    // which the log entry names. Errors do not escape: they are shown and logged.
    RestoreResult SpRestoreClick(const RestoreChoices& choices, const std::string& project);

    zip::TZipReader& reader() { return reader_; }

private:
    platform::Ui& ui_;
    activitylog::ActivityLog& log_;
    platform::CancelRequest* cancel_;
    zip::TZipReader reader_;
};

}  // namespace zb::restore
