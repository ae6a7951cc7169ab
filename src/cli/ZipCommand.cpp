// "zip ARCHIVE SPEC...": packs files into an archive with the engine's writer, in the
// habits of Info-ZIP's zip. Each SPEC is an include line as the writer takes it (a
// file, a folder, or a folder with a mask such as "docs/*.txt"); a folder named with -r
// is packed with everything below it. An existing archive is updated through a
// temporary file and stays as it was when the run fails. Every file that was left out
// is named on the error stream and makes the exit code non-zero; a file that changed
// while it was packed is named too, but it is in the archive as read. What is no data
// (a pipe, a device, a link that leads nowhere) is named and left out without making
// the run fail; with -y a link of any kind is stored as the link it is. Files are
// packed by one thread per core unless --threads says otherwise; the archive is the
// same whatever the count.
#include <algorithm>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <thread>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/PasswordPrompt.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"

namespace zb::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kEncryptionHeader = 12;

bool hasPattern(const std::string& spec) { return spec.find_first_of("*?") != std::string::npos; }

// A SPEC as the writer's include lines: relative to the root folder when one is given,
// and a folder named with -r as that folder's whole tree, led by the folder's own entry
// when folders get entries. With -y a link stays the link it is, even to a folder.
std::vector<std::string> includeLines(std::string spec, const ZipOptions& o, const std::string& root,
                                      bool folderEntries) {
    std::string lead;
    if (!spec.empty() && (spec[0] == '|' || spec[0] == '>')) {
        lead = spec.substr(0, 1);
        spec.erase(0, 1);
    }
    if (!root.empty() && !spec.empty() && spec[0] != '/') spec = root + spec;
    std::error_code ec;
    if (spec.empty() || hasPattern(spec) || (o.storeLinks && fs::is_symlink(spec, ec)) || !fs::is_directory(spec, ec))
        return {lead + spec};
    spec = fs::path(spec).lexically_normal().string();
    if (spec.back() != '/') spec += '/';
    if (!o.recurse) return {lead + spec};
    if (folderEntries && lead.empty()) return {spec, spec + '*'};
    return {lead + spec + '*'};
}

// An -x pattern that names folders ("sub/*.log") starts where relative SPECs start, at
// the root folder when one is given; a bare name pattern matches file names in any
// folder.
std::vector<std::string> patternsFor(const std::vector<std::string>& patterns, const std::string& root) {
    std::vector<std::string> out;
    for (const std::string& p : patterns) {
        const bool namesFolders = p.find('/') != std::string::npos;
        out.push_back(namesFolders && !root.empty() && p[0] != '/' && p[0] != '*' ? root + p : p);
    }
    return out;
}

// "deflated 67%" or "stored 0%", as a file list of a packing run shows them.
std::string methodText(std::int64_t uncompressed, std::int64_t compressed) {
    if (uncompressed <= 0 || compressed >= uncompressed) return "stored 0%";
    return "deflated " + std::to_string((uncompressed - compressed) * 100 / uncompressed) + "%";
}

const char* pathSkipText(zip::TPathSkipReason reason) {
    switch (reason) {
        case zip::psFolderUnreadable: return "folder cannot be read";
        case zip::psSpecialFile: return "not a regular file, left out";
        case zip::psFolderLink: return "link to a folder, not followed (-y stores it as a link)";
        case zip::psFolderMissing: return "no such folder";
    }
    return "left out";
}

// The password from -P or asked twice on the terminal; `refusal` says why there is
// none when the options ask for one that cannot be had.
std::optional<std::string> passwordFor(const ZipOptions& o, ArchiveIo& io, std::string& refusal) {
    if (!o.promptPassword) return o.password;
    auto refuse = [&refusal](const char* why) -> std::optional<std::string> {
        refusal = why;
        return std::nullopt;
    };
    if (o.password) return refuse("-e and -P exclude each other");
    const auto first = promptPassword(io.in, io.err, "Enter password: ", io.interactive);
    if (!first) return refuse("a password can only be asked for on a terminal (use -P)");
    const auto second = promptPassword(io.in, io.err, "Verify password: ", io.interactive);
    if (!second || *second != *first) return refuse("the passwords do not match");
    if (first->empty()) return refuse("the password is empty");
    return first;
}

