// "list ARCHIVE [MEMBERS...]": one line per member (or per member matching the
// patterns) with its size, packed size, method, date, CRC-32 and whether it is
// encrypted, then the totals. A pattern that matches nothing, or a directory that
// needed repair, makes the exit code non-zero.
#include <cstdio>
#include <ostream>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/TerminalText.h"
#include "zip/ZipErrors.h"
#include "zip/codec/MemberDecoder.h"

namespace zb::cli {

namespace {
std::string row(const std::string& length, const std::string& packed, const std::string& method,
                const std::string& date, const std::string& crc, const std::string& enc, const std::string& name) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%12s  %12s  %-9s  %-19s  %-8s  %-3s  ", length.c_str(), packed.c_str(),
                  method.c_str(), date.c_str(), crc.c_str(), enc.c_str());
    return buf + name;
}
}  // namespace

int runListCommand(const ListOptions& options, ArchiveIo& io) {
    try {
        zip::TZipReader reader;
        setUpReader(reader, options.archive, options.rebuild);
        reader.ReadDirectory();
        io.out << "Archive:  " << options.archive << '\n';
        io.out << row("Length", "Packed", "Method", "Date       Time", "CRC-32", "Enc", "Name") << '\n';
        io.out << row("------------", "------------", "---------", "-------------------", "--------", "---", "----")
               << '\n';
        std::uint64_t length = 0, packed = 0;
        int files = 0, folders = 0;
        const std::vector<std::string> patterns = memberPatterns(options.members);
        for (int i = 0; i < reader.MemberCount(); ++i) {
            const zip::TZipHeaderInfo& h = reader.Member(i);
            if (!matchesAny(patterns, h.storedName())) continue;
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08x", h.crc32);
            io.out << row(std::to_string(h.uncompressedSize), std::to_string(h.compressedSize),
                          zip::methodName(h.compressionMethod), dosDateTimeText(h.dosDateTime), crc,
                          h.encrypted() ? "yes" : "", printableName(h.storedName()))
                   << '\n';
            length += h.uncompressedSize;
            packed += h.compressedSize;
            ++(h.fileName().empty() ? folders : files);
        }
        io.out << row("------------", "------------", "", "", "", "", "-------") << '\n';
        io.out << row(std::to_string(length), std::to_string(packed), "", "", "", "", countsText(files, folders))
               << '\n';
        const std::string comment = reader.ArchiveComment();
        if (!comment.empty()) io.out << "Comment: " << printableComment(comment) << '\n';
        const bool unmatched = reportUnmatched(io, unmatchedPatterns(reader, options.members));
        const bool repaired = reportRepairs(io, reader, options.archive);
        return unmatched || repaired ? kExitFailed : kExitOk;
    } catch (const std::exception& e) {
        io.err << "Error: " << options.archive << ": " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace zb::cli
