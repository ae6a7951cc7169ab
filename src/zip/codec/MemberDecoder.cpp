// Method dispatch. Each decoder lives in its own file; a method without a decoder is
// unsupported, so such members fail cleanly.
#include "zip/codec/MemberDecoder.h"

#include <memory>

#include "zip/codec/MemberInput.h"
#include "zip/records/ZipRecords.h"

#include "zip/codec/inflate/Inflate.h"
#include "zip/codec/legacy/Explode.h"
#include "zip/codec/legacy/Unreduce.h"
#include "zip/codec/legacy/Unshrink.h"

namespace zb::zip {

bool methodSupported(std::uint16_t method) {
    switch (method) {
        case kMethodStored:
        case kMethodShrunk:
        case 2:
        case 3:
        case 4:
        case 5:
        case kMethodImploded:
        case kMethodDeflated: return true;
        default: return false;
    }
}

std::string methodName(std::uint16_t method) {
    switch (method) {
        case 0: return "Stored";
        case 1: return "Shrunk";
        case 2:
        case 3:
        case 4:
        case 5: return "Reduced" + std::to_string(method - 1);
        case 6: return "Imploded";
        case 8: return "Deflated";
        case 9: return "Deflate64";
        case 12: return "BZip2";
        case 14: return "LZMA";
        case 93: return "Zstd";
        case 95: return "XZ";
        case 99: return "AES";
        default: return "Method " + std::to_string(method);
    }
}

bool copyStored(DecodeInput& in, DecodeOutput& out) {
    // Not zero-filled: every byte written out was read in first.
    const auto buf = std::make_unique_for_overwrite<std::uint8_t[]>(kDecodeBlockSize);
    for (;;) {
        std::size_t n = in.read(buf.get(), kDecodeBlockSize);
        if (n == 0) return true;
        out.write(buf.get(), n);
    }
}

DecodeStatus decodeMember(DecodeInput& in, DecodeOutput& out, const DecodeParams& params) {
    bool ok = false;
    switch (params.method) {
        case kMethodStored: ok = copyStored(in, out); break;
        case kMethodDeflated: ok = inflate(in, out, params); break;
        case kMethodShrunk: ok = unshrink(in, out, params); break;
        case 2:
        case 3:
        case 4:
        case 5: ok = unreduce(in, out, params); break;
        case kMethodImploded: ok = explode(in, out, params); break;
        default: ok = false; break;
    }
    return ok ? DecodeStatus::Complete : DecodeStatus::Malformed;
}

}  // namespace zb::zip
