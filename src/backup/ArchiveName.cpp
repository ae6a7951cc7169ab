// Archive naming: folder, prefix and suffix of the next archive.
#include "backup/ArchiveName.h"

#include <string_view>

#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "store/NameText.h"

namespace zb::backup {
namespace {

constexpr int kMaxFileNameLength = 255;

}  // namespace

int clampRunningNumber(long long number) {
    if (number < kMinRunningNumber) return kMinRunningNumber;
    if (number > kMaxRunningNumber) return kMaxRunningNumber;
    return static_cast<int>(number);
}

std::string UpdateArchiveName(const ArchiveNameInputs& inputs, const platform::Clock& clock) {
    std::string name = store::trimText(inputs.savePath);
    if (!name.empty() && name.back() != platform::kPathSeparator) name += platform::kPathSeparator;
    name += store::trimText(inputs.prefix);
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
