// A worker's packing of one file: the same store loop and compressor calls as the
// writer's own path, with every read and write recorded instead of reported.
#include "zip/writer/PackedMember.h"

#include "zip/checksum/Crc32.h"
#include "zip/records/ZipRecords.h"
#include "zip/writer/MemberWriter.h"

namespace zb::zip {

namespace {

// A piece goes to the writer once it holds this much, so memory stays bounded and the
// writer can start on a big file while it is still being compressed.
constexpr std::size_t kPieceBytes = 128 * 1024;
constexpr std::size_t kPieceSteps = 8192;

class Recorder : public DeflateSource, public DeflateSink {
public:
    Recorder(PackedMember& member, ZipInputFile& in, const std::function<void(PackedPiece&)>& publish)
        : member_(member), in_(in), publish_(publish) {}

    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        checkWanted();
        const std::size_t n = in_.read(buffer, size);
        if (n > 0) {
            crc_ = crc32Update(crc_, buffer, n);
            piece_.steps.push_back({std::uint32_t(n), false});
            publishWhenFull();
        }
        return n;
    }

    void write(const std::uint8_t* data, std::size_t size) override {
        checkWanted();
        piece_.data.insert(piece_.data.end(), data, data + size);
        piece_.steps.push_back({std::uint32_t(size), true});
        publishWhenFull();
    }

    void publish() {
        if (piece_.steps.empty()) return;
        publish_(piece_);
        piece_ = PackedPiece();
    }

    std::uint32_t crc() const { return ~crc_; }

private:
    void checkWanted() const {
        if (member_.abandoned.load(std::memory_order_relaxed)) throw PackingAbandoned();
    }
    void publishWhenFull() {
        if (piece_.data.size() >= kPieceBytes || piece_.steps.size() >= kPieceSteps) publish();
    }

    PackedMember& member_;
    ZipInputFile& in_;
    const std::function<void(PackedPiece&)>& publish_;
    PackedPiece piece_;
    std::uint32_t crc_ = kCrc32Preset;
};

}  // namespace

void PackedMember::pack(ZipInputFile& in, Deflater& deflater, const std::function<void(PackedPiece&)>& publish) {
    if (crcPass) {
        try {
            preCrc = crcOfFile(in, &abandoned);
            preSize = in.bytesRead();
            in.rewind();
        } catch (const SourceReadError&) {
            crcPassFailed = true;
            ending = Ending::ReadFailed;
            return;
        }
    }
    Recorder recorder(*this, in, publish);
    try {
        if (level == 0) {
            storeBlocks(recorder, recorder);
            result.method = kMethodStored;
            result.internalAttributes = 0;
            result.flagBits = 0;
        } else {
            result = deflater.compress(recorder, recorder, level);
        }
    } catch (const SourceReadError&) {
        ending = Ending::ReadFailed;
    }
    crc = recorder.crc();
    bytesRead = in.bytesRead();
    recorder.publish();
}

}  // namespace zb::zip
