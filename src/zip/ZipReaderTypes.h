// The settings and event types of the archive reader. Enumeration values are stored
// numbers, so their order is fixed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zb::zip {

class TZipReader;

// What to do when the target file of a member already exists.
enum TUZOverwriteMode { Prompt = 0, Always = 1, Never = 2, ifNewer = 3, ifOlder = 4 };

// How to treat an archive whose end record is missing.
enum TIncompleteZipMode { izAssumeMulti = 0, izAssumeBad = 1, izAssumeNotAZip = 2 };

// Why a member was not extracted. The first four are the classic reasons; the others
// name failures that must not pass as a bad password or a bad CRC.
enum TSkipReason {
    skipBadPassword = 0,   // wrong password
    skipNoOverwrite = 1,   // existing file kept
    skipOpenFailed = 2,    // a file to be zipped could not be opened (writer only)
    skipCreateFailed = 3,  // target file could not be created
    skipUnsupported = 4,   // compression method or encryption the engine cannot decode
    skipUnsafeName = 5,    // name would lead outside the destination ("..", "/...", "C:")
    skipBadHeader = 6,     // the member's local header is missing or unreadable
};

// Text for a skip reason, for logs and the command line.
const char* skipReasonText(TSkipReason reason);

using TStartUnzipInfo = std::function<void(TZipReader& sender, int numFiles, std::int64_t totalBytes, bool& stopNow)>;
using TFilePercentDone = std::function<void(TZipReader& sender, int percent)>;
using TTotalPercentDone = std::function<void(TZipReader& sender, int percent)>;
using TStartUnZipEvent = std::function<void(TZipReader& sender, int fileIndex, std::string& fname, bool& skip)>;
using TEndUnZipEvent = std::function<void(TZipReader& sender, int fileIndex, const std::string& fname)>;
using TPromptForOverwrite =
    std::function<void(TZipReader& sender, bool& overwriteIt, int fileIndex, std::string& fname)>;
using TSkippingFile =
    std::function<void(TZipReader& sender, TSkipReason reason, const std::string& fname, int fileIndex, bool& retry)>;
using TBadPassword = std::function<void(TZipReader& sender, int fileIndex, std::string& newPassword)>;
using TBadCRC = std::function<void(TZipReader& sender, std::uint32_t calcCrc, std::uint32_t storedCrc, int fileIndex)>;
using TIncompleteZip = std::function<void(TZipReader& sender, TIncompleteZipMode& mode)>;
using TGetNextDisk = std::function<void(TZipReader& sender, int nextDisk, std::string& fname)>;
using TUnZipComplete = std::function<void(TZipReader& sender, int fileCount)>;
// Extraction into the caller's memory: each block of a member's decoded bytes in turn
// (bufferNum counts from 0 within the member). Setting `quit` ends the run after this
// block; the member is then not counted.
using TGetNextBuffer = std::function<void(TZipReader& sender, const std::uint8_t* buffer, std::size_t amountUsed,
                                          const std::string& fname, int bufferNum, bool& quit)>;

}  // namespace zb::zip
