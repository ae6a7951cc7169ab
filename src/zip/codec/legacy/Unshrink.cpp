// Unshrink: the LZW decoder of shrunk members.
//
// Each code above 256 stands for an earlier string plus one byte, kept as (prefix
// code, last byte). Every code read after the first adds a new string, the previous
// string plus the first byte of the current one, in the lowest free slot. Control code
// 256 is followed by 1 (codes grow one bit wider) or 2 (partial clear: every string no
// other string builds on is freed, so its slot can be reused). A code that is about to
// be defined by this very step (the "KwKwK" case) is the previous string plus its own
// first byte.
#include "zip/codec/legacy/Unshrink.h"

#include <memory>

#include "zip/codec/legacy/DecoderBitReader.h"
#include "zip/codec/legacy/DecoderWindow.h"

namespace zb::zip {
namespace {

constexpr unsigned kMaxCodes = 8192;
constexpr unsigned kControl = 256;
constexpr unsigned kFirstFree = 257;
constexpr unsigned kMinCodeBits = 9;
constexpr unsigned kMaxCodeBits = 13;
constexpr std::uint16_t kFree = 0xffff;  // prefix of a slot that holds no string

class Unshrinker {
public:
    Unshrinker(DecodeInput& in, DecodeOutput& out, const DecodeParams& p)
        : bits_(in, p.compressedSize), window_(out, 0), size_(p.uncompressedSize) {
        for (unsigned c = kFirstFree; c < kMaxCodes; ++c) prefix_[c] = kFree;
    }

    bool run() {
        unsigned codeBits = kMinCodeBits;
        int previous = -1;
        while (bits_.has(codeBits)) {
            const unsigned code = bits_.bits(codeBits);
            if (code == kControl) {
                if (!bits_.has(codeBits)) return false;
                const unsigned what = bits_.bits(codeBits);
                if (what == 1) {
                    if (codeBits == kMaxCodeBits) return false;
                    ++codeBits;
                } else if (what == 2) {
                    partialClear();
                } else {
                    return false;
                }
                continue;
            }
            if (previous < 0) {
                if (code > 255) return false;  // the first code must be a plain byte
                const std::uint8_t b = std::uint8_t(code);
                window_.append(&b, 1);
                previous = int(code);
                continue;
            }

            std::size_t start;
            if (code < kControl || prefix_[code] != kFree) {
                if (!expand(code, kStackEnd, start)) return false;
            } else if (code == freeCode_) {
                // KwKwK: the previous string followed by its own first byte.
                if (!expand(unsigned(previous), kStackEnd - 1, start)) return false;
                stack_[kStackEnd - 1] = stack_[start];
            } else {
                return false;  // a code that is not defined
            }
            if (freeCode_ < kMaxCodes) {
                prefix_[freeCode_] = std::uint16_t(previous);
                suffix_[freeCode_] = stack_[start];
                do ++freeCode_;
                while (freeCode_ < kMaxCodes && prefix_[freeCode_] != kFree);
            }
            window_.append(stack_ + start, kStackEnd - start);
            previous = int(code);
        }
        window_.flush();
        // The format has no end mark; data that ends before the stated size was cut short.
        return window_.total() >= size_;
    }

private:
    // Writes the string of `code` so that it ends just before stack_[end]; sets `start`
    // to its first byte. False when the chain of prefixes is broken or loops.
    bool expand(unsigned code, std::size_t end, std::size_t& start) {
        std::size_t at = end;
        while (code >= kFirstFree) {
            if (at == 1 || prefix_[code] == kFree) return false;
            stack_[--at] = suffix_[code];
            code = prefix_[code];
        }
        if (code == kControl) return false;
        stack_[--at] = std::uint8_t(code);
        start = at;
        return true;
    }

    void partialClear() {
        bool isPrefix[kMaxCodes] = {};
        for (unsigned c = kFirstFree; c < kMaxCodes; ++c)
            if (prefix_[c] != kFree && prefix_[c] >= kFirstFree) isPrefix[prefix_[c]] = true;
        for (unsigned c = kFirstFree; c < kMaxCodes; ++c)
            if (!isPrefix[c]) prefix_[c] = kFree;
        freeCode_ = kFirstFree;
        while (freeCode_ < kMaxCodes && prefix_[freeCode_] != kFree) ++freeCode_;
    }

    DecoderBitReader bits_;
    DecoderWindow window_;
    std::uint64_t size_;
    std::uint16_t prefix_[kMaxCodes];
    std::uint8_t suffix_[kMaxCodes];
    // Strings are built backwards, ending at kStackEnd; the longest string and the
    // extra byte of the KwKwK case fit.
    static constexpr std::size_t kStackEnd = kMaxCodes + 1;
    std::uint8_t stack_[kStackEnd];
    unsigned freeCode_ = kFirstFree;
};

}  // namespace

bool unshrink(DecodeInput& in, DecodeOutput& out, const DecodeParams& p) {
    auto decoder = std::make_unique<Unshrinker>(in, out, p);
    return decoder->run();
}

}  // namespace zb::zip
