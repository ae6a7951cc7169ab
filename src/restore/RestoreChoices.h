// What the user chose on the page "Restore" for one run: which archive, where to, with
// or without the stored folders, which overwrite rule, and the password field.
#pragma once

#include <string>

#include "zip/ZipReaderTypes.h"

namespace zb::restore {

struct RestoreChoices {
    std::string folder;        // the archive folder field
    std::string fileName;      // the Filename cell of the chosen row
    std::string destination;   // "Extract to:"
    bool useFolderNames = true;            // "Use Original Folder Names"
    zip::TUZOverwriteMode overwriteMode = zip::Never;
    std::string password;      // "If Has Password:", as typed
    // The window asks before it starts; a command line has been asked already.
    bool askFirst = true;
};

// The caption of the overwrite choice, as the page labels it.
const char* OverwriteModeCaption(zip::TUZOverwriteMode mode);

}  // namespace zb::restore
