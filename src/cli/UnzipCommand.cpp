// "unzip ARCHIVE [MEMBERS...] -d DIR": extracts members, recreating their folders
// (-j puts every file straight into DIR), with an overwrite rule (-o always, -n never,
// --overwrite prompt|always|never|newer|older) and a password (-P, or asked for on
// the terminal). Members that fail are reported on the error stream and make the exit
// code non-zero, as do a pattern that matches nothing and a directory that needed
// repair; files kept by the overwrite rule do not. Members are decoded ahead by one
// thread per core unless --threads says otherwise; what is written and said is the same.
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/OverwriteMode.h"
#include "cli/TerminalText.h"
#include "zip/ZipErrors.h"

namespace zb::cli {

namespace {

// What a run has extracted and what it could not.
struct UnzipTally {
    int files = 0;
    int failures = 0;
};

// Each extracted file on the output (unless quiet); each member that failed, with
// why, on the error stream; a file kept by the overwrite rule as kept.
void reportMembers(zip::TZipReader& reader, const UnzipOptions& options, ArchiveIo& io, UnzipTally& tally) {
    reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) {
        ++tally.files;
        if (options.quiet) return;
        io.clearBar();
        io.out << "  extracting: " << printableName(name) << '\n';
    };
    reader.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t calc, std::uint32_t stored, int index) {
        ++tally.failures;
        io.clearBar();
        io.err << "  " << printableName(r.Member(index).storedName()) << ": " << badCrcText(r, calc, stored)
               << ", not extracted\n";
    };
    reader.OnSkippingFile = [&](zip::TZipReader& r, zip::TSkipReason reason, const std::string& name, int, bool&) {
        io.clearBar();
        if (reason == zip::skipNoOverwrite) {
            if (!options.quiet) io.out << "  kept: " << printableName(name) << '\n';
            return;
        }
        ++tally.failures;
        io.err << "  " << printableName(name) << ": " << printableName(skipText(reason, r.LastSkipDetail()))
               << ", not extracted\n";
    };
}

// "replace NAME? [y]es, [n]o, [A]ll, [N]one" on the terminal; without one, existing
// files are kept, and that is said once.
void askBeforeReplacing(zip::TZipReader& reader, ArchiveIo& io) {
    auto toldNoTerminal = std::make_shared<bool>(false);
    reader.OnPromptForOverwrite = [&io, toldNoTerminal](zip::TZipReader& r, bool& yes, int, std::string& name) {
        io.clearBar();
        if (!io.interactive) {
            if (!*toldNoTerminal) {
                io.err << "Existing files are kept: there is no terminal to ask (use -o to replace them).\n";
                *toldNoTerminal = true;
            }
            return;
        }
        for (;;) {
            io.err << "replace " << printableName(name) << "? [y]es, [n]o, [A]ll, [N]one: " << std::flush;
            std::string answer;
            if (!std::getline(io.in, answer)) return;
            if (answer == "y" || answer == "Y" || answer == "yes")
                yes = true;
            else if (answer == "A")
                r.OverwriteMode = zip::Always, yes = true;
            else if (answer == "N")
                r.OverwriteMode = zip::Never;
            else if (answer != "n" && answer != "no")
                continue;
            return;
        }
    };
}

// The closing lines and the exit code of a run that got through the archive.
int summarise(const zip::TZipReader& reader, const UnzipOptions& options, ArchiveIo& io, const UnzipTally& tally,
              int extracted, bool unmatched) {
    const bool repaired = reportRepairs(io, reader, options.archive);
    if (tally.failures == 0) {
        // With -j no folder is made, whatever the archive's folder entries.
        if (!options.quiet && !unmatched)
            io.out << countsText(tally.files, options.junkPaths ? 0 : extracted - tally.files) << " extracted.\n";
        return unmatched || repaired ? kExitFailed : kExitOk;
    }
    io.err << tally.failures << (tally.failures == 1 ? " member" : " members") << " not extracted from "
           << options.archive << ".\n";
    return kExitFailed;
}

}  // namespace

int runUnzipCommand(const UnzipOptions& options, ArchiveIo& io) {
    std::string error;
    const auto mode = parseOverwriteMode(options.overwriteAlways, options.overwriteNever, options.overwrite, error);
    if (!mode) {
        io.err << "Error: " << error << '\n';
        return kExitBadRequest;
    }
    zip::TZipReader reader;
    UnzipTally tally;
    std::string current;
    try {
        prepareMemberRun(reader, options, io, current);
        reader.SetDestDir(options.destDir.empty() ? "." : options.destDir);
        reader.RecreateDirs = !options.junkPaths;
        if (options.threads > 0) reader.SetThreads(options.threads);
        reader.OverwriteMode = *mode;
        reportMembers(reader, options, io, tally);
        askBeforeReplacing(reader, io);
        const bool unmatched = announceMemberRun(reader, options, io);
        CancelOnInterrupt interrupt(reader);
        const int extracted = reader.UnZip();
        io.clearBar();
        return summarise(reader, options, io, tally, extracted, unmatched);
    } catch (const std::exception&) {
        return reportArchiveError(io, options.archive);
    }
}

}  // namespace zb::cli
