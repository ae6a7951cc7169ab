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

std::uint32_t crcOfFile(ZipInputFile& in, const std::atomic<bool>* abandoned) {
    std::vector<std::uint8_t> block(kCrcPassBlock * 8);
    std::uint32_t crc = kCrc32Preset;
    for (;;) {
        if (abandoned && abandoned->load(std::memory_order_relaxed)) throw PackingAbandoned();
        const std::size_t n = in.read(block.data(), block.size());
        if (n == 0) break;
        crc = crc32Update(crc, block.data(), n);
    }
    return ~crc;
}

std::uint64_t storeBlocks(DeflateSource& source, DeflateSink& sink) {
    std::vector<std::uint8_t> block(kStoreBlock);
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t n = source.read(block.data(), block.size());
        if (n == 0) break;
        sink.write(block.data(), n);
        total += n;
    }
    return total;
}

void MemberWriter::begin(WriterMember& m, std::uint64_t size, const std::string& password, bool forceZip64) {
    written_ = 0;
    encrypting_ = false;
    m.localOffset = out_.position();
    m.zip64Local = forceZip64 || memberNeedsZip64(size);
    m.uncompressedSize = size;
    m.compressedSize = 0;
    m.crc = 0xFFFFFFFF;
    m.internalAttributes = 2;  // the compressor decides
    if (!password.empty()) m.flags |= kFlagEncrypted;
    out_.write(localHeaderBytes(m).data(), localHeaderSize(m));
}

void MemberWriter::startCipher(const std::string& password, std::uint32_t crc) {
    cipher_.init(password);
    std::uint8_t random[10];
    platform::secureRandomBytes(random, sizeof random);
    std::uint8_t header[kCryptHeaderSize];
    makeCryptHeader(cipher_, crc, random, header);
    out_.write(header, sizeof header);
    encrypting_ = true;
}

MemberWriter::Outcome MemberWriter::finish(WriterMember& m, std::uint32_t crc, std::uint64_t bytesRead,
                                           const std::string& password, std::uint32_t preCrc, std::uint64_t preSize) {
    encrypting_ = false;
    m.crc = crc;
    m.uncompressedSize = bytesRead;
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

MemberWriter::Outcome MemberWriter::write(ZipInputFile& in, WriterMember& m, int level, const std::string& password,
                                          bool forceZip64) {
    in_ = &in;
    begin(m, in.size(), password, forceZip64);
    std::uint32_t preCrc = 0;
    std::uint64_t preSize = 0;
    if (!password.empty()) {
        preCrc = crcOfFile(in);
        preSize = in.bytesRead();
        in.rewind();
        startCipher(password, preCrc);
    }

    crc_ = kCrc32Preset;
    SourceAdapter source(*this);
    SinkAdapter sink(*this);
    if (level == 0) {
        m.compressedSize = storeBlocks(source, sink);
        m.method = kMethodStored;
        m.internalAttributes = 0;
    } else {
        const DeflateResult r = deflater_.compress(source, sink, level);
        m.method = r.method;
        m.internalAttributes = r.internalAttributes;
        m.flags |= r.flagBits;
        m.compressedSize = written_;
    }
    return finish(m, ~crc_, in.bytesRead(), password, preCrc, preSize);
}

MemberWriter::Outcome MemberWriter::replay(ZipInputFile& in, const PackedMember& packed,
                                           const std::function<bool(PackedPiece&)>& next, WriterMember& m,
                                           const std::string& password, bool forceZip64) {
    begin(m, in.size(), password, forceZip64);
    // The first piece (or the end) comes after the worker's first pass.
    PackedPiece piece;
    bool more = next(piece);
    if (!password.empty()) {
        if (packed.crcPassFailed) throw SourceReadError("read error");
        startCipher(password, packed.preCrc);
    }
    for (; more; more = next(piece)) {
        std::size_t offset = 0;
        for (const PackedStep& step : piece.steps) {
            if (!step.write) {
                if (hooks_.onRead) hooks_.onRead(step.size);
                continue;
            }
            writeData(piece.data.data() + offset, step.size);
            offset += step.size;
        }
    }
    if (packed.ending == PackedMember::Ending::ReadFailed) throw SourceReadError("read error");
    m.method = packed.result.method;
    m.internalAttributes = packed.result.internalAttributes;
    m.flags |= packed.result.flagBits;
    m.compressedSize = written_;
    return finish(m, packed.crc, packed.bytesRead, password, packed.preCrc, packed.preSize);
}

}  // namespace zb::zip
