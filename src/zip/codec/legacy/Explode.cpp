// Explode: the decoder of imploded members.
//
// The member starts with the code lengths of two or three Shannon-Fano trees (literals
// when flag bit 2 is set, match lengths, the high six bits of distances), each stored
// as run-length bytes. Then a 1 bit announces a literal (coded, or 8 raw bits without a
// literal tree) and a 0 bit a match: the low 6 (4 KiB dictionary) or 7 (8 KiB, flag
// bit 1) distance bits raw, the high bits coded, then the coded length, extended by 8
// raw bits at its largest value. There is no end mark: decoding stops at exactly the
// uncompressed size.
//
// The trees' codes are the canonical codes of their lengths (shortest first, then by
// value), sent first bit first with every bit inverted. Each is decoded with one
// lookup in a primary table (9 bits for literals, 7 for lengths, 7 or 8 for distances
// as the member's size suggests) and, for longer codes, one more in a sub-table.
#include "zip/codec/legacy/Explode.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "zip/codec/legacy/DecoderBitReader.h"
#include "zip/codec/legacy/DecoderWindow.h"

namespace zb::zip {
namespace {

constexpr unsigned kMaxCodeBits = 16;
constexpr std::size_t kHistory = 8192;

struct Entry {
    std::uint32_t value = 0;   // symbol, or the offset of a sub-table
    std::uint8_t bits = 0;     // bits to drop
    std::uint8_t subBits = 0;  // index width of a linked sub-table
    enum Kind : std::uint8_t { kSymbol, kLink, kBad } kind = kBad;
};

class CodeTable {
public:
    // Builds the table for code lengths 1..16 of `n` symbols. False when the lengths
    // over-subscribe the code (an incomplete code is accepted; its unused codes are
    // errors when met).
    bool build(const std::uint8_t* lens, unsigned n, unsigned primaryBits) {
        unsigned count[kMaxCodeBits + 1] = {};
        for (unsigned s = 0; s < n; ++s) ++count[lens[s]];
        int left = 1;
        for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
            left = (left << 1) - int(count[len]);
            if (left < 0) return false;
        }
        unsigned maxLen = kMaxCodeBits;
        while (maxLen > 0 && count[maxLen] == 0) --maxLen;
        primary_ = std::max(1u, std::min(primaryBits, maxLen));
        entries_.assign(std::size_t(1) << primary_, Entry{});

        unsigned remaining[kMaxCodeBits + 1];
        std::copy(count, count + kMaxCodeBits + 1, remaining);
        unsigned code = 0;
        unsigned currentPrefix = ~0u;
        std::size_t subBase = 0;
        unsigned subBits = 0;
        for (unsigned len = 1; len <= maxLen; ++len, code <<= 1) {
            for (unsigned s = 0; s < n; ++s) {
                if (lens[s] != len) continue;
                // The codes are sent with every bit inverted.
                const unsigned sent = ~code & ((1u << len) - 1);
                Entry e;
                e.kind = Entry::kSymbol;
                e.value = s;
                if (len <= primary_) {
                    e.bits = std::uint8_t(len);
                    for (std::size_t i = reverse(sent, len); i < entries_.size(); i += std::size_t(1) << len)
                        entries_[i] = e;
                } else {
                    const unsigned prefix = reverse(sent >> (len - primary_), primary_);
                    if (prefix != currentPrefix) {
                        unsigned bits = len - primary_;
                        int room = 1 << bits;
                        for (unsigned l = len;; ++l, ++bits, room <<= 1) {
                            room -= int(remaining[l]);
                            if (room <= 0 || l == maxLen) break;
                        }
                        currentPrefix = prefix;
                        subBase = entries_.size();
                        subBits = bits;
                        entries_.resize(subBase + (std::size_t(1) << bits));
                        Entry& link = entries_[prefix];
                        link.kind = Entry::kLink;
                        link.value = std::uint32_t(subBase);
                        link.bits = std::uint8_t(primary_);
                        link.subBits = std::uint8_t(bits);
                    }
                    const unsigned sub = len - primary_;
                    e.bits = std::uint8_t(sub);
                    for (std::size_t i = reverse(sent & ((1u << sub) - 1), sub); i < (std::size_t(1) << subBits);
                         i += std::size_t(1) << sub)
                        entries_[subBase + i] = e;
                }
                --remaining[len];
                ++code;
            }
        }
        return true;
    }

