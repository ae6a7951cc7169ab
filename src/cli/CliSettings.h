// Where the command line finds "project.ini" and "log.txt" (the --app-dir option, the
// environment, the program's folder or the user's config folder, in that order), and
// the preferences read from it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "store/Preferences.h"

namespace zb::cli {

// Options shared by every command.
struct GlobalOptions {
    std::string appDir;  // --app-dir: folder of "project.ini" and "log.txt"
};

struct CliSettings {
    std::filesystem::path appDir;
    std::filesystem::path projectIni() const { return appDir / "project.ini"; }
    std::filesystem::path logTxt() const { return appDir / "log.txt"; }
    store::Preferences preferences() const;
};

CliSettings resolveSettings(const GlobalOptions& global);

// Runs a project command on the resolved settings for its exit code. An error thrown on
// the way (settings that cannot be read, a refused write) is reported on standard
// error as "Error: <message>" and ends the job as failed.
int runProjectCommand(const GlobalOptions& global, const std::function<int(const CliSettings&)>& command);

// Exit codes of the project commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;      // the job ran and failed (or was incomplete)
inline constexpr int kExitBadRequest = 2;  // unknown project, refused input

}  // namespace zb::cli
