// The backup run. See BackupRun.h.
#include "backup/BackupRun.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "log/LogEntry.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/UiBusyScope.h"
#include "store/NameText.h"
#include "store/ProjectFieldCheck.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"

namespace fs = std::filesystem;

namespace zb::backup {
namespace {

using platform::MessageKind;

// Longest information text the log reads back whole.
constexpr std::size_t kMaxInformationLength = 2047;

// The program's message and log texts, as the user has always seen them.
std::string promptText(const std::string& project) {
    return "Do you want to backup the project '" + project + "'?";
}
std::string existsMessage(const std::string& path) { return path + " exists,backup will be interrupted!"; }
std::string existsInformation(const std::string& path) { return "'" + path + "'" + " exists,backup interripted"; }
std::string cancelledMessage(const std::string& project) {
    return "Backup of the project '" + project + "' cancelled!";
}
std::string cancelledInformation(const std::string& path) { return "'" + path + "' backup cancelled by the user"; }

std::string outcomeLines(const std::string& project, const std::string& path, std::uint64_t kb) {
    return "Project Name: '" + project + "'\rFile Name:    '" + platform::extractFileName(path) +
           "'\rFile Size:    '" + std::to_string(kb) + "Kb'";
}

std::string countText(std::size_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }

// Log values are single lines: a control character in a file name must not break the
// entry.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text;
}

std::string leftOutMessage(const std::string& project, const std::string& path, std::uint64_t kb,
                           const std::vector<std::string>& leftOut) {
    std::string text = "Backup Files Incomplete!\r" + outcomeLines(project, path, kb) + "\rLeft Out:     '" +
                       countText(leftOut.size()) + "'";
    for (std::size_t i = 0; i < leftOut.size() && i < kLeftOutNamesShown; ++i) text += "\r" + oneLine(leftOut[i]);
    if (leftOut.size() > kLeftOutNamesShown) text += "\r...";
    return text;
}

// Names added to a log text while it stays within what the log reads back.
std::string withNames(std::string text, const std::vector<std::string>& names) {
    const std::string more = ", ...";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = (i ? ", " : "") + oneLine(names[i]);
        const bool last = i + 1 == names.size();
        if (text.size() + name.size() + (last ? 0 : more.size()) > kMaxInformationLength) {
            text += i ? more : "...";
            break;
        }
        text += name;
    }
    return text;
}

std::string leftOutInformation(const std::string& base, const std::vector<std::string>& leftOut) {
    if (leftOut.empty()) return base;
    return withNames(base + "  " + countText(leftOut.size()) + " left out: ", leftOut);
}

// Files that changed while they were packed are in the archive as read; the user
// should know which ones may mix old and new contents.
std::string changedLine(const std::vector<std::string>& changed) {
    if (changed.empty()) return {};
    std::string text = "\rChanged While Packed: '" + countText(changed.size()) + "'";
    for (std::size_t i = 0; i < changed.size() && i < kLeftOutNamesShown; ++i) text += "\r" + oneLine(changed[i]);
    if (changed.size() > kLeftOutNamesShown) text += "\r...";
    return text;
}

std::string changedInformation(const std::string& base, const std::vector<std::string>& changed) {
    if (changed.empty()) return base;
    return withNames(base + "  " + countText(changed.size()) + " changed while packed: ", changed);
}

// A name for the archive being written: in the archive's own folder, so that putting
// it in place is one rename, and hidden, so that archive lists do not show it.
std::string temporaryNameFor(const std::string& path) {
    std::string folder = platform::extractFilePath(path);
    const fs::path reserved = platform::createTempFile(folder.empty() ? fs::path(".") : fs::path(folder),
                                                       "." + platform::extractFileName(path) + ".");
    // The writer makes a new archive only where no file is.
    fs::remove(reserved);
    return folder.empty() ? reserved.filename().string() : reserved.string();
}

