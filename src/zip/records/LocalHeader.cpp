// The bytes of a local header.
#include "zip/records/LocalHeader.h"

#include "zip/records/HeaderCommonFields.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

bool LocalHeader::decodeFixed(const std::uint8_t* raw) {
    if (getU32(raw) != kLocalHeaderSignature) return false;
    decodeHeaderCommonFields(*this, raw + 4);
    return true;
}

bool LocalHeader::read(TStream& stream) {
    const std::int64_t start = stream.position();
    std::uint8_t raw[kFixedSize];
    bool ok = stream.read(raw, sizeof raw) == sizeof raw && decodeFixed(raw);
    if (ok) {
        name.assign(nameLength, '\0');
        extra.assign(extraLength, '\0');
        ok = stream.read(name.data(), name.size()) == name.size() &&
             stream.read(extra.data(), extra.size()) == extra.size();
    }
    if (!ok) stream.seek(start, soFromBeginning);
    return ok;
}

void LocalHeader::setNameAndExtra(std::string nameBytes, std::string extraBytes) {
    name = std::move(nameBytes);
    extra = std::move(extraBytes);
    nameLength = std::uint16_t(name.size());
    extraLength = std::uint16_t(extra.size());
}

std::string LocalHeader::encode() const {
    std::string out;
    out.reserve(kFixedSize + name.size() + extra.size());
    appendU32(out, kLocalHeaderSignature);
    appendHeaderCommonFields(out, *this);
    out += name;
    out += extra;
    return out;
}

}  // namespace zb::zip
