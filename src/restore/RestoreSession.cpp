// Member listing and the restore run. See RestoreSession.h.
#include "restore/RestoreSession.h"

#include <filesystem>

#include "backup/FileSizeKb.h"
#include "log/LogEntry.h"
#include "platform/TextCase.h"
#include "platform/UiBusyScope.h"
#include "restore/ArchiveFolder.h"
#include "zip/ZipErrors.h"

namespace zb::restore {
namespace {

using platform::MessageKind;

constexpr int kMessageSeconds = 4;

// Ends the extraction after a wrong password, without a message of its own.
struct SilentAbort {};

std::string trimmed(const std::string& text) { return std::string(platform::trimBlanks(text)); }

std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return text;
}

std::string confirmationText(const RestoreChoices& c, const std::string& name) {
    return "Do you want to restore the file '" + name + "'?\r" +
           "Extract to:          '" + trimmed(c.destination) + "'\r" +
           "Use original folder: '" + (c.useFolderNames ? "Yes" : "No") + "'\r" +
           "Overwrite Mode:      '" + OverwriteModeCaption(c.overwriteMode) + "'";
}

std::string countText(std::size_t n) { return std::to_string(n) + (n == 1 ? " file" : " files"); }

std::string cancelledMessage(const std::string& name, int restored) {
    return "Restore of the file '" + name + "' cancelled!\rRestored:     '" +
           countText(static_cast<std::size_t>(restored)) + "'";
}
std::string cancelledInformation(const std::string& path, int restored) {
    return "'" + path + "' restore cancelled by the user, " + countText(static_cast<std::size_t>(restored)) +
           " restored";
}

// The event handlers of one run, removed again when the run is over (they refer to
// the run's own state).
class RunHandlers {
public:
    explicit RunHandlers(zip::TZipReader& reader) : reader_(reader) {}
    ~RunHandlers() {
        reader_.OnStartUnZipInfo = nullptr;
        reader_.OnTotalPercentDone = nullptr;
        reader_.OnBadPassword = nullptr;
        reader_.OnSkippingFile = nullptr;
        reader_.OnBadCRC = nullptr;
        reader_.OnEndUnZip = nullptr;
    }
    RunHandlers(const RunHandlers&) = delete;
    RunHandlers& operator=(const RunHandlers&) = delete;

private:
    zip::TZipReader& reader_;
};

std::string failureMessage(const RestoreResult& r) {
    std::string text = "Restore files fails!";
    if (!r.notRestored.empty()) {
        text += "\rNot Restored: '" + countText(r.notRestored.size()) + "'";
        for (std::size_t i = 0; i < r.notRestored.size() && i < kNotRestoredNamesShown; ++i)
            text += "\r" + oneLine(r.notRestored[i]);
        if (r.notRestored.size() > kNotRestoredNamesShown) text += "\r...";
    }
    return text;
}

// Longest information text the log reads back whole.
constexpr std::size_t kMaxInformationLength = 2047;

std::string failureInformation(const std::string& base, const RestoreResult& r) {
    std::string text = base;
    if (!r.error.empty()) text += "  " + r.error;
    if (r.notRestored.empty()) return oneLine(text);
    text += "  " + countText(r.notRestored.size()) + " not restored: ";
    for (std::size_t i = 0; i < r.notRestored.size(); ++i) {
        const std::string item = (i ? ", " : "") + r.notRestored[i];
        if (text.size() + item.size() + 5 > kMaxInformationLength) {
            text += i ? ", ..." : "...";
            break;
        }
        text += item;
    }
    return oneLine(text);
}

}  // namespace

RestoreSession::RestoreSession(platform::Ui& ui, activitylog::ActivityLog& log, platform::CancelRequest* cancel)
    : ui_(ui), log_(log), cancel_(cancel) {
    reader_.Ui = &ui_;
    reader_.ProcessMessages = [this] {
        ui_.processEvents();
        // The reader stops at its next look with the user's cancel.
        if (cancel_ && cancel_->requested()) reader_.CancelRequested = true;
    };
}

MemberListing RestoreSession::ShowArchiveMembers(const std::string& folder, const std::string& fileName) {
    MemberListing listing;
    const std::string name = trimmed(fileName);
    if (name.empty()) return listing;
    reader_.SetZipName(ArchivePathIn(trimmed(folder), name));
    reader_.ReadDirectory();
    const int count = reader_.MemberCount();
    for (int i = 0; i < count; ++i) {
        listing.rows.push_back({reader_.MemberFileName(i), std::to_string(reader_.MemberPackedSize(i)),
                                reader_.MemberPath(i)});
    }
    listing.countLabel = TotalFilesLabel(listing.rows.size());
    return listing;
}