class TemporaryArchive {
public:
    explicit TemporaryArchive(std::string path) : path_(std::move(path)) {}
    ~TemporaryArchive() {
        if (!placed_) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    TemporaryArchive(const TemporaryArchive&) = delete;
    TemporaryArchive& operator=(const TemporaryArchive&) = delete;
    const std::string& path() const { return path_; }
    // Replaces whatever file has the archive's name, in one step.
    void putInPlace(const std::string& archive) {
        fs::rename(path_, archive);
        placed_ = true;
    }

private:
    std::string path_;
    bool placed_ = false;
};

// Collects the files the writer could not take, each once, in the order met.
class LeftOutFiles {
public:
    void add(const std::string& path) {
        if (seen_.insert(path).second) files_.push_back(path);
    }
    std::vector<std::string> take() { return std::move(files_); }

private:
    std::set<std::string> seen_;
    std::vector<std::string> files_;
};

void configureWriter(zip::TZipWriter& writer, const BackupPage& page, const std::string& target) {
    const store::ProjectRecord& r = page.record;
    writer.SetZipName(target);
    writer.SetRecurse(r.includeSubfolders);
    writer.SetStorePaths(r.storePaths);
    const std::string comment = store::trimText(r.comment);
    if (r.storeComment && !comment.empty()) writer.SetArchiveComment(comment);
    writer.FilesList = r.includeLines;
    writer.SetExcludeList(r.excludeLines);
    const std::string password = store::trimText(r.password);
    writer.Password = r.usePassword && !password.empty() ? password : std::string();
    writer.SetPackLevel(r.packLevel < 0 ? 0 : r.packLevel > 9 ? 9 : r.packLevel);
    writer.SetAddDirEntriesOnRecurse(false);
    writer.OverwriteMode = zip::Always;
    // Every core packs; the archive is the same as with one.
    writer.SetThreads(int(std::max(1u, std::thread::hardware_concurrency())));
}

// Writes the archive under a temporary name and puts it in place; returns the number
// of files added. Throws whatever stopped it; the temporary file is then gone.
int writeArchive(const BackupPage& page, const std::string& path, platform::Ui& ui,
                 platform::CancelRequest* cancel, LeftOutFiles& leftOut, LeftOutFiles& changed) {
    TemporaryArchive temporary(temporaryNameFor(path));
    zip::TZipWriter writer;
    configureWriter(writer, page, temporary.path());
    writer.ProcessMessages = [&ui, &writer, cancel] {
        ui.processEvents();
        // The writer stops at its next look with the user's cancel.
        if (cancel && cancel->requested()) writer.CancelRequested = true;
    };
    writer.OnTotalPercentDone = [&ui](zip::TZipReader&, int percent) { ui.progress(percent); };
    // Neither the archive being replaced nor the one being written belongs in the new one.
    writer.OnStartZip = [&](zip::TZipWriter&, const std::string& file, zip::TZipHeaderInfo&, bool& skip) {
        if (platform::samePath(file, path) || platform::samePath(file, temporary.path())) skip = true;
    };
    writer.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string& file, int, bool&) {
        if (reason == zip::skipOpenFailed || reason == zip::skipNoOverwrite) leftOut.add(file);
    };
    writer.OnNoSuchFile = [&](zip::TZipWriter&, const std::string& file) { leftOut.add(file); };
    writer.OnFileChanged = [&](zip::TZipWriter&, const std::string& file) { changed.add(file); };
    writer.OnPathSkipped = [&](zip::TZipWriter&, zip::TPathSkipReason reason, const std::string& file) {
        // Special files and links to folders are not data; an unreadable folder hides
        // files that exist.
        if (reason == zip::psFolderUnreadable) leftOut.add(file);
    };
    const int added = writer.Zip();
    temporary.putInPlace(path);
    return added;
}

void appendLog(BackupServices& s, const char* status, const std::string& project, const std::string& info) {
    s.log.AppendLog(activitylog::kBackup, status, project, oneLine(info));
}

// Shows an error as the program's error display does, and logs the failed run; a log
// that cannot be written is shown too.
void reportFailure(BackupServices& s, const std::string& project, const std::string& error) {
    s.ui.messageBox(MessageKind::Error, error);
    try {
        appendLog(s, activitylog::kFails, project, error);
    } catch (const std::exception& e) {
        s.ui.messageBox(MessageKind::Error, e.what());
    }
}

}  // namespace

