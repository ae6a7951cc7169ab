// The command line of zipbackup-cli: parses the arguments, builds the subcommands with
// their options and runs the one that was named. The option parser's large header is
// compiled only behind this function, so the command files stay quick to build.
#pragma once

namespace zb::cli {

// Returns the process's exit code: the command's own, or the parser's on a usage error.
int runCommandLine(int argc, char** argv);

}  // namespace zb::cli
