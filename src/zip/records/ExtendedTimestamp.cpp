// Encoding and decoding the extended-timestamp extra field.
#include "zip/records/ExtendedTimestamp.h"

#include <limits>

#include "zip/records/ExtraField.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {
constexpr char kModTimeFlag = 1;
}

std::optional<std::int64_t> decodeExtendedTimestamp(std::string_view extra) {
    const std::string_view block = findExtraBlock(extra, kExtraTimestamp);
    if (block.size() < 5 || !(block[0] & kModTimeFlag)) return std::nullopt;
    return std::int64_t(std::int32_t(getU32(block.data() + 1)));
}

std::string encodeExtendedTimestamp(const std::optional<std::int64_t>& modTimeUtc) {
    if (!modTimeUtc || *modTimeUtc < std::numeric_limits<std::int32_t>::min() ||
        *modTimeUtc > std::numeric_limits<std::int32_t>::max())
        return {};
    std::string data(1, kModTimeFlag);
    appendU32(data, std::uint32_t(std::int32_t(*modTimeUtc)));
    std::string block;
    appendExtraBlock(block, kExtraTimestamp, data);
    return block;
}

}  // namespace zb::zip
