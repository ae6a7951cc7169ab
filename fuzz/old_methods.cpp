// Fuzz target: the decoders of the old methods (unshrink, unreduce with each factor,
// explode with each flag combination) on arbitrary bytes. Besides never crashing or
// hanging, each must give the same verdict and the same bytes whatever the size of the
// pieces its input arrives in, and the decoders that stop at the stated size must
// never pass it.
#include "fuzz/FuzzSupport.h"
#include "zip/codec/legacy/Explode.h"
#include "zip/codec/legacy/Unreduce.h"
#include "zip/codec/legacy/Unshrink.h"

namespace {

constexpr std::size_t kCap = 1 << 20;

struct Run {
    bool ok = false;
    bool capped = false;
    zb::fuzz::Bytes out;
};

Run decode(const zb::fuzz::Bytes& packed, const zb::zip::DecodeParams& p, std::size_t piece) {
    using namespace zb;
    fuzz::PieceInput in(packed.data(), packed.size(), piece);
    fuzz::CappedOutput out(kCap);
    Run r;
    try {
        switch (p.method) {
            case 1: r.ok = zip::unshrink(in, out, p); break;
            case 6: r.ok = zip::explode(in, out, p); break;
            default: r.ok = zip::unreduce(in, out, p); break;
        }
    } catch (const fuzz::OutputCapReached&) {
        r.capped = true;
    }
    r.out = std::move(out.bytes);
    return r;
}

}  // namespace

// Input: method selector, flags, piece selector, 32-bit uncompressed size, then the
// compressed bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    fuzz::FuzzBytes fb(data, size);
    zip::DecodeParams p;
    p.method = std::uint16_t(1 + fb.u8() % 6);
    p.flags = fb.u8();
    const std::size_t piece = fuzz::pieceSize(fb.u8());
    p.uncompressedSize = fb.u32() % (kCap + 1);
    const fuzz::Bytes packed = fb.rest();
    p.compressedSize = packed.size();

    const Run whole = decode(packed, p, SIZE_MAX);
    const Run pieces = decode(packed, p, piece);
    if (whole.capped != pieces.capped) fuzz::fail("the output cap is reached with one piece size only");
    if (whole.capped) return 0;
    if (whole.ok != pieces.ok) fuzz::fail("the verdict depends on the piece size");
    if (whole.out != pieces.out) fuzz::fail("the output depends on the piece size");
    if (p.method != 1 && whole.out.size() > p.uncompressedSize) fuzz::fail("output past the stated size");
    if (p.method != 1 && whole.ok && whole.out.size() != p.uncompressedSize)
        fuzz::fail("a complete member of the wrong size");
    return 0;
}
