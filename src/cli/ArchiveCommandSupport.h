// What the archive commands share: the reader set up for a command and wired to the
// terminal, texts for dates and skipped members, the password prompt for encrypted
// members, and Ctrl-C turned into the engine's cancel request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/ArchiveCommands.h"
#include "zip/TZipReader.h"

namespace zb::cli {

// "2020-06-15 12:30:00" from a DOS date/time.
std::string dosDateTimeText(std::uint32_t dos);

// "wrong password", "not supported (Unknown Compression Method (LZMA))", ...
std::string skipText(zip::TSkipReason reason, const std::string& detail);

// "2 files", "2 files, 1 folder": the counts every archive command gives, files and
// folder entries apart.
std::string countsText(int files, int folders);

// What a failed CRC check reports: the corrupt data with its method when decoding
// broke off (the reader's detail), else the two CRC values.
std::string badCrcText(const zip::TZipReader& reader, std::uint32_t calc, std::uint32_t stored);

// Patterns as members are named ("/" between folders), and whether a stored name
// matches one of them; an empty list matches every member.
std::vector<std::string> memberPatterns(const std::vector<std::string>& patterns);
bool matchesAny(const std::vector<std::string>& patterns, const std::string& storedName);

// The member patterns that match no member of the reader's archive (whose directory
// this reads), so that a mistyped name is an error and not "0 members".
std::vector<std::string> unmatchedPatterns(zip::TZipReader& reader, const std::vector<std::string>& patterns);

// Reports each unmatched pattern on the error stream; true when there was one.
bool reportUnmatched(ArchiveIo& io, const std::vector<std::string>& unmatched);

// Prints what the reader had to repair or found to disagree in the archive's directory
// ("warning: ..."), then that the archive needed repair; true when there was anything.
bool reportRepairs(ArchiveIo& io, const zip::TZipReader& reader, const std::string& archive);

// Opens the archive for a command: its name, the mode for an archive without an end
// record (not an archive, or rebuilt from the local headers).
void setUpReader(zip::TZipReader& reader, const std::string& archive, bool rebuild);

// Keeps the terminal's progress bar at the run's percentage, under the name in
// `current` (which must outlive the run).
void showProgress(zip::TZipReader& reader, ArchiveIo& io, const std::string& current);

// Sets the reader up for a run over the options' members: the archive, the selection,
// the password (given, or asked for on the terminal), and the progress bar under the
// member at hand, whose name the run keeps in `current` (which must outlive it).
void prepareMemberRun(zip::TZipReader& reader, const MemberRunOptions& options, ArchiveIo& io, std::string& current);

// Names the archive (unless quiet), then reports the patterns that match no member;
// true when there was one.
bool announceMemberRun(zip::TZipReader& reader, const MemberRunOptions& options, ArchiveIo& io);

// When no password was given on the command line, an encrypted member whose check
// fails asks for one on the terminal (without echo), up to three times a member.
void attachPasswordPrompt(zip::TZipReader& reader, ArchiveIo& io, bool passwordGiven);

// Reports the exception being handled (call it inside a catch block) on the error
// stream, below the progress bar, and gives the exit code: interrupted for a cancel, failed for anything else.
int reportArchiveError(ArchiveIo& io, const std::string& archive);

// While alive, the first Ctrl-C asks the reader to stop at the next block (the run then
// ends with "User Aborted Operation"); a second one ends the program as usual.
class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(zip::TZipReader& reader);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;
};

// Exit code of a command that was interrupted with Ctrl-C.
inline constexpr int kExitInterrupted = 130;

}  // namespace zb::cli
