// "restore ARCHIVE DEST": the restore run of the page "Restore" for one archive, with
// the options of the usual unzip tool: -o overwrite always, -n never overwrite,
// --overwrite for every rule of the page, -j without the stored folders, -P password.
// Without -o or -n each existing file is asked about (kept when no one can answer).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/CliSettings.h"
#include "platform/Ui.h"

namespace zb::cli {

struct RestoreOptions {
    std::string archive;
    std::string destination;
    bool overwriteAlways = false;          // -o
    bool overwriteNever = false;           // -n
    std::optional<std::string> overwrite;  // always | never | prompt | newer | older
    bool junkPaths = false;                // -j
    std::optional<std::string> password;   // -P
    std::optional<std::string> project;    // the project the log entry names
};

int runRestoreCommand(const CliSettings& settings, const RestoreOptions& options, platform::Ui& ui, std::ostream& err);

}  // namespace zb::cli
