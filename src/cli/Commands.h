// What a command file needs to add its subcommand to the option parser. The parser's
// header is large: only the files that build subcommands include this one (the project
// commands are all built in CommandLine.cpp).
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliSettings.h"

namespace zb::cli {

// Each register function adds one subcommand whose callback sets `exitCode`.
using ExitCode = int;

}  // namespace zb::cli
