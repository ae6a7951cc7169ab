// Shared pieces of the archive commands.
#include "cli/ArchiveCommandSupport.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <ostream>

#include "cli/CliSettings.h"
#include "cli/PasswordPrompt.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "zip/ZipErrors.h"
#include "zip/select/WildcardMatch.h"

namespace zb::cli {

void ArchiveIo::clearBar() const {
    if (progress) progress->clear();
}

std::string dosDateTimeText(std::uint32_t dos) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (dos >> 25), (dos >> 21) & 0x0F,
                  (dos >> 16) & 0x1F, (dos >> 11) & 0x1F, (dos >> 5) & 0x3F, (dos & 0x1F) * 2);
    return buf;
}

std::string skipText(zip::TSkipReason reason, const std::string& detail) {
    std::string text = zip::skipReasonText(reason);
    if (!detail.empty()) text += " (" + detail + ")";
    return text;
}

std::string countsText(int files, int folders) {
    std::string text = std::to_string(files) + (files == 1 ? " file" : " files");
    if (folders > 0) text += ", " + std::to_string(folders) + (folders == 1 ? " folder" : " folders");
    return text;
}

std::string badCrcText(const zip::TZipReader& reader, std::uint32_t calc, std::uint32_t stored) {
    if (!reader.LastSkipDetail().empty()) return reader.LastSkipDetail();
    char buf[64];
    std::snprintf(buf, sizeof buf, "bad CRC %08x (should be %08x)", calc, stored);
    return buf;
}

std::vector<std::string> memberPatterns(const std::vector<std::string>& patterns) {
    std::vector<std::string> out = patterns;
    for (std::string& p : out)
        for (char& c : p)
            if (c == '\\') c = '/';
    return out;
}

bool matchesAny(const std::vector<std::string>& patterns, const std::string& storedName) {
    if (patterns.empty()) return true;
    for (const std::string& p : patterns)
        if (zip::wildcardMatch(p, storedName)) return true;
    return false;
}

std::vector<std::string> unmatchedPatterns(zip::TZipReader& reader, const std::vector<std::string>& patterns) {
    std::vector<std::string> unmatched;
    if (patterns.empty()) return unmatched;
    reader.ReadDirectory();
    const std::vector<std::string> normal = memberPatterns(patterns);
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        bool found = false;
        for (int i = 0; i < reader.MemberCount() && !found; ++i)
            found = matchesAny({normal[k]}, reader.Member(i).storedName());
        if (!found) unmatched.push_back(patterns[k]);
    }
    return unmatched;
}

bool reportUnmatched(ArchiveIo& io, const std::vector<std::string>& unmatched) {
    for (const std::string& p : unmatched) io.err << "Error: no member matches \"" << printableName(p) << "\"\n";
    return !unmatched.empty();
}

bool reportRepairs(ArchiveIo& io, const zip::TZipReader& reader, const std::string& archive) {
    const std::vector<std::string>& warnings = reader.DirectoryWarnings();
    for (const std::string& w : warnings) io.err << "warning: " << printableName(w) << '\n';
    if (!warnings.empty()) io.err << "The directory of " << printableName(archive) << " needed repair.\n";
    return !warnings.empty();
}

void setUpReader(zip::TZipReader& reader, const std::string& archive, bool rebuild) {
    reader.SetZipName(archive);
    reader.IncompleteZipMode = rebuild ? zip::izAssumeBad : zip::izAssumeNotAZip;
}

void showProgress(zip::TZipReader& reader, ArchiveIo& io, const std::string& current) {
    reader.OnTotalPercentDone = [&io, &current](zip::TZipReader&, int percent) {
        if (io.progress) io.progress->update(percent, current);
    };
}

void prepareMemberRun(zip::TZipReader& reader, const MemberRunOptions& options, ArchiveIo& io, std::string& current) {
    setUpReader(reader, options.archive, options.rebuild);
    reader.DoAll = options.members.empty();
    reader.FilesList = options.members;
    if (options.password) reader.Password = *options.password;
    attachPasswordPrompt(reader, io, options.password.has_value());
    reader.OnStartUnZip = [&current](zip::TZipReader&, int, std::string& name, bool&) { current = name; };
    showProgress(reader, io, current);
}

bool announceMemberRun(zip::TZipReader& reader, const MemberRunOptions& options, ArchiveIo& io) {
    if (!options.quiet) io.out << "Archive:  " << options.archive << '\n';
    return reportUnmatched(io, unmatchedPatterns(reader, options.members));
}

void attachPasswordPrompt(zip::TZipReader& reader, ArchiveIo& io, bool passwordGiven) {
    if (passwordGiven || !io.interactive) return;
    auto asked = std::make_shared<std::map<int, int>>();
    reader.OnBadPassword = [&io, asked](zip::TZipReader& r, int index, std::string& password) {
        if (++(*asked)[index] > 3) return;
        io.clearBar();
        const std::string name = r.Member(index).storedName();
        const std::string prompt =
            (*asked)[index] == 1 ? "[" + r.ZipName() + "] " + name + " password: " : "password incorrect--reenter: ";
        if (auto typed = promptPassword(io.in, io.err, prompt, true)) password = *typed;
    };
}

namespace {
std::atomic<zip::TZipReader*> interruptTarget{nullptr};
using Handler = void (*)(int);
Handler previousHandler = SIG_DFL;

extern "C" void onInterrupt(int) {
    if (zip::TZipReader* r = interruptTarget.load()) r->CancelRequested.store(true);
    std::signal(SIGINT, SIG_DFL);
}
}  // namespace

CancelOnInterrupt::CancelOnInterrupt(zip::TZipReader& reader) {
    interruptTarget.store(&reader);
    previousHandler = std::signal(SIGINT, onInterrupt);
}

CancelOnInterrupt::~CancelOnInterrupt() {
    std::signal(SIGINT, previousHandler == SIG_ERR ? SIG_DFL : previousHandler);
    interruptTarget.store(nullptr);
}

int reportArchiveError(ArchiveIo& io, const std::string& archive) {
    io.clearBar();
    try {
        throw;
    } catch (const zip::EUserCanceled& e) {
        io.err << "Error: " << e.what() << '\n';
        return kExitInterrupted;
    } catch (const std::exception& e) {
        io.err << "Error: " << archive << ": " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace zb::cli
