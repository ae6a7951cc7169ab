// "zip ARCHIVE SPEC...": packs files into an archive with the engine's writer, in the
// habits of Info-ZIP's zip. Each SPEC is an include line as the writer takes it (a
// file, a folder, or a folder with a mask such as "docs/*.txt"); a folder named with -r
// is packed with everything below it. An existing archive is updated through a
// temporary file and stays as it was when the run fails. Every file that was left out
// is named on the error stream and makes the exit code non-zero; a file that changed
// while it was packed is named too, but it is in the archive as read. What is no data
// (a pipe, a device, a link that leads nowhere) is named and left out without making
// the run fail; with -y a link of any kind is stored as the link it is.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/PasswordPrompt.h"
#include "cli/ProgressBar.h"
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

// The password from -P or asked twice on the terminal; nullopt after an error message.
std::optional<std::string> passwordFor(const ZipOptions& o, ArchiveIo& io, bool& refused) {
    refused = false;
    if (!o.promptPassword) return o.password;
    if (o.password) {
        io.err << "Error: -e and -P exclude each other\n";
        refused = true;
        return std::nullopt;
    }
    const auto first = promptPassword(io.in, io.err, "Enter password: ", io.interactive);
    if (!first) {
        io.err << "Error: a password can only be asked for on a terminal (use -P)\n";
        refused = true;
        return std::nullopt;
    }
    const auto second = promptPassword(io.in, io.err, "Verify password: ", io.interactive);
    if (!second || *second != *first) {
        io.err << "Error: the passwords do not match\n";
        refused = true;
        return std::nullopt;
    }
    if (first->empty()) {
        io.err << "Error: the password is empty\n";
        refused = true;
        return std::nullopt;
    }
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

}  // namespace

int runZipCommand(const ZipOptions& options, ArchiveIo& io) {
    if (const std::string refused = refusedOptions(options); !refused.empty()) {
        io.err << "Error: " << refused << '\n';
        return kExitBadRequest;
    }
    bool refused = false;
    const std::optional<std::string> password = passwordFor(options, io, refused);
    if (refused) return kExitBadRequest;

    auto clearBar = [&] {
        if (io.progress) io.progress->clear();
    };
    int leftOut = 0;
    auto warn = [&](const std::string& text) {
        ++leftOut;
        clearBar();
        io.err << "  warning: " << text << '\n';
    };

    zip::TZipWriter w;
    std::string root;
    if (!options.root.empty()) {
        std::error_code ec;
        root = fs::absolute(options.root, ec).lexically_normal().string();
        if (root.back() != '/') root += '/';
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
    std::error_code ec;
    const bool existed = fs::exists(options.archive, ec);
    std::string current;
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

        w.OnNoSuchFile = [&](zip::TZipWriter&, const std::string& path) { warn("name not matched: " + path); };
        w.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string& path, int, bool&) {
            warn((reason == zip::skipNoOverwrite ? "duplicate name, left out: " : "could not open for reading: ") +
                 path);
        };
        w.OnPathSkipped = [&](zip::TZipWriter&, zip::TPathSkipReason reason, const std::string& path) {
            if (reason == zip::psFolderLink) {
                // Not followed on purpose, so the walk cannot loop: worth a note, not a failure.
                if (!options.quiet) {
                    clearBar();
                    io.err << "  note: " << pathSkipText(reason) << ": " << path << '\n';
                }
                return;
            }
            if (reason == zip::psSpecialFile) {
                // No data to lose: named, even when quiet, but the run has not failed.
                clearBar();
                std::error_code linkError;
                io.err << "  warning: "
                       << (fs::is_symlink(path, linkError) ? "link that leads nowhere, left out (-y stores it as a link)"
                                                           : pathSkipText(reason))
                       << ": " << path << '\n';
                return;
            }
            warn(std::string(pathSkipText(reason)) + ": " + path);
        };
        w.OnFileChanged = [&](zip::TZipWriter&, const std::string& path) {
            clearBar();
            io.err << "  warning: changed while packed, stored as read: " << path << '\n';
        };
        w.OnStartZip = [&](zip::TZipWriter&, const std::string&, zip::TZipHeaderInfo& header, bool&) {
            current = header.storedName();
        };
        int folders = 0;
        w.OnEndZip = [&](zip::TZipWriter&, const std::string& path, std::int64_t u, std::int64_t c, std::int64_t) {
            if (!path.empty() && path.back() == '/') ++folders;
            if (options.quiet) return;
            clearBar();
            if (password && c >= kEncryptionHeader) c -= kEncryptionHeader;
            io.out << "  adding: " << current << " (" << methodText(u, c) << ")\n";
        };
        w.OnTotalPercentDone = [&](zip::TZipReader&, int percent) {
            if (io.progress) io.progress->update(percent, current);
        };
        CancelOnInterrupt interrupt(w);
        const int zipped = w.Zip();
        const int count = zipped - folders;  // files; folder entries come with them
        clearBar();
        if (!existed && count == 0 && !options.comment) {
            // Nothing matched: an empty new archive would only hide the mistake.
            fs::remove(options.archive, ec);
            io.err << "Error: nothing to pack; " << options.archive << " was not written\n";
            return kExitFailed;
        }
        if (!options.quiet)
            io.out << options.archive << ": " << count << (count == 1 ? " file" : " files") << " packed\n";
        if (leftOut) {
            io.err << leftOut << (leftOut == 1 ? " file" : " files") << " left out of " << options.archive << ".\n";
            return kExitFailed;
        }
        return kExitOk;
    } catch (const zip::EUserCanceled& e) {
        clearBar();
        io.err << "Error: " << e.what() << "; " << options.archive << (existed ? " is unchanged" : " was not written")
               << '\n';
        return kExitInterrupted;
    } catch (const std::exception& e) {
        clearBar();
        io.err << "Error: " << options.archive << ": " << e.what() << "; "
               << (existed ? "the archive is unchanged" : "no archive was written") << '\n';
        return kExitFailed;
    }
}

