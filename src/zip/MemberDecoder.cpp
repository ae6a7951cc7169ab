// Method dispatch. Each decoder lives in its own file; a decoder that is not part of
// the build yet leaves its method unsupported, so such members fail cleanly.
#include "zip/MemberDecoder.h"

#include <vector>

#include "zip/MemberInput.h"
#include "zip/ZipRecords.h"

#if __has_include("zip/Inflate.h")
#include "zip/Inflate.h"
#define ZB_HAVE_INFLATE 1
#endif
#if __has_include("zip/Unshrink.h")
#include "zip/Unshrink.h"
#define ZB_HAVE_UNSHRINK 1
#endif
#if __has_include("zip/Unreduce.h")
#include "zip/Unreduce.h"
#define ZB_HAVE_UNREDUCE 1
#endif
#if __has_include("zip/Explode.h")
#include "zip/Explode.h"
#define ZB_HAVE_EXPLODE 1
#endif

namespace zb::zip {

bool methodSupported(std::uint16_t method) {
    switch (method) {
        case kMethodStored: return true;
#ifdef ZB_HAVE_INFLATE
        case kMethodDeflated: return true;
#endif
#ifdef ZB_HAVE_UNSHRINK
        case kMethodShrunk: return true;
#endif
#ifdef ZB_HAVE_UNREDUCE
        case 2: case 3: case 4: case 5: return true;
#endif
#ifdef ZB_HAVE_EXPLODE
        case kMethodImploded: return true;
#endif
        default: return false;
    }
}

std::string methodName(std::uint16_t method) {
    switch (method) {
        case 0: return "Stored";
        case 1: return "Shrunk";
        case 2: case 3: case 4: case 5: return "Reduced" + std::to_string(method - 1);
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
    std::vector<std::uint8_t> buf(kDecodeBlockSize);
    for (;;) {
        std::size_t n = in.read(buf.data(), buf.size());
        if (n == 0) return true;
        out.write(buf.data(), n);
    }
}

DecodeStatus decodeMember(DecodeInput& in, DecodeOutput& out, const DecodeParams& params) {
    bool ok = false;
    switch (params.method) {
        case kMethodStored: ok = copyStored(in, out); break;
#ifdef ZB_HAVE_INFLATE
        case kMethodDeflated: ok = inflate(in, out, params); break;
#endif
#ifdef ZB_HAVE_UNSHRINK
        case kMethodShrunk: ok = unshrink(in, out, params); break;
#endif
#ifdef ZB_HAVE_UNREDUCE
        case 2: case 3: case 4: case 5: ok = unreduce(in, out, params); break;
#endif
#ifdef ZB_HAVE_EXPLODE
        case kMethodImploded: ok = explode(in, out, params); break;
#endif
        default: ok = false; break;
    }
    return ok ? DecodeStatus::Complete : DecodeStatus::Malformed;
}

}  // namespace zb::zip
