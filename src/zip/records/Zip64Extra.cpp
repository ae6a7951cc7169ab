// Encoding and decoding the ZIP64 extra field.
#include "zip/records/Zip64Extra.h"

#include "zip/records/ExtraField.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

std::string Zip64Extra::encode() const {
    if (empty()) return {};
    std::string data;
    if (uncompressedSize) appendU64(data, *uncompressedSize);
    if (compressedSize) appendU64(data, *compressedSize);
    if (localOffset) appendU64(data, *localOffset);
    if (diskStart) appendU32(data, *diskStart);
    std::string block;
    appendExtraBlock(block, kExtraZip64, data);
    return block;
}

Zip64Extra Zip64Extra::decodeCentral(std::string_view data, bool uncompressed, bool compressed, bool offset,
                                     bool disk) {
    Zip64Extra z;
    std::size_t at = 0;
    auto take = [&](std::optional<std::uint64_t>& value) {
        if (at + 8 > data.size()) return;
        value = getU64(data.data() + at);
        at += 8;
    };
    if (uncompressed) take(z.uncompressedSize);
    if (compressed) take(z.compressedSize);
    if (offset) take(z.localOffset);
    if (disk && at + 4 <= data.size()) z.diskStart = getU32(data.data() + at);
    return z;
}

Zip64Extra Zip64Extra::decodeLocal(std::string_view data, bool uncompressed, bool compressed) {
    Zip64Extra z;
    if (data.size() >= 16) {
        if (uncompressed) z.uncompressedSize = getU64(data.data());
        if (compressed) z.compressedSize = getU64(data.data() + 8);
    } else if (data.size() >= 8) {
        if (uncompressed)
            z.uncompressedSize = getU64(data.data());
        else if (compressed)
            z.compressedSize = getU64(data.data());
    }
    return z;
}

}  // namespace zb::zip
