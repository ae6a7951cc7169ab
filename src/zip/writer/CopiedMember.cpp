// The records of members copied from an old archive, read through the record codecs.
#include "zip/writer/CopiedMember.h"

#include "zip/records/CentralHeader.h"
#include "zip/records/DataDescriptor.h"
#include "zip/records/ExtraField.h"

namespace zb::zip {

std::optional<WriterMember> parseCentralHeader(std::string_view record, std::size_t* recordSize) {
    const auto c = CentralHeader::decode(record);
    if (!c) return std::nullopt;
    WriterMember m;
    m.versionMadeBy = c->versionMadeBy;
    m.versionNeeded = c->versionNeeded;
    m.flags = c->flags;
    m.method = c->method;
    m.dosTime = c->dosTime;
    m.crc = c->crc;
    m.internalAttributes = c->internalAttributes;
    m.externalAttributes = c->externalAttributes;
    m.name = c->name;
    m.comment = c->comment;
    // A size the old record held in ZIP64 form keeps that form; the position is the
    // writer's to choose anew.
    const Zip64Extra wide = c->zip64();
    m.keepZip64Uncompressed = wide.uncompressedSize.has_value();
    m.keepZip64Compressed = wide.compressedSize.has_value();
    m.uncompressedSize = wide.uncompressedSize.value_or(c->uncompressedSize);
    m.compressedSize = wide.compressedSize.value_or(c->compressedSize);
    m.localOffset = wide.localOffset.value_or(c->localOffset);
    m.diskStart = wide.diskStart.value_or(c->diskStart);
    m.centralExtra = extraWithout(c->extra, kExtraZip64);
    if (recordSize) *recordSize = std::size_t(c->size());
    return m;
}

std::size_t dataDescriptorLength(const WriterMember& central, bool zip64Local, const std::string& afterData) {
    if (!(central.flags & kFlagDataDescriptor)) return 0;
    // Sizes in the descriptor are 8 bytes wide when the member uses ZIP64 sizes.
    const bool wide = zip64Local || central.keepZip64Compressed || central.keepZip64Uncompressed;
    auto lengthOf = [&](bool withSignature) -> std::size_t {
        const auto d = DataDescriptor::decode(reinterpret_cast<const std::uint8_t*>(afterData.data()), afterData.size(),
                                              withSignature, wide);
        return d && d->crc == central.crc ? d->length : 0;
    };
    if (const std::size_t signedLength = lengthOf(true)) return signedLength;
    return lengthOf(false);  // 0: nothing that looks like a descriptor, copied without one
}

std::uint64_t copiedMemberLength(const WriterMember& central, const LocalHeader& local, const std::string& afterData) {
    return local.size() + central.compressedSize +
           dataDescriptorLength(central, hasExtraBlock(local.extra, kExtraZip64), afterData);
}

}  // namespace zb::zip
