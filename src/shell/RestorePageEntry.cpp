// Entering the page "Restore". See RestorePageEntry.h.
#include "shell/RestorePageEntry.h"

namespace zb::shell {

std::string restoreFolderOf(const backup::BackupPage& page) { return page.record.savePath; }

RestorePageEntry PageControl1Change(const backup::BackupPage& page, const store::Preferences& prefs) {
    RestorePageEntry entry;
    entry.folder = restoreFolderOf(page);
    entry.listing = restore::DirectoryViewChange(entry.folder, static_cast<restore::SortColumn>(prefs.sortField),
                                                 prefs.sortDescending);
    return entry;
}

}  // namespace zb::shell
