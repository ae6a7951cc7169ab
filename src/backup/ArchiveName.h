// The full path of a project's next archive: the save folder, the file name prefix and
// a suffix (nothing, the date and time of the moment the name is computed, or the
// running number), then ".zip". A pure function of its inputs and the clock.
#pragma once

#include <string>

#include "platform/DateTime.h"

namespace zb::backup {

// Which suffix the page has chosen (the stored "Suffix" values).
enum class ArchiveSuffix { None = 0, Date = 1, Number = 2 };

// The running number is held within these bounds on the page.
inline constexpr int kMinRunningNumber = 1;
inline constexpr int kMaxRunningNumber = 1000;
int clampRunningNumber(long long number);

// Month, day, hour (00-23), minute, second: 7 March at 14:05:09 gives "03-07_14h05m09s".
inline constexpr const char* kDateSuffixFormat = "mm\"-\"dd\"_\"hh\"h\"nn\"m\"ss\"s\"";

struct ArchiveNameInputs {
    std::string savePath;      // the save folder, as stored
    std::string prefix;        // the file name prefix, as typed
    ArchiveSuffix suffix = ArchiveSuffix::Number;
    int number = 1;            // the running number the next backup uses
    bool padNumber = false;    // preference "Is Append 0"
    int numberWidth = 2;       // preference "Width"
};

// Folder (trimmed; a separator added when it does not end with one; an empty folder
// stays empty) + trimmed prefix + suffix + ".zip".
std::string UpdateArchiveName(const ArchiveNameInputs& inputs, const platform::Clock& clock);

}  // namespace zb::backup
