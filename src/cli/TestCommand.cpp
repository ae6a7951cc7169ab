// "test ARCHIVE [MEMBERS...]": decodes every (or every named) member in memory and
// checks its CRC, writing nothing. Each failure is reported on the error stream; the
// exit code says whether all members were sound and the directory needed no repair.
#include <unistd.h>

#include <iostream>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/TerminalText.h"
#include "cli/ProgressBar.h"
#include "zip/ZipErrors.h"

namespace zb::cli {

int runTestCommand(const TestOptions& options, ArchiveIo& io) {
    zip::TZipReader reader;
    int failures = 0;
    std::string current;
    auto clearBar = [&] {
        if (io.progress) io.progress->clear();
    };
    try {
        setUpReader(reader, options.archive, options.rebuild);
        reader.DoAll = options.members.empty();
        reader.FilesList = options.members;
        if (options.password) reader.Password = *options.password;
        attachPasswordPrompt(reader, io, options.password.has_value());
        reader.OnStartUnZip = [&](zip::TZipReader&, int, std::string& name, bool&) { current = name; };
        reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) {
            if (options.quiet) return;
            clearBar();
            io.out << "    testing: " << printableName(name) << "  OK\n";
        };
        reader.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t calc, std::uint32_t stored, int index) {
            ++failures;
            clearBar();
            io.err << "    testing: " << printableName(r.Member(index).storedName()) << "  " << badCrcText(r, calc, stored) << '\n';
        };
        reader.OnSkippingFile = [&](zip::TZipReader& r, zip::TSkipReason reason, const std::string& name, int,
                                    bool&) {
            ++failures;
            clearBar();
            io.err << "    testing: " << printableName(name) << "  " << printableName(skipText(reason, r.LastSkipDetail())) << '\n';
        };
        reader.OnTotalPercentDone = [&](zip::TZipReader&, int percent) {
            if (io.progress) io.progress->update(percent, current);
        };
        if (!options.quiet) io.out << "Archive:  " << options.archive << '\n';
        const bool unmatched = reportUnmatched(io, unmatchedPatterns(reader, options.members));
        CancelOnInterrupt interrupt(reader);
        int sound = reader.UnZipToBuffer();
        // Folder entries hold no data to test; they are counted as list counts them.
        int folders = 0;
        const std::vector<std::string> patterns = memberPatterns(options.members);
        for (int i = 0; i < reader.MemberCount(); ++i) {
            const zip::TZipHeaderInfo& h = reader.Member(i);
            folders += h.fileName().empty() && matchesAny(patterns, h.storedName()) ? 1 : 0;
        }
        clearBar();
        // A directory that needed repair is not a sound archive, whatever decoded.
        const bool repaired = reportRepairs(io, reader, options.archive);
        if (failures == 0 && (unmatched || repaired)) return kExitFailed;
        if (failures == 0) {
            io.out << "No errors detected in compressed data of " << options.archive << " ("
                   << countsText(sound, folders) << ").\n";
            return kExitOk;
        }
        io.err << failures << (failures == 1 ? " error" : " errors") << " detected in " << options.archive << ".\n";
        return kExitFailed;
    } catch (const std::exception&) {
        clearBar();
        return reportArchiveError(io, options.archive);
    }
}

void registerTestCommand(CLI::App& app, const GlobalOptions&, ExitCode& exitCode) {
    auto options = std::make_shared<TestOptions>();
    auto password = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("test", "Decode every member and check its CRC, writing nothing");
    cmd->add_option("archive", options->archive, "The ZIP archive")->required();
    cmd->add_option("members", options->members, "Only the members matching these patterns");
    auto* pw = cmd->add_option("-P,--password", *password, "Password of encrypted members");
    cmd->add_flag("--rebuild", options->rebuild, "Read a damaged archive from its local headers");
    cmd->add_flag("-q,--quiet", options->quiet, "Report only failures");
    cmd->callback([options, password, pw, &exitCode] {
        if (pw->count()) options->password = *password;
        ProgressBar bar = ProgressBar::forStderr();
        ArchiveIo io{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, &bar};
        exitCode = runTestCommand(*options, io);
    });
}

}  // namespace zb::cli
