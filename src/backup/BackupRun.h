// The backup run: packs what the loaded project selects into one archive at the page's
// archive path, through the user-interface seam only. It asks first when the
// preference says so, checks the project's fields, deals with an archive that already
// exists, runs the archive writer with the project's options while the program is busy,
// then reports and logs the outcome and advances the running number.
//
// The new archive is written under a temporary name in the same folder and takes the
// archive's name only when it is complete, so a run that fails leaves an older archive
// of that name as it was. A run that fails is logged as "Fails" with the error's text.
// Files the writer had to leave out (unreadable, vanished, shadowed by a duplicate
// stored name) make the entry "Fails" and are named; the archive stays, and the number
// advances as after a good run. Each run uses a writer of its own, so no setting or
// pending comment of one run ever reaches another run's archive.
//
// The window's "Cancel" stops a run through the services' cancel request: the archive
// being written is removed, an older archive of the same name stays as it was, the
// number does not advance, and the run is logged "Interrupt".
#pragma once

#include "backup/BackupOutcome.h"
#include "backup/BackupPage.h"
#include "backup/FileSizeKb.h"
#include "log/ActivityLog.h"
#include "platform/CancelRequest.h"
#include "platform/DateTime.h"
#include "platform/Ui.h"
#include "store/Preferences.h"
#include "store/ProjectStore.h"

namespace zb::backup {

// The message window's time for every outcome message.
inline constexpr int kMessageSeconds = 4;

// How many left-out files the message lists by name.
inline constexpr std::size_t kLeftOutNamesShown = 10;

struct BackupServices {
    platform::Ui& ui;
    const platform::Clock& clock;
    const store::ProjectStore& projects;
    activitylog::ActivityLog& log;
    // Set by the window while the run processes events; cleared when a run starts.
    // Null: the run cannot be cancelled.
    platform::CancelRequest* cancel = nullptr;
};

// Runs a backup of the page's project; on success (also with files left out) the
// page shows the next number and the next archive path afterwards. Errors do not
// escape: they are shown through the seam and logged.
BackupResult SpStartClick(BackupPage& page, const store::Preferences& prefs, BackupServices& services);

}  // namespace zb::backup
