// The subcommands of zipbackup-cli. Each command file adds its subcommand to the
// application and keeps its own options; main() only wires them together, so a
// new command is one new file and one line in main.cpp.
#pragma once

#include <CLI/CLI.hpp>

namespace zb::cli {

// Options shared by every command (the settings folder, for example).
struct GlobalOptions {
    std::string appDir;  // --app-dir: folder of "project.ini" and "log.txt"
};

// Each register function adds one subcommand whose callback sets `exitCode`.
using ExitCode = int;

}  // namespace zb::cli