RestoreResult RestoreSession::SpRestoreClick(const RestoreChoices& choices, const std::string& project) {
    RestoreResult result;
    const std::string name = trimmed(choices.fileName);
    if (name.empty()) {
        ui_.messageBox(MessageKind::Information, "No Zip file to restore!");
        return result;
    }
    const std::string path = ArchivePathIn(trimmed(choices.folder), name);
    result.archivePath = path;
    if (choices.askFirst && !ui_.confirm(confirmationText(choices, name), MessageKind::Warning)) {
        result.outcome = RestoreOutcome::Declined;
        return result;
    }

    bool started = false;
    bool cancelled = false;
    {
        RunHandlers handlers(reader_);
        reader_.OnStartUnZipInfo = [&](zip::TZipReader&, int, std::int64_t, bool&) { started = true; };
        reader_.OnTotalPercentDone = [this](zip::TZipReader&, int percent) { ui_.progress(percent); };
        reader_.OnEndUnZip = [&](zip::TZipReader&, int, const std::string&) { ++result.restored; };
        reader_.OnBadPassword = [&](zip::TZipReader&, int, std::string&) {
            ui_.messageBox(MessageKind::Error, "The password is incorrect");
            result.badPassword = true;
            throw SilentAbort{};
        };
        reader_.OnSkippingFile = [&](zip::TZipReader& r, zip::TSkipReason reason, const std::string& file, int,
                                     bool&) {
            // A file kept by the chosen rule is the user's choice, not a failure.
            if (reason == zip::skipNoOverwrite) {
                ++result.kept;
                return;
            }
            // The detail names what failed: the unsupported method, the link, ...
            const std::string& detail = r.LastSkipDetail();
            result.notRestored.push_back(file + " (" + zip::skipReasonText(reason) +
                                         (detail.empty() ? std::string() : ": " + detail) + ")");
        };
        reader_.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t, std::uint32_t, int index) {
            const std::string& detail = r.LastSkipDetail();
            result.notRestored.push_back(r.MemberPath(index) + r.MemberFileName(index) + " (" +
                                         (detail.empty() ? std::string("CRC error") : detail) + ")");
        };

        platform::UiBusyScope busy(ui_);
        if (cancel_) cancel_->clear();
        try {
            reader_.SetZipName(path);
            reader_.SetDestDir(choices.destination);
            reader_.RecreateDirs = choices.useFolderNames;
            reader_.DoAll = true;
            reader_.OverwriteMode = choices.overwriteMode;
            // An empty field keeps the password of an earlier restore.
            if (!trimmed(choices.password).empty()) reader_.Password = choices.password;
            reader_.UnZip();
        } catch (const SilentAbort&) {
        } catch (const zip::EUserCanceled& e) {
            // Only the user's cancel is a cancelled run; any other stop is a failure.
            cancelled = cancel_ && cancel_->requested();
            if (!cancelled) result.error = e.what();
        } catch (const std::exception& e) {
            result.error = e.what();
        }
        if (cancel_) cancel_->clear();
    }

    if (cancelled) {
        result.outcome = RestoreOutcome::Cancelled;
        try {
            ui_.timedMessage(cancelledMessage(name, result.restored), MessageKind::Warning, kMessageSeconds);
            log_.AppendLog(activitylog::kRestore, activitylog::kInterrupt, project,
                           failureInformation(cancelledInformation(path, result.restored), result));
        } catch (const std::exception& e) {
            ui_.messageBox(MessageKind::Error, e.what());
        }
        return result;
    }

    if (!started) {
        // The archive could not be read at all (missing or damaged): its error alone.
        result.outcome = RestoreOutcome::NotStarted;
        if (result.error.empty()) result.error = zip::msg::kNotAZipFile;
        ui_.messageBox(MessageKind::Error, result.error);
        return result;
    }
    if (!result.error.empty()) ui_.messageBox(MessageKind::Error, result.error);

    const bool failed = result.badPassword || !result.error.empty() || !result.notRestored.empty();
    result.outcome = failed ? RestoreOutcome::Failed : RestoreOutcome::Succeeded;
    try {
        if (failed) {
            ui_.timedMessage(failureMessage(result), MessageKind::Error, kMessageSeconds);
        } else {
            std::string text = "Restore Files Succeeds!\rProject Name: '" + project + "'\rFilename:     '" + name + "'";
            if (result.kept > 0) text += "\rKept Files:   '" + std::to_string(result.kept) + "'";
            ui_.timedMessage(text, MessageKind::Information, kMessageSeconds);
        }
        // Written after the message has closed, measuring the archive at that moment.
        const std::string base = path + "  " + std::to_string(backup::FileSizeKb(path)) + "Kb";
        if (failed)
            log_.AppendLog(activitylog::kRestore, activitylog::kFails, project, failureInformation(base, result));
        else
            log_.AppendLog(activitylog::kRestore, activitylog::kSucceeds, project, oneLine(base));
    } catch (const std::exception& e) {
        ui_.messageBox(MessageKind::Error, e.what());
        if (result.error.empty()) result.error = e.what();
    }
    return result;
}

}  // namespace zb::restore
