// One member from one file. The encryption header's padding comes from the system's
// secure random source: a clock-seeded generator would make the headers predictable.
#include "zip/writer/MemberWriter.h"

#include <vector>

#include "platform/SecureRandom.h"
#include "zip/checksum/Crc32.h"

namespace zb::zip {

namespace {

constexpr std::size_t kStoreBlock = 32768;
constexpr std::size_t kCrcPassBlock = 8192;

class SourceAdapter : public DeflateSource {
public:
    explicit SourceAdapter(MemberWriter& w) : w_(w) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override { return w_.readData(buffer, size); }

private:
    MemberWriter& w_;
};

class SinkAdapter : public DeflateSink {
public:
    explicit SinkAdapter(MemberWriter& w) : w_(w) {}
    void write(const std::uint8_t* data, std::size_t size) override { w_.writeData(data, size); }

private:
    MemberWriter& w_;
};

}  // namespace

bool memberNeedsZip64(std::uint64_t size) {
    const std::uint64_t margin = (size >> 12) + 64 + kCryptHeaderSize;
    return size + margin >= kZip64Marker32;
}

std::size_t MemberWriter::readData(std::uint8_t* buffer, std::size_t size) {
    const std::size_t n = in_->read(buffer, size);
    if (n > 0) {
        crc_ = crc32Update(crc_, buffer, n);
        if (hooks_.onRead) hooks_.onRead(n);
    }
    return n;
}

void MemberWriter::writeData(const std::uint8_t* data, std::size_t size) {
    if (encrypting_) {
        scratch_.assign(reinterpret_cast<const char*>(data), size);
        cipher_.encrypt(reinterpret_cast<std::uint8_t*>(scratch_.data()), size);
        data = reinterpret_cast<const std::uint8_t*>(scratch_.data());
    }
    out_.write(data, size);
    written_ += size;
    if (hooks_.afterWrite) hooks_.afterWrite();
}

std::uint64_t MemberWriter::storeData() {
    std::vector<std::uint8_t> block(kStoreBlock);
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t n = readData(block.data(), block.size());
        if (n == 0) break;
        writeData(block.data(), n);
        total += n;
    }
    return total;
}

std::uint32_t MemberWriter::crcPass() {
    std::vector<std::uint8_t> block(kCrcPassBlock * 8);
    std::uint32_t crc = kCrc32Preset;
    for (;;) {
        const std::size_t n = in_->read(block.data(), block.size());
        if (n == 0) break;
        crc = crc32Update(crc, block.data(), n);
    }
    return ~crc;
}

MemberWriter::Outcome MemberWriter::write(ZipInputFile& in, WriterMember& m, int level, const std::string& password,
                                          bool forceZip64) {
    in_ = &in;
    written_ = 0;
    m.localOffset = out_.position();
    m.zip64Local = forceZip64 || memberNeedsZip64(in.size());
    m.uncompressedSize = in.size();
    m.compressedSize = 0;
    m.crc = 0xFFFFFFFF;
    m.internalAttributes = 2;  // the compressor decides
    if (!password.empty()) m.flags |= kFlagEncrypted;
    out_.write(localHeaderBytes(m).data(), localHeaderSize(m));

    encrypting_ = false;
    std::uint32_t preCrc = 0;
    std::uint64_t preSize = 0;
    if (!password.empty()) {
        preCrc = crcPass();
        preSize = in.bytesRead();
        in.rewind();
        cipher_.init(password);
        std::uint8_t random[10];
        platform::secureRandomBytes(random, sizeof random);
        std::uint8_t header[kCryptHeaderSize];
        makeCryptHeader(cipher_, preCrc, random, header);
        out_.write(header, sizeof header);
        encrypting_ = true;
    }

    crc_ = kCrc32Preset;
    if (level == 0) {
        m.compressedSize = storeData();
        m.method = kMethodStored;
        m.internalAttributes = 0;
    } else {
        SourceAdapter source(*this);
        SinkAdapter sink(*this);
        const DeflateResult r = deflater_.compress(source, sink, level);
        m.method = r.method;
        m.internalAttributes = r.internalAttributes;
        m.flags |= r.flagBits;
        m.compressedSize = written_;
    }
    encrypting_ = false;
    m.crc = ~crc_;
    m.uncompressedSize = in.bytesRead();
    if (!password.empty()) {
        m.compressedSize += kCryptHeaderSize;
        if (m.crc != preCrc || m.uncompressedSize != preSize) return Outcome::SourceChanged;
    }
    if (!m.zip64Local && (m.compressedSize >= kZip64Marker32 || m.uncompressedSize >= kZip64Marker32))
        return Outcome::NeedsZip64;
    const std::string header = localHeaderBytes(m);
    out_.rewrite(m.localOffset, header.data(), header.size());
    return Outcome::Written;
}

}  // namespace zb::zip
