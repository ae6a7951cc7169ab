// Fuzz target: the inflate decoder on arbitrary bytes. The stated sizes (which only
// size its buffers) may lie, the input arrives in pieces of any size, and the output
// is capped, and may lend its memory to be decoded into. zlib decodes the same bytes as
// the peer: whatever zlib decodes to its end, our decoder must decode to its end with
// the very same bytes.
#include <zlib.h>

#include <algorithm>

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

// The capped output that also lends a buffer of the stated size (plus the margin) and
// checks that bytes decoded in place arrive where they belong.
class LendingOutput : public zb::fuzz::CappedOutput {
public:
    LendingOutput(std::size_t cap, std::size_t stated) : CappedOutput(cap), lent_(stated + zb::zip::kLendMargin) {}
    std::uint8_t* lendAll(std::size_t size) override {
        return size + zb::zip::kLendMargin == lent_.size() ? lent_.data() : nullptr;
    }
    void write(const std::uint8_t* data, std::size_t size) override {
        const std::uint8_t* const base = lent_.data();
        if (data >= base && data < base + lent_.size()) {
            if (data != base + bytes.size() || size > lent_.size() - bytes.size())
                zb::fuzz::fail("inflate hands on lent bytes out of place");
        }
        CappedOutput::write(data, size);
    }

private:
    zb::fuzz::Bytes lent_;
};

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
    // A lending output states about the size zlib decodes: one less, exact, or more.
    const ZlibResult peer = zlibInflate(packed);
    const bool lend = (lies & 16) != 0 && !peer.overCap;
    if (lend) p.uncompressedSize = std::max<std::int64_t>(0, std::int64_t(peer.out.size()) + ((lies >> 5) & 3) - 1);
    LendingOutput out(kCap, lend ? std::size_t(p.uncompressedSize) : 0);
    bool ok = false;
    bool capped = false;
    try {
        ok = zip::inflate(in, out, p);
    } catch (const fuzz::OutputCapReached&) {
        capped = true;
    }

    if (peer.overCap || capped) return 0;
    if (peer.complete) {
        if (!ok) fuzz::fail("zlib decodes the stream to its end, inflate gives up");
        if (out.bytes != peer.out) fuzz::fail("inflate and zlib decode different bytes");
    } else if (ok) {
        fuzz::fail("inflate accepts a stream zlib rejects");
    }
    return 0;
}