void registerZipCommand(CLI::App& app, const GlobalOptions&, ExitCode& exitCode) {
    auto options = std::make_shared<ZipOptions>();
    auto password = std::make_shared<std::string>();
    auto comment = std::make_shared<std::string>();
    auto* cmd = app.add_subcommand("zip", "Pack files into a ZIP archive (new, or update an existing one)");
    cmd->add_option("archive", options->archive, "The archive to write")->required();
    cmd->add_option("specs", options->specs,
                    "Files, folders, or folder/mask (\"docs/*.txt\"; a leading | = this folder only, > = with "
                    "subfolders)");
    cmd->add_flag("-r,--recurse", options->recurse, "Search subfolders; a folder is packed with all it holds");
    cmd->add_flag("-D,--no-dir-entries", options->noDirEntries, "With -r: no entries for the folders themselves");
    cmd->add_flag("-p,--store-paths", options->storePaths, "Keep the folders of each file in its stored name");
    cmd->add_flag("-y,--symlinks", options->storeLinks,
                  "Store links as links (their text), links to folders and dangling ones too; none followed");
    cmd->add_option("--root", options->root, "Store paths relative to this folder; relative SPECs start there");
    for (int level = 0; level <= 9; ++level) {
        auto* flag = cmd->add_flag_callback("-" + std::to_string(level), [options, level] { options->level = level; },
                                            "Level: -0 stores only, -1 fastest ... -9 smallest");
        if (level != 0) flag->group("");  // one line of help for the ten of them
    }
    cmd->add_option("--level", options->level, "Compression level 0 (store) to 9 (default 6)");
    auto* pw = cmd->add_option("-P,--password", *password, "Encrypt with this password");
    cmd->add_flag("-e,--encrypt", options->promptPassword, "Encrypt; ask for the password on the terminal");
    cmd->add_option("-x,--exclude", options->exclude, "Leave out files that match (repeatable)")
        ->allow_extra_args(false);
    cmd->add_option("-n,--no-compress", options->noCompress, "Store files whose name matches (repeatable)")
        ->allow_extra_args(false);
    auto* cm = cmd->add_option("--comment", *comment, "Archive comment");
    cmd->add_flag("-u,--update", options->update, "Replace members by newer files, add new ones (the default)");
    cmd->add_flag("-f,--freshen", options->freshen, "Only replace members by newer files, add nothing new");
    cmd->add_flag("--replace", options->replace, "Replace members whatever the files' dates, add new ones");
    cmd->add_flag("-q,--quiet", options->quiet, "No file list; only warnings and errors");
    cmd->callback([options, password, pw, comment, cm, &exitCode] {
        if (pw->count()) options->password = *password;
        if (cm->count()) options->comment = *comment;
        ProgressBar bar = ProgressBar::forStderr();
        ArchiveIo io{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1, &bar};
        exitCode = runZipCommand(*options, io);
    });
}

}  // namespace zb::cli
