// Unreduce: the decoder of reduced members.
//
// Stage one turns bits into bytes: each of the 256 byte values has a follower set of
// up to 64 bytes that often come next; after a byte whose set is not empty, a 0 bit
// and a short index pick a follower, a 1 bit and 8 bits give any byte. Stage two reads
// those bytes: 144 (DLE) starts a repeat, "DLE 0" is a plain 144, and otherwise the
// next bytes give a length (extended by one more byte when its bits are all ones) and
// a distance; the factor (1 to 4) decides how the bits are split between them.
#include "zip/codec/legacy/Unreduce.h"

#include <memory>

#include "zip/codec/legacy/DecoderBitReader.h"
#include "zip/codec/legacy/DecoderWindow.h"

namespace zb::zip {
namespace {

constexpr std::uint8_t kDle = 144;
constexpr std::size_t kHistory = 16384;

// Bits of the index into a follower set of n entries.
constexpr unsigned indexBits(unsigned n) {
    unsigned bits = 1;
    while ((1u << bits) < n) ++bits;
    return bits;
}

class Unreducer {
public:
    Unreducer(DecodeInput& in, DecodeOutput& out, const DecodeParams& p)
        : bits_(in, p.compressedSize),
          window_(out, kHistory),
          size_(p.uncompressedSize),
          factor_(unsigned(p.method) - 1) {}

    bool run() {
        if (factor_ < 1 || factor_ > 4) return false;
        if (!readFollowerSets()) return false;

        const unsigned lengthMask = 0xffu >> factor_;
        enum { kPlain, kAfterDle, kExtraLength, kDistance } state = kPlain;
        unsigned last = 0;
        unsigned value = 0;  // the byte after DLE: length and the high part of the distance
        std::size_t length = 0;
        while (window_.total() < size_) {
            unsigned c;
            const unsigned n = count_[last];
            if (n == 0 || bits_.bits(1) == 1) {
                c = bits_.bits(8);
            } else {
                const unsigned index = bits_.bits(indexBits(n));
                if (index >= n) return false;
                c = followers_[last][index];
            }
            if (bits_.overrun()) return false;
            last = c;

            switch (state) {
                case kPlain:
                    if (c == kDle)
                        state = kAfterDle;
                    else
                        window_.put(std::uint8_t(c));
                    break;
                case kAfterDle:
                    if (c == 0) {
                        window_.put(kDle);
                        state = kPlain;
                    } else {
                        value = c;
                        length = c & lengthMask;
                        state = length == lengthMask ? kExtraLength : kDistance;
                    }
                    break;
                case kExtraLength:
                    length += c;
                    state = kDistance;
                    break;
                case kDistance: {
                    const std::size_t dist = ((value >> (8 - factor_)) << 8) + c + 1;
                    // A repeat may not run past the stated size.
                    const std::uint64_t room = size_ - window_.total();
                    window_.copy(dist, std::size_t(std::min<std::uint64_t>(length + 3, room)));
                    state = kPlain;
                    break;
                }
            }
        }
        window_.flush();
        return true;
    }

private:
    bool readFollowerSets() {
        for (int j = 255; j >= 0; --j) {
            const unsigned n = bits_.bits(6);
            count_[j] = std::uint8_t(n);
            for (unsigned i = 0; i < n; ++i) followers_[j][i] = std::uint8_t(bits_.bits(8));
        }
        return !bits_.overrun();
    }

    DecoderBitReader bits_;
    DecoderWindow window_;
    std::uint64_t size_;
    unsigned factor_;
    std::uint8_t count_[256] = {};
    std::uint8_t followers_[256][64] = {};
};

}  // namespace

bool unreduce(DecodeInput& in, DecodeOutput& out, const DecodeParams& p) {
    auto decoder = std::make_unique<Unreducer>(in, out, p);
    return decoder->run();
}

}  // namespace zb::zip
