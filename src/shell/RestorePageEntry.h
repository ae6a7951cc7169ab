// Entering the page "Restore": the folder field takes the save folder of the project
// the page "Backup " shows (as it is there, edits included), and the archive list is
// rebuilt for it with the sort of the preferences.
#pragma once

#include <string>

#include "backup/BackupPage.h"
#include "restore/ArchiveFolder.h"
#include "store/Preferences.h"

namespace zb::shell {

struct RestorePageEntry {
    std::string folder;              // DirectoryView's text
    restore::ArchiveListing listing; // the archive list and its count label
};

// The folder the page "Restore" shows on entering.
std::string restoreFolderOf(const backup::BackupPage& page);

RestorePageEntry PageControl1Change(const backup::BackupPage& page, const store::Preferences& prefs);

}  // namespace zb::shell
