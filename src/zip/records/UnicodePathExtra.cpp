// Decoding the Unicode path extra field.
#include "zip/records/UnicodePathExtra.h"

#include "zip/checksum/Crc32.h"
#include "zip/records/ExtraField.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

std::optional<std::string> decodeUnicodePath(std::string_view extra, std::string_view rawName,
                                             bool backslashSeparates) {
    const std::string_view block = findExtraBlock(extra, kExtraUnicodePath);
    if (block.size() < 5 || block[0] != 1) return std::nullopt;
    if (getU32(block.data() + 1) != crc32(rawName.data(), rawName.size())) return std::nullopt;
    std::string name(block.substr(5));
    if (backslashSeparates)
        for (char& c : name)
            if (c == '\\') c = '/';
    return name;
}

}  // namespace zb::zip
