// Fuzz target: the inflate decoder on arbitrary bytes. The stated sizes (which only
// size its buffers) may lie, the input arrives in pieces of any size, and the output
// is capped. zlib decodes the same bytes as the peer: whatever zlib decodes to its
// end, our decoder must decode to its end with the very same bytes.
#include <zlib.h>

#include "fuzz/FuzzSupport.h"
#include "zip/codec/inflate/Inflate.h"

namespace {

constexpr std::size_t kCap = 1 << 20;

struct ZlibResult {
    bool complete = false;
    bool overCap = false;
    zb::fuzz::Bytes out;
};

ZlibResult zlibInflate(const zb::fuzz::Bytes& in) {
    static zb::fuzz::Bytes buffer(kCap + 1);
    ZlibResult r;
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) return r;
    s.next_in = const_cast<Bytef*>(in.data());
    s.avail_in = uInt(in.size());
    s.next_out = buffer.data();
    s.avail_out = uInt(buffer.size());
    int rc = inflate(&s, Z_FINISH);
    r.complete = rc == Z_STREAM_END;
    r.overCap = s.total_out > kCap;
    if (!r.overCap) r.out.assign(buffer.begin(), buffer.begin() + std::ptrdiff_t(s.total_out));
    inflateEnd(&s);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    fuzz::FuzzBytes fb(data, size);
    const std::size_t piece = fuzz::pieceSize(fb.u8());
    const std::uint8_t lies = fb.u8();
    const fuzz::Bytes packed = fb.rest();

    zip::DecodeParams p;
    p.method = 8;
    p.compressedSize = (lies & 1) ? (lies & 2 ? 1 : std::uint64_t(lies) << 24) : packed.size();
    p.uncompressedSize = (lies & 4) ? (lies & 8 ? 1 : std::uint64_t(lies) << 20) : 0;

    fuzz::PieceInput in(packed.data(), packed.size(), piece);
    fuzz::CappedOutput out(kCap);
    bool ok = false;
    bool capped = false;
    try {
        ok = zip::inflate(in, out, p);
    } catch (const fuzz::OutputCapReached&) {
        capped = true;
    }

    const ZlibResult peer = zlibInflate(packed);
    if (peer.overCap || capped) return 0;
    if (peer.complete) {
        if (!ok) fuzz::fail("zlib decodes the stream to its end, inflate gives up");
        if (out.bytes != peer.out) fuzz::fail("inflate and zlib decode different bytes");
    } else if (ok) {
        fuzz::fail("inflate accepts a stream zlib rejects");
    }
    return 0;
}