// Checks that only need the options; an empty text when they are fine.
std::string refusedOptions(const ZipOptions& o) {
    if (o.level < 0 || o.level > 9) return "the level runs from 0 to 9";
    if (int(o.update) + int(o.freshen) + int(o.replace) > 1) return "-u, -f and --replace exclude each other";
    for (const std::string& p : o.noCompress)
        if (p.find('/') != std::string::npos) return "-n takes file name patterns without folders: " + p;
    if (o.specs.empty() && !o.comment) return "nothing to pack: name files or folders after the archive";
    std::error_code ec;
    const fs::path folder = fs::absolute(o.archive, ec).parent_path();
    if (!fs::is_directory(folder, ec)) return "no such folder: " + folder.string();
    if (fs::is_directory(o.archive, ec)) return o.archive + " is a folder";
    if (!o.root.empty() && !fs::is_directory(o.root, ec)) return "no such folder: " + o.root;
    return {};
}

// What a packing run has counted, and the member at hand for the file list and the
// progress bar.
struct ZipTally {
    int leftOut = 0;
    int folders = 0;
    std::string current;
};

// A file that was left out: named as a warning, and the run fails.
void warnLeftOut(ArchiveIo& io, ZipTally& tally, const std::string& text) {
    ++tally.leftOut;
    io.clearBar();
    io.err << "  warning: " << text << '\n';
}

// The writer set up as the options say; true when the folders -r walks get entries.
bool configureWriter(zip::TZipWriter& w, const ZipOptions& options, const std::string& root,
                     const std::optional<std::string>& password) {
    if (!root.empty()) {
        w.SetRootDir(root);
        w.SetRelativePaths(true);
    } else if (options.storePaths) {
        w.SetStorePaths(true);
    }
    w.SetRecurse(options.recurse);
    // The folders -r walks get entries of their own, so empty ones come back; only
    // where folders are stored at all, or same-named folders would clash.
    const bool folderEntries = options.recurse && !options.noDirEntries && (options.storePaths || !root.empty());
    w.SetAddDirEntriesOnRecurse(folderEntries);
    w.SetStoreLinks(options.storeLinks);
    w.SetPackLevel(options.level);
    if (password) w.Password = *password;
    w.SetExcludeList(patternsFor(options.exclude, root));
    w.SetNoCompressList(options.noCompress);
    w.SetZipAction(options.freshen ? zip::zaFreshen : options.replace ? zip::zaReplace : zip::zaUpdate);
    w.SetThreads(options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency())));
    return folderEntries;
}

// The --root folder as the writer takes it: absolute, ending in "/"; empty without one.
std::string rootFolder(const ZipOptions& options) {
    if (options.root.empty()) return {};
    std::error_code ec;
    std::string root = fs::absolute(options.root, ec).lexically_normal().string();
    if (!root.empty() && root.back() != '/') root += '/';
    return root;
}

// What was left out, and why, on the error stream. What is no data is named without
// failing the run; a folder link is only noted, unless quiet.
void reportLeftOut(zip::TZipWriter& w, const ZipOptions& options, ArchiveIo& io, ZipTally& tally) {
    w.OnNoSuchFile = [&](zip::TZipWriter&, const std::string& path) {
        warnLeftOut(io, tally, "name not matched: " + path);
    };
    w.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string& path, int, bool&) {
        warnLeftOut(
            io, tally,
            (reason == zip::skipNoOverwrite ? "duplicate name, left out: " : "could not open for reading: ") + path);
    };
    w.OnPathSkipped = [&](zip::TZipWriter&, zip::TPathSkipReason reason, const std::string& path) {
        if (reason == zip::psFolderLink) {
            // Not followed on purpose, so the walk cannot loop: worth a note, not a failure.
            if (!options.quiet) {
                io.clearBar();
                io.err << "  note: " << pathSkipText(reason) << ": " << path << '\n';
            }
            return;
        }
        if (reason == zip::psSpecialFile) {
            // No data to lose: named, even when quiet, but the run has not failed.
            io.clearBar();
            std::error_code linkError;
            io.err << "  warning: "
                   << (fs::is_symlink(path, linkError) ? "link that leads nowhere, left out (-y stores it as a link)"
                                                       : pathSkipText(reason))
                   << ": " << path << '\n';
            return;
        }
        warnLeftOut(io, tally, std::string(pathSkipText(reason)) + ": " + path);
    };
    w.OnFileChanged = [&](zip::TZipWriter&, const std::string& path) {
        io.clearBar();
        io.err << "  warning: changed while packed, stored as read: " << path << '\n';
    };
}

