// "test ARCHIVE [MEMBERS...]": decodes every (or every named) member in memory and
// checks its CRC, writing nothing. Each failure is reported on the error stream; the
// exit code says whether all members were sound and the directory needed no repair.
#include <ostream>
#include <string>
#include <vector>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/TerminalText.h"
#include "zip/ZipErrors.h"

namespace zb::cli {

namespace {

// Folder entries hold no data to test; they are counted as list counts them.
int selectedFolders(const zip::TZipReader& reader, const std::vector<std::string>& members) {
    int folders = 0;
    const std::vector<std::string> patterns = memberPatterns(members);
    for (int i = 0; i < reader.MemberCount(); ++i) {
        const zip::TZipHeaderInfo& h = reader.Member(i);
        folders += h.fileName().empty() && matchesAny(patterns, h.storedName()) ? 1 : 0;
    }
    return folders;
}

}  // namespace

int runTestCommand(const TestOptions& options, ArchiveIo& io) {
    zip::TZipReader reader;
    int failures = 0;
    std::string current;
    try {
        prepareMemberRun(reader, options, io, current);
        reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) {
            if (options.quiet) return;
            io.clearBar();
            io.out << "    testing: " << printableName(name) << "  OK\n";
        };
        reader.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t calc, std::uint32_t stored, int index) {
            ++failures;
            io.clearBar();
            io.err << "    testing: " << printableName(r.Member(index).storedName()) << "  "
                   << badCrcText(r, calc, stored) << '\n';
        };
        reader.OnSkippingFile = [&](zip::TZipReader& r, zip::TSkipReason reason, const std::string& name, int, bool&) {
            ++failures;
            io.clearBar();
            io.err << "    testing: " << printableName(name) << "  "
                   << printableName(skipText(reason, r.LastSkipDetail())) << '\n';
        };
        const bool unmatched = announceMemberRun(reader, options, io);
        CancelOnInterrupt interrupt(reader);
        int sound = reader.UnZipToBuffer();
        const int folders = selectedFolders(reader, options.members);
        io.clearBar();
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
        return reportArchiveError(io, options.archive);
    }
}

}  // namespace zb::cli