    // The next symbol, or -1 for a code the tree does not have.
    int decode(DecoderBitReader& in) const {
        const Entry* e = &entries_[in.peek(primary_)];
        if (e->kind == Entry::kLink) {
            in.skip(e->bits);
            e = &entries_[e->value + in.peek(e->subBits)];
        }
        if (e->kind != Entry::kSymbol) return -1;
        in.skip(e->bits);
        return int(e->value);
    }

private:
    static unsigned reverse(unsigned code, unsigned len) {
        unsigned r = 0;
        for (unsigned i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
        return r;
    }

    unsigned primary_ = 1;
    std::vector<Entry> entries_;
};

class Exploder {
public:
    Exploder(DecodeInput& in, DecodeOutput& out, const DecodeParams& p)
        : bits_(in, p.compressedSize), window_(out, kHistory), p_(p) {}

    bool run() {
        const bool bigWindow = (p_.flags & 0x02) != 0;
        const bool literalTree = (p_.flags & 0x04) != 0;
        const unsigned lowBits = bigWindow ? 7 : 6;
        const unsigned minMatch = literalTree ? 3 : 2;
        const unsigned distPrimary = p_.compressedSize > 200000 ? 8 : 7;

        if (literalTree && !readTree(256, 9, literals_)) return false;
        if (!readTree(64, 7, lengths_) || !readTree(64, distPrimary, distances_)) return false;

        const std::uint64_t size = p_.uncompressedSize;
        while (window_.total() < size) {
            if (bits_.bits(1)) {
                const int lit = literalTree ? literals_.decode(bits_) : int(bits_.bits(8));
                if (lit < 0) return false;
                window_.put(std::uint8_t(lit));
            } else {
                const unsigned low = bits_.bits(lowBits);
                const int high = distances_.decode(bits_);
                if (high < 0) return false;
                int len = lengths_.decode(bits_);
                if (len < 0) return false;
                if (len == 63) len += int(bits_.bits(8));
                const std::size_t dist = ((std::size_t(high) << lowBits) | low) + 1;
                const std::uint64_t room = size - window_.total();
                window_.copy(dist, std::size_t(std::min<std::uint64_t>(std::uint64_t(len) + minMatch, room)));
            }
            if (bits_.overrun()) return false;
        }
        window_.flush();
        return true;
    }

private:
    // A tree is stored as a count of bytes, then bytes of (values - 1) << 4 | (bits - 1)
    // that give the code lengths of consecutive values.
    bool readTree(unsigned symbols, unsigned primaryBits, CodeTable& table) {
        std::uint8_t lens[256];
        const unsigned bytes = bits_.bits(8) + 1;
        unsigned k = 0;
        for (unsigned i = 0; i < bytes; ++i) {
            const unsigned b = bits_.bits(8);
            const unsigned run = (b >> 4) + 1;
            if (run > symbols - k) return false;
            std::fill(lens + k, lens + k + run, std::uint8_t((b & 15) + 1));
            k += run;
        }
        if (k != symbols || bits_.overrun()) return false;
        return table.build(lens, symbols, primaryBits);
    }

    DecoderBitReader bits_;
    DecoderWindow window_;
    DecodeParams p_;
    CodeTable literals_, lengths_, distances_;
};

}  // namespace

bool explode(DecodeInput& in, DecodeOutput& out, const DecodeParams& p) {
    auto decoder = std::make_unique<Exploder>(in, out, p);
    return decoder->run();
}

}  // namespace zb::zip
