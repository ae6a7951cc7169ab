// "unzip ARCHIVE [MEMBERS...] -d DIR": extracts members, recreating their folders
// (-j puts every file straight into DIR), with an overwrite rule (-o always, -n never,
// --overwrite prompt|always|never|newer|older) and a password (-P, or asked for on
// the terminal). Members that fail are reported on the error stream and make the exit
// code non-zero, as do a pattern that matches nothing and a directory that needed
// repair; files kept by the overwrite rule do not.
#include <unistd.h>

#include <iostream>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/TerminalText.h"
#include "cli/ProgressBar.h"
#include "zip/ZipErrors.h"

namespace zb::cli {

namespace {

std::optional<zip::TUZOverwriteMode> overwriteMode(const UnzipOptions& o, std::string& error) {
    if (o.overwriteAlways && o.overwriteNever) {
        error = "-o and -n exclude each other";
        return std::nullopt;
    }
    if (o.overwriteAlways) return zip::Always;
    if (o.overwriteNever) return zip::Never;
    if (o.overwrite == "prompt") return zip::Prompt;
    if (o.overwrite == "always") return zip::Always;
    if (o.overwrite == "never") return zip::Never;
    if (o.overwrite == "newer") return zip::ifNewer;
    if (o.overwrite == "older") return zip::ifOlder;
    error = "unknown overwrite mode \"" + o.overwrite + "\" (prompt, always, never, newer or older)";
    return std::nullopt;
}

}  // namespace

int runUnzipCommand(const UnzipOptions& options, ArchiveIo& io) {
    std::string error;
    auto mode = overwriteMode(options, error);
    if (!mode) {
        io.err << "Error: " << error << '\n';
        return kExitBadRequest;
    }
    zip::TZipReader reader;
    int failures = 0;
    bool toldNoTerminal = false;
    std::string current;
    auto clearBar = [&] {
        if (io.progress) io.progress->clear();
    };
    try {
        setUpReader(reader, options.archive, options.rebuild);
        reader.SetDestDir(options.destDir.empty() ? "." : options.destDir);
        reader.RecreateDirs = !options.junkPaths;
        reader.OverwriteMode = *mode;
        reader.DoAll = options.members.empty();
        reader.FilesList = options.members;
        if (options.password) reader.Password = *options.password;
        attachPasswordPrompt(reader, io, options.password.has_value());
        reader.OnStartUnZip = [&](zip::TZipReader&, int, std::string& name, bool&) { current = name; };
        int files = 0;
        reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) {
            ++files;
            if (options.quiet) return;
            clearBar();
            io.out << "  extracting: " << printableName(name) << '\n';
        };
        reader.OnPromptForOverwrite = [&](zip::TZipReader& r, bool& yes, int, std::string& name) {
            clearBar();
            if (!io.interactive) {
                if (!toldNoTerminal) {
                    io.err << "Existing files are kept: there is no terminal to ask (use -o to replace them).\n";
                    toldNoTerminal = true;
                }
                return;
            }
            for (;;) {
                io.err << "replace " << printableName(name) << "? [y]es, [n]o, [A]ll, [N]one: " << std::flush;
                std::string answer;
                if (!std::getline(io.in, answer)) return;
                if (answer == "y" || answer == "Y" || answer == "yes") yes = true;
                else if (answer == "A") r.OverwriteMode = zip::Always, yes = true;
                else if (answer == "N") r.OverwriteMode = zip::Never;
                else if (answer != "n" && answer != "no") continue;
                return;
            }
        };
        reader.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t calc, std::uint32_t stored, int index) {
            ++failures;
            clearBar();
            io.err << "  " << printableName(r.Member(index).storedName()) << ": " << badCrcText(r, calc, stored)
                   << ", not extracted\n";
        };
        reader.OnSkippingFile = [&](zip::TZipReader& r, zip::TSkipReason reason, const std::string& name, int,
                                    bool&) {
            clearBar();
            if (reason == zip::skipNoOverwrite) {
                if (!options.quiet) io.out << "  kept: " << printableName(name) << '\n';
                return;
            }
            ++failures;
            io.err << "  " << printableName(name) << ": " << printableName(skipText(reason, r.LastSkipDetail())) << ", not extracted\n";
        };
        reader.OnTotalPercentDone = [&](zip::TZipReader&, int percent) {
            if (io.progress) io.progress->update(percent, current);
        };
        if (!options.quiet) io.out << "Archive:  " << options.archive << '\n';
        const bool unmatched = reportUnmatched(io, unmatchedPatterns(reader, options.members));
        CancelOnInterrupt interrupt(reader);
        int extracted = reader.UnZip();
        clearBar();
        const bool repaired = reportRepairs(io, reader, options.archive);
        if (failures == 0) {
            // With -j no folder is made, whatever the archive's folder entries.
            if (!options.quiet && !unmatched)
                io.out << countsText(files, options.junkPaths ? 0 : extracted - files) << " extracted.\n";
            return unmatched || repaired ? kExitFailed : kExitOk;
        }
        io.err << failures << (failures == 1 ? " member" : " members") << " not extracted from " << options.archive
               << ".\n";
        return kExitFailed;
    } catch (const std::exception&) {
        clearBar();
        return reportArchiveError(io, options.archive);
    }
}

void registerUnzipCommand(CLI::App& app, const GlobalOptions&, ExitCode& exitCode) {
    auto options = std::make_shared<UnzipOptions>();
    auto password = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("unzip", "Extract the members of an archive");
    cmd->add_option("archive", options->archive, "The ZIP archive")->required();
    cmd->add_option("members", options->members, "Only the members matching these patterns");
    cmd->add_option("-d,--dest", options->destDir, "Folder to extract into (default: the current folder)");
    cmd->add_flag("-o", options->overwriteAlways, "Replace existing files without asking");
    cmd->add_flag("-n", options->overwriteNever, "Never replace existing files");
    cmd->add_option("--overwrite", options->overwrite, "prompt, always, never, newer or older (default prompt)");
    cmd->add_flag("-j,--junk-paths", options->junkPaths, "Do not recreate the members' folders");
    auto* pw = cmd->add_option("-P,--password", *password, "Password of encrypted members");
    cmd->add_flag("--rebuild", options->rebuild, "Read a damaged archive from its local headers");
    cmd->add_flag("-q,--quiet", options->quiet, "Report only failures");
    cmd->callback([options, password, pw, &exitCode] {
        if (pw->count()) options->password = *password;
        ProgressBar bar = ProgressBar::forStderr();
        ArchiveIo io{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, &bar};
        exitCode = runUnzipCommand(*options, io);
    });
}

}  // namespace zb::cli
