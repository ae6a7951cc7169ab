// Decoding a data descriptor (this engine never writes one: it rewrites the local
// header instead).
#include "zip/records/DataDescriptor.h"

#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

std::optional<DataDescriptor> DataDescriptor::decode(const std::uint8_t* p, std::size_t avail, bool withSignature,
                                                     bool wideSizes) {
    const std::size_t start = withSignature ? 4 : 0;
    DataDescriptor d;
    d.length = start + 4 + (wideSizes ? 16 : 8);
    if (avail < d.length) return std::nullopt;
    if (withSignature && getU32(p) != kDataDescriptorSignature) return std::nullopt;
    d.crc = getU32(p + start);
    if (wideSizes) {
        d.compressedSize = getU64(p + start + 4);
        d.uncompressedSize = getU64(p + start + 12);
    } else {
        d.compressedSize = getU32(p + start + 4);
        d.uncompressedSize = getU32(p + start + 8);
    }
    return d;
}

}  // namespace zb::zip
