// zipbackup-cli: the program's jobs from a terminal. The command line names the job;
// each command reports its own errors on stderr and sets the exit code.
#include "cli/CommandLine.h"

int main(int argc, char** argv) { return zb::cli::runCommandLine(argc, argv); }
