// The archive commands, in the habits of Info-ZIP's unzip and zip: "list" shows the
// members, "test" decodes every member and checks its CRC without writing anything,
// "unzip" extracts, "zip" packs files into a new or an existing archive. Each run
// function takes its streams, so tests drive the commands without a process; their
// options are plain structs that the command line fills.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSettings.h"

namespace zb::cli {

class ProgressBar;

// Where a command reads answers and writes its output.
struct ArchiveIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool interactive = false;         // questions and password prompts may be asked on `in`
    ProgressBar* progress = nullptr;  // the terminal's progress bar, if any

    // Takes the progress bar off the terminal before a line is printed.
    void clearBar() const;
};

struct ListOptions {
    std::string archive;
    std::vector<std::string> members = {};  // patterns; all members when empty
    bool rebuild = false;                   // list a damaged archive from its local headers
};

// What "test" and "unzip" share: the members they decode, and how.
struct MemberRunOptions {
    std::string archive;
    std::vector<std::string> members;  // patterns; all members when empty
    std::optional<std::string> password;
    bool rebuild = false;
    bool quiet = false;
};

struct TestOptions : MemberRunOptions {};

struct UnzipOptions : MemberRunOptions {
    std::string destDir = ".";
    std::string overwrite = "prompt";  // prompt, always, never, newer, older
    bool overwriteAlways = false;      // -o
    bool overwriteNever = false;       // -n
    bool junkPaths = false;            // -j: do not recreate folders
    int threads = 0;                   // --threads: members decoded at once; 0 = the reader's default (1)
};

struct ZipOptions {
    std::string archive;
    std::vector<std::string> specs;       // include lines: file, folder, folder/mask, |/> prefix
    bool recurse = false;                 // -r
    bool noDirEntries = false;            // -D: no entries for the folders -r walks
    bool storeLinks = false;              // -y: links stored as links, none followed
    bool storePaths = false;              // -p
    std::string root;                     // --root: names relative to this folder
    int level = 6;                        // -0 .. -9, --level
    std::optional<std::string> password;  // -P
    bool promptPassword = false;          // -e: asked twice on the terminal
    std::vector<std::string> exclude;     // -x
    std::vector<std::string> noCompress;  // -n
    std::optional<std::string> comment;   // --comment
    bool update = false;                  // -u (also what happens without -f or --replace)
    bool freshen = false;                 // -f
    bool replace = false;                 // --replace
    bool quiet = false;
    int threads = 0;  // --threads: files packed at once; 0 = one per core
};

int runListCommand(const ListOptions& options, ArchiveIo& io);
int runTestCommand(const TestOptions& options, ArchiveIo& io);
int runUnzipCommand(const UnzipOptions& options, ArchiveIo& io);
int runZipCommand(const ZipOptions& options, ArchiveIo& io);

}  // namespace zb::cli
