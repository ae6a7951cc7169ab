// Fuzz target: the deflate compressor at every level on arbitrary contents, read in
// pieces of any size. Whatever it produces must be described truly by its result and
// must decode back to the very bytes it was given, with our inflate and with zlib.
#include <zlib.h>

#include "fuzz/FuzzSupport.h"
#include "zip/codec/deflate/Deflate.h"
#include "zip/codec/inflate/Inflate.h"

namespace {

class PieceSource : public zb::zip::DeflateSource {
public:
    PieceSource(const zb::fuzz::Bytes& data, std::size_t piece) : data_(data), piece_(piece) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        if (done_) zb::fuzz::fail("the compressor read again after the end of its input");
        const std::size_t n = std::min({size, piece_, data_.size() - pos_});
        if (n) std::memcpy(buffer, data_.data() + pos_, n);
        pos_ += n;
        if (n == 0) done_ = true;
        return n;
    }

private:
    const zb::fuzz::Bytes& data_;
    std::size_t piece_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

class VectorSink : public zb::zip::DeflateSink {
public:
    void write(const std::uint8_t* data, std::size_t size) override {
        if (size == 0) zb::fuzz::fail("the compressor wrote 0 bytes");
        bytes.insert(bytes.end(), data, data + size);
    }
    zb::fuzz::Bytes bytes;
};

bool zlibRoundTrip(const zb::fuzz::Bytes& packed, const zb::fuzz::Bytes& plain) {
    zb::fuzz::Bytes out(plain.size() + 1);
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) return false;
    s.next_in = const_cast<Bytef*>(packed.data());
    s.avail_in = uInt(packed.size());
    s.next_out = out.data();
    s.avail_out = uInt(out.size());
    int rc = inflate(&s, Z_FINISH);
    const bool ok = rc == Z_STREAM_END && s.total_out == plain.size() && s.avail_in == 0;
    inflateEnd(&s);
    return ok && std::equal(plain.begin(), plain.end(), out.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    fuzz::FuzzBytes fb(data, size);
    const int level = 1 + fb.u8() % 9;
    const std::size_t piece = fuzz::pieceSize(fb.u8());
    const fuzz::Bytes plain = fb.rest();

    static zip::Deflater deflater;  // reused across runs, as the writer reuses it per member
    PieceSource source(plain, piece);
    VectorSink sink;
    const zip::DeflateResult r = deflater.compress(source, sink, level);

    if (r.compressedSize != sink.bytes.size()) fuzz::fail("stated compressed size differs from the bytes written");
    if (r.flagBits != zip::deflateFlagBits(level)) fuzz::fail("flag bits do not follow the level");
    if (r.internalAttributes > 1) fuzz::fail("text/binary mark undecided");
    if (r.method == 0) {
        if (sink.bytes != plain) fuzz::fail("a stored member is not its raw bytes");
        return 0;
    }
    if (r.method != 8) fuzz::fail("unknown method in the result");
    if (plain.empty()) fuzz::fail("an empty input must be stored");

    fuzz::PieceInput in(sink.bytes.data(), sink.bytes.size(), piece);
    fuzz::CappedOutput out(plain.size());
    zip::DecodeParams p;
    p.method = 8;
    p.compressedSize = sink.bytes.size();
    p.uncompressedSize = plain.size();
    bool ok = false;
    try {
        ok = zip::inflate(in, out, p);
    } catch (const fuzz::OutputCapReached&) {
        fuzz::fail("the compressed stream decodes to more bytes than went in");
    }
    if (!ok || out.bytes != plain) fuzz::fail("our inflate does not give back the input");
    if (!zlibRoundTrip(sink.bytes, plain)) fuzz::fail("zlib does not give back the input");
    return 0;
}