// Each member packed, with its method and saving, on the output (unless quiet), and
// the progress bar under the member at hand.
void reportPacked(zip::TZipWriter& w, const ZipOptions& options, ArchiveIo& io, ZipTally& tally, bool encrypted) {
    w.OnStartZip = [&](zip::TZipWriter&, const std::string&, zip::TZipHeaderInfo& header, bool&) {
        tally.current = header.storedName();
    };
    w.OnEndZip = [&, encrypted](zip::TZipWriter&, const std::string& path, std::int64_t u, std::int64_t c,
                                std::int64_t) {
        if (!path.empty() && path.back() == '/') ++tally.folders;
        if (options.quiet) return;
        io.clearBar();
        if (encrypted && c >= kEncryptionHeader) c -= kEncryptionHeader;
        io.out << "  adding: " << tally.current << " (" << methodText(u, c) << ")\n";
    };
    showProgress(w, io, tally.current);
}

// The closing lines and the exit code of a run that wrote the archive.
int summarise(const ZipOptions& options, ArchiveIo& io, const ZipTally& tally, int zipped, bool existed) {
    const int count = zipped - tally.folders;  // files; folder entries come with them
    if (!existed && count == 0 && !options.comment) {
        // Nothing matched: an empty new archive would only hide the mistake.
        std::error_code ec;
        fs::remove(options.archive, ec);
        io.err << "Error: nothing to pack; " << options.archive << " was not written\n";
        return kExitFailed;
    }
    if (!options.quiet) io.out << options.archive << ": " << count << (count == 1 ? " file" : " files") << " packed\n";
    if (tally.leftOut) {
        io.err << tally.leftOut << (tally.leftOut == 1 ? " file" : " files") << " left out of " << options.archive
               << ".\n";
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int runZipCommand(const ZipOptions& options, ArchiveIo& io) {
    std::string refusal = refusedOptions(options);
    const std::optional<std::string> password = refusal.empty() ? passwordFor(options, io, refusal) : std::nullopt;
    if (!refusal.empty()) {
        io.err << "Error: " << refusal << '\n';
        return kExitBadRequest;
    }
    ZipTally tally;  // before the writer, whose handlers count in it
    zip::TZipWriter w;
    const std::string root = rootFolder(options);
    const bool folderEntries = configureWriter(w, options, root, password);
    std::error_code ec;
    const bool existed = fs::exists(options.archive, ec);
    try {
        w.SetZipName(options.archive);
        if (options.comment) {
            // The comment is an edit of the archive as read: load it first, or the
            // reading would put the old comment back.
            if (existed) w.ReadDirectory();
            w.SetArchiveComment(*options.comment);
        }
        for (const std::string& spec : options.specs)
            for (std::string& line : includeLines(spec, options, root, folderEntries))
                w.FilesList.push_back(std::move(line));
        reportLeftOut(w, options, io, tally);
        reportPacked(w, options, io, tally, password.has_value());
        CancelOnInterrupt interrupt(w);
        const int zipped = w.Zip();
        io.clearBar();
        return summarise(options, io, tally, zipped, existed);
    } catch (const zip::EUserCanceled& e) {
        io.clearBar();
        io.err << "Error: " << e.what() << "; " << options.archive << (existed ? " is unchanged" : " was not written")
               << '\n';
        return kExitInterrupted;
    } catch (const std::exception& e) {
        io.clearBar();
        io.err << "Error: " << options.archive << ": " << e.what() << "; "
               << (existed ? "the archive is unchanged" : "no archive was written") << '\n';
        return kExitFailed;
    }
}

}  // namespace zb::cli