BackupResult SpStartClick(BackupPage& page, const store::Preferences& prefs, BackupServices& s) {
    BackupResult result;
    const std::string project = page.projectName;
    if (store::trimText(project).empty()) return result;

    if (prefs.askBeforeBackup &&
        !s.ui.confirm(promptText(store::trimText(project)), MessageKind::Information)) {
        result.outcome = BackupOutcome::Declined;
        return result;
    }
    if (auto refusal = store::CheckProjectFields(pageRecord(page), page.archiveName)) {
        s.ui.messageBox(MessageKind::Error, *refusal);
        result.outcome = BackupOutcome::Refused;
        return result;
    }

    const std::string path = store::trimText(page.archiveName);
    result.archivePath = path;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)) && !prefs.overwriteArchive) {
        try {
            s.ui.timedMessage(existsMessage(path), MessageKind::Warning, kMessageSeconds);
            appendLog(s, activitylog::kInterrupt, project, existsInformation(path));
        } catch (const std::exception& e) {
            s.ui.messageBox(MessageKind::Error, e.what());
        }
        result.outcome = BackupOutcome::Interrupted;
        return result;
    }

    platform::UiBusyScope busy(s.ui);
    if (s.cancel) s.cancel->clear();
    LeftOutFiles leftOut;
    LeftOutFiles changed;
    try {
        result.filesAdded = writeArchive(page, path, s.ui, s.cancel, leftOut, changed);
        result.sizeKb = FileSizeKb(path);
    } catch (const zip::EUserCanceled& e) {
        // Only the user's cancel is a cancelled run; any other stop is a failure.
        if (!s.cancel || !s.cancel->requested()) {
            result.outcome = BackupOutcome::Failed;
            result.error = e.what();
            reportFailure(s, project, result.error);
            return result;
        }
        s.cancel->clear();
        result.outcome = BackupOutcome::Cancelled;
        try {
            s.ui.timedMessage(cancelledMessage(project), MessageKind::Warning, kMessageSeconds);
            appendLog(s, activitylog::kInterrupt, project, cancelledInformation(path));
        } catch (const std::exception& e) {
            s.ui.messageBox(MessageKind::Error, e.what());
        }
        return result;
    } catch (const std::exception& e) {
        result.outcome = BackupOutcome::Failed;
        result.error = e.what();
        reportFailure(s, project, result.error);
        return result;
    }
    result.leftOut = leftOut.take();
    result.changed = changed.take();
    result.outcome = result.leftOut.empty() ? BackupOutcome::Succeeded : BackupOutcome::Incomplete;

    try {
        const std::string information = path + "  " + std::to_string(result.sizeKb) + "Kb";
        if (result.leftOut.empty()) {
            s.ui.timedMessage("Backup Files Succeeds!\r" + outcomeLines(project, path, result.sizeKb) +
                                  changedLine(result.changed),
                              MessageKind::Information, kMessageSeconds);
            appendLog(s, activitylog::kSucceeds, project, changedInformation(information, result.changed));
        } else {
            s.ui.timedMessage(leftOutMessage(project, path, result.sizeKb, result.leftOut) +
                                  changedLine(result.changed),
                              MessageKind::Warning, kMessageSeconds);
            appendLog(s, activitylog::kFails, project,
                      changedInformation(leftOutInformation(information, result.leftOut), result.changed));
        }
    } catch (const std::exception& e) {
        result.error = e.what();
        s.ui.messageBox(MessageKind::Error, result.error);
    }

    // The archive is written: its number is used up.
    try {
        if (page.suffix == ArchiveSuffix::Number) {
            s.projects.storeUsedNumber(project, page.shownNumber);
            page.record.value = page.shownNumber;
            page.shownNumber = clampRunningNumber(static_cast<long long>(page.shownNumber) + page.increase);
        }
        UpdateArchiveName(page, prefs, s.clock);
    } catch (const std::exception& e) {
        result.error = e.what();
        s.ui.messageBox(MessageKind::Error, result.error);
    }
    return result;
}

}  // namespace zb::backup
