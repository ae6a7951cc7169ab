// The body shared by the fuzz targets of the older decoders (unshrink, unreduce with
// each factor, explode with each flag combination). The fuzzer supplies the stated
// uncompressed size and the compressed bytes. Every run decodes twice: once with the
// input handed over in one piece, once in pieces of a size the fuzzer picks. The two
// runs must agree byte for byte and in their verdict, so no decoder may depend on how
// its input arrives; and none may produce more than the size it was told.
#pragma once

#include "fuzz/FuzzSupport.h"

namespace zb::fuzz {

using DecoderFn = bool (*)(zip::DecodeInput&, zip::DecodeOutput&, const zip::DecodeParams&);

// Stated sizes are cut to this, so a lying header cannot make a run take minutes.
inline constexpr std::uint32_t kOldMethodMaxSize = 1u << 20;

struct OldMethodRun {
    bool ok = false;
    bool capped = false;
    Bytes out;
};

inline OldMethodRun runOldMethod(DecoderFn decode, const Bytes& packed, const zip::DecodeParams& p,
                                 std::size_t piece) {
    OldMethodRun r;
    PieceInput in(packed.data(), packed.size(), piece);
    CappedOutput out(kOldMethodMaxSize);
    try {
        r.ok = decode(in, out, p);
    } catch (const OutputCapReached&) {
        r.capped = true;
    }
    r.out = std::move(out.bytes);
    return r;
}

inline int fuzzOldMethod(DecoderFn decode, std::uint16_t method, std::uint16_t flags, const std::uint8_t* data,
                         std::size_t size, bool sizeBounded) {
    FuzzBytes fb(data, size);
    const std::size_t piece = pieceSize(fb.u8());
    const std::uint8_t statedBig = fb.u8();
    zip::DecodeParams p;
    p.method = method;
    p.flags = flags;
    p.uncompressedSize = fb.u32() % (kOldMethodMaxSize + 1);
    const Bytes packed = fb.rest();
    // Explode picks its distance table width from the stated compressed size.
    p.compressedSize = (statedBig & 1) ? 300000 : packed.size();

    const OldMethodRun whole = runOldMethod(decode, packed, p, SIZE_MAX);
    const OldMethodRun pieces = runOldMethod(decode, packed, p, piece);
    if (whole.capped != pieces.capped || whole.ok != pieces.ok || whole.out != pieces.out)
        fail("the decoder's result depends on how its input arrives");
    if (sizeBounded && whole.out.size() > p.uncompressedSize) fail("more output than the stated size");
    if (sizeBounded && whole.ok && whole.out.size() != p.uncompressedSize)
        fail("a complete member of another size than stated");
    return 0;
}

}  // namespace zb::fuzz
