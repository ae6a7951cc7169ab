// Archive naming: folder, prefix and suffix of the next archive.
#include "backup/ArchiveName.h"

#include <string_view>

#include "platform/DateFormat.h"
#include "platform/Paths.h"

namespace zb::backup {
namespace {

constexpr int kMaxFileNameLength = 255;

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
    return std::string(text.substr(begin, end - begin));
}

}  // namespace

int clampRunningNumber(long long number) {
    if (number < kMinRunningNumber) return kMinRunningNumber;
    if (number > kMaxRunningNumber) return kMaxRunningNumber;
    return static_cast<int>(number);
}

std::string UpdateArchiveName(const ArchiveNameInputs& inputs, const platform::Clock& clock) {
    std::string name = trimmed(inputs.savePath);
    if (!name.empty() && name.back() != platform::kPathSeparator) name += platform::kPathSeparator;
    name += trimmed(inputs.prefix);
    switch (inputs.suffix) {
        case ArchiveSuffix::Date:
            name += platform::formatDateTime(kDateSuffixFormat, clock.now());
            break;
        case ArchiveSuffix::Number: {
            std::string digits = std::to_string(inputs.number);
            // A hand-edited width is used as read, but never beyond the longest file
            // name the system allows.
            const long long width = inputs.numberWidth < kMaxFileNameLength ? inputs.numberWidth : kMaxFileNameLength;
            const long long fill = width - static_cast<long long>(digits.size());
            if (inputs.padNumber && fill > 0) digits.insert(0, static_cast<std::size_t>(fill), '0');
            name += digits;
            break;
        }
        case ArchiveSuffix::None:
            break;
    }
    return name + ".zip";
}

}  // namespace zb::backup
