// Inflate: decodes raw deflate data (stored, fixed-code and dynamic-code blocks).
//
// Why it looks the way it does:
// - Huffman codes are decoded with one table lookup in the common case: an 11-bit
//   primary table for literals/lengths and an 8-bit one for distances, with small
//   sub-tables for the rare longer codes. Each entry already carries the base value,
//   the number of extra bits and how many bits to drop, so a length or a distance is
//   one lookup plus one mask.
// - Bits come from a 64-bit buffer refilled eight bytes at a time from a large input
//   buffer, so the inner loop refills once per literal run or match, not per field.
// - Output goes into one large window that keeps the last 32 KiB as history. Matches
//   are copied in pieces of 8 to 32 bytes (the window has slack for the overshoot), and
//   the window is handed to the output side in large pieces. An output side that keeps
//   the whole member in memory lends it instead, and the member is decoded in place.
// - Stored data is copied once: straight from the input side into the window. When the
//   input side holds the whole compressed member in memory, the decoder reads it in
//   place, and stored blocks go from there to the output side without entering the
//   window at all; only the last 32 KiB of them are copied in as history, and only when
//   a later Huffman block may refer back to them.
// - Malformed data never leads a read outside a table or the window: every table slot
//   is filled (unused slots mark an error), distances are checked against the bytes
//   produced so far, and when the compressed data runs out the bit buffer is padded with
//   zero bits that are counted, so decoding stops as soon as it uses one of them.
#include "zip/codec/inflate/Inflate.h"

#include "zip/codec/BitReversal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace zb::zip {
namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

// ---- Table entries -------------------------------------------------------------------
// One 32-bit entry per table slot:
//   bits 0-7    bits to drop once the entry is used (code bits + extra bits)
//   bits 8-11   code bits (the extra bits start above them); for a link, the width of
//               the sub-table's index; for a literal, the width of the primary table;
//               for a length, the width of the distance table's primary part
//   bits 12-15  kind (link to a sub-table, end of block, error)
//   bits 16-30  value: the literal byte, the base of a length or distance, the code
//               length symbol, or the offset of the sub-table; a length keeps its code
//               bits in bits 25-28, above its base
//   bit 31      a literal
// So a literal's or a length's bits 0-15 are the position and the width of the next
// symbol's index, the form BMI1's bit-field extract reads: one instruction from one
// lookup to the next.
constexpr std::uint32_t kLiteral = 1u << 31;
constexpr std::uint32_t kLink = 1u << 13;
constexpr std::uint32_t kEndOfBlock = 1u << 14;
constexpr std::uint32_t kBad = 1u << 15;
constexpr std::uint32_t kSpecial = kLink | kEndOfBlock | kBad;

// Where a length entry keeps its code bits, and how it is read back.
constexpr unsigned kLengthCodeBitsAt = 25;
inline unsigned lengthBase(std::uint32_t entry) { return (entry >> 16) & 0x1ff; }
inline unsigned lengthCodeBits(std::uint32_t entry) { return (entry >> kLengthCodeBitsAt) & 0xf; }

constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kLitPrimaryBits = 11;
constexpr unsigned kDistPrimaryBits = 8;
constexpr unsigned kLenCodePrimaryBits = 7;
// Worst cases: every code longer than the primary width gets a sub-table of the
// largest possible size.
constexpr std::size_t kLitTableSize = (1u << kLitPrimaryBits) + 288 * (1u << (kMaxCodeBits - kLitPrimaryBits));
constexpr std::size_t kDistTableSize = (1u << kDistPrimaryBits) + 32 * (1u << (kMaxCodeBits - kDistPrimaryBits));
constexpr std::size_t kLenCodeTableSize = 1u << kLenCodePrimaryBits;

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                         33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::uint8_t kLenCodeOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// What each symbol decodes to, before the code length is added in.
struct SymbolTemplates {
    std::array<std::uint32_t, 288> lit{};
    std::array<std::uint32_t, 32> dist{};
    std::array<std::uint32_t, 19> lenCode{};
};

constexpr SymbolTemplates makeTemplates() {
    SymbolTemplates t;
    for (unsigned s = 0; s < 256; ++s) t.lit[s] = kLiteral | (s << 16);
    t.lit[256] = kEndOfBlock;
    for (unsigned s = 257; s < 286; ++s) t.lit[s] = (std::uint32_t(kLengthBase[s - 257]) << 16) | kLengthExtra[s - 257];
    t.lit[286] = t.lit[287] = kBad;  // exist in the fixed code, never valid in data
    for (unsigned s = 0; s < 30; ++s) t.dist[s] = (std::uint32_t(kDistBase[s]) << 16) | kDistExtra[s];
    t.dist[30] = t.dist[31] = kBad;
    for (unsigned s = 0; s < 19; ++s) t.lenCode[s] = s << 16;
    return t;
}
constexpr SymbolTemplates kTemplates = makeTemplates();

enum class CodeKind { LenCodes, Literals, Distances };

// The entry of a code of `len` bits (the bits it takes in its own table) in a table
// whose primary part is `primary` bits wide. A length's entry has its code bits in
// bits 25-28 and, in bits 8-15, the width `distBits` of the distance table that follows.
inline std::uint32_t tableEntry(std::uint32_t templ, unsigned len, unsigned primary, CodeKind kind,
                                unsigned distBits) {
    if (templ & kLiteral) return templ + (primary << 8) + len;
    const bool length = kind == CodeKind::Literals && (templ & kSpecial) == 0;
    if (length) return templ + (len << kLengthCodeBitsAt) + (distBits << 8) + len;
    return templ + (len << 8) + len;
}

// Builds the lookup table of one canonical code from its code lengths. Returns the
// primary index width, or 0 when the lengths do not make a usable code: over-subscribed,
// or incomplete where that is not allowed (an unused distance code set and a single
// one-bit code are the incomplete sets real encoders write).
unsigned buildTable(const std::uint8_t* lens, unsigned n, const std::uint32_t* templ, unsigned maxPrimary,
                    CodeKind kind, std::uint32_t* table, unsigned distBits = 0) {
    unsigned count[kMaxCodeBits + 1] = {};
    for (unsigned s = 0; s < n; ++s) ++count[lens[s]];
    count[0] = 0;
    unsigned maxLen = kMaxCodeBits;
    while (maxLen > 0 && count[maxLen] == 0) --maxLen;

    if (maxLen == 0) {
        if (kind != CodeKind::Distances) return 0;
        table[0] = table[1] = kBad;  // no distances: any match is an error
        return 1;
    }
    int left = 1;
    unsigned used = 0;
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - int(count[len]);
        if (left < 0) return 0;  // over-subscribed
        used += count[len];
    }
    const bool incomplete = left > 0;
    if (incomplete && (kind == CodeKind::LenCodes || !(used == 1 && maxLen == 1))) return 0;
    if (kind == CodeKind::Literals && lens[256] == 0) return 0;  // a block could never end

    // Symbols in canonical order: by length, then by symbol.
    unsigned offset[kMaxCodeBits + 2] = {};
    for (unsigned len = 1; len <= kMaxCodeBits; ++len) offset[len + 1] = offset[len] + count[len];
    std::uint16_t sorted[288];
    for (unsigned s = 0; s < n; ++s)
        if (lens[s]) sorted[offset[lens[s]]++] = std::uint16_t(s);

    const unsigned primary = std::min(maxPrimary, maxLen);
    const unsigned primarySize = 1u << primary;
    if (incomplete) std::fill(table, table + primarySize, kBad);

    unsigned remaining[kMaxCodeBits + 1];
    std::copy(count, count + kMaxCodeBits + 1, remaining);
    unsigned code = 0;  // canonical code, first bit in the high position
    unsigned next = 0;  // index into sorted
    unsigned len = 1;
    if (incomplete) {
        for (; len <= primary; ++len, code <<= 1)
            for (unsigned k = 0; k < count[len]; ++k, ++code) {
                const std::uint32_t entry = tableEntry(templ[sorted[next++]], len, primary, kind, distBits);
                for (unsigned i = reverseBits(code, len); i < primarySize; i += 1u << len) table[i] = entry;
            }
    } else {
        // The table is built at the width of the codes placed so far and doubled
        // before longer ones go in: a code's copies in the wider table are the copies
        // of the narrower one, so doubling is one block copy instead of a store per
        // copy. Slots no code fills yet are prefixes of longer codes, filled later.
        unsigned width = 0;
        for (; len <= primary; ++len, code <<= 1) {
            if (count[len] == 0) continue;
            if (width == 0) width = len;
            for (; width < len; ++width) std::memcpy(table + (1u << width), table, sizeof(std::uint32_t) << width);
            for (unsigned k = 0; k < count[len]; ++k, ++code)
                table[reverseBits(code, len)] = tableEntry(templ[sorted[next++]], len, primary, kind, distBits);
        }
        for (; width < primary; ++width) std::memcpy(table + (1u << width), table, sizeof(std::uint32_t) << width);
    }

    unsigned nextSub = primarySize;
    unsigned currentPrefix = ~0u;
    unsigned subBase = 0;
    unsigned subBits = 0;
    for (; len <= maxLen; ++len, code <<= 1) {
        for (unsigned k = 0; k < count[len]; ++k, ++code) {
            const std::uint32_t t = templ[sorted[next++]];
            const unsigned prefix = reverseBits(code >> (len - primary), primary);
            if (prefix != currentPrefix) {
                // Size the sub-table so it holds every code that shares this prefix.
                unsigned bits = len - primary;
                int room = 1 << bits;
                unsigned l = len;
                for (;;) {
                    room -= int(remaining[l]);
                    if (room <= 0 || l == maxLen) break;
                    ++l;
                    ++bits;
                    room <<= 1;
                }
                currentPrefix = prefix;
                subBase = nextSub;
                subBits = bits;
                nextSub += 1u << bits;
                table[prefix] = kLink | (subBase << 16) | (bits << 8) | primary;
                if (incomplete) std::fill(table + subBase, table + subBase + (1u << bits), kBad);
            }
            const unsigned sub = len - primary;
            const std::uint32_t entry = tableEntry(t, sub, primary, kind, distBits);
            for (unsigned i = reverseBits(code & ((1u << sub) - 1), sub); i < (1u << subBits); i += 1u << sub)
                table[subBase + i] = entry;
            --remaining[len];
        }
    }
    return primary;
}

struct FixedTables {
    std::uint32_t lit[1u << 9];
    std::uint32_t dist[1u << 5];
    unsigned litBits = 0;
    unsigned distBits = 0;
    FixedTables() {
        std::uint8_t lens[288];
        std::fill(lens, lens + 144, 8);
        std::fill(lens + 144, lens + 256, 9);
        std::fill(lens + 256, lens + 280, 7);
        std::fill(lens + 280, lens + 288, 8);
        std::uint8_t distLens[32];
        std::fill(distLens, distLens + 32, 5);
        distBits = buildTable(distLens, 32, kTemplates.dist.data(), kDistPrimaryBits, CodeKind::Distances, dist);
        litBits = buildTable(lens, 288, kTemplates.lit.data(), kLitPrimaryBits, CodeKind::Literals, lit, distBits);
    }
};

const FixedTables& fixedTables() {
    static const FixedTables tables;
    return tables;
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

constexpr std::size_t kHistory = 32768;
constexpr std::size_t kDefaultChunk = 256 * 1024;
// Room the fast loop needs after the write position: three literals, a longest match,
// and the overshoot of a piecewise copy.
constexpr std::size_t kOutMargin = 320;
// Below this size a lent output saves too little to be worth asking for.
constexpr std::size_t kMinLentSize = 1024;
// Input the fast loop needs ahead of the read position: two eight-byte refills.
constexpr std::ptrdiff_t kInMargin = 16;
constexpr std::size_t kMaxInBuffer = 64 * 1024;
// What is read after a stored block: enough for the next block's header and the fast
// loop's margin.
constexpr std::size_t kStoredLookahead = 64;

enum Step { kGoOn = 0, kBlockEnd = 1, kFailed = -1 };

class Inflater {
public:
    Inflater(DecodeInput& in, DecodeOutput& out, const DecodeParams& p) : in_(in), out_(out) {
        std::size_t whole = 0;
        if (const std::uint8_t* data = in_.takeAll(whole)) {
            ip_ = data;
            ipEnd_ = data + whole;
            inputDone_ = inPlace_ = true;
        } else {
            inCap_ = kMaxInBuffer;
            if (p.compressedSize > 0 && p.compressedSize < kMaxInBuffer)
                inCap_ = std::max<std::size_t>(std::size_t(p.compressedSize) + 64, 256);
            inBuf_ = std::make_unique_for_overwrite<std::uint8_t[]>(inCap_);
            ip_ = ipEnd_ = inBuf_.get();
        }

        // An output that lends its memory is decoded into directly, as long as the
        // member keeps to its stated size; a member small enough to gain nothing keeps
        // to a window of its own.
        if (p.uncompressedSize >= kMinLentSize && p.uncompressedSize < SIZE_MAX - kLendMargin) {
            if (std::uint8_t* lent = out_.lendAll(std::size_t(p.uncompressedSize))) {
                static_assert(kLendMargin >= kOutMargin);
                useWindow(lent, std::size_t(p.uncompressedSize) + kOutMargin, 0);
                lent_ = true;
                return;
            }
        }
        // A member known to be small gets a window just large enough to hold all of it.
        std::size_t cap = kHistory + kDefaultChunk;
        if (p.uncompressedSize > 0 && p.uncompressedSize < kDefaultChunk)
            cap = std::size_t(p.uncompressedSize) + 2 * kOutMargin;
        allocateWindow(cap);
    }

    bool run() {
        bool last = false;
        while (!last) {
            if (!need(3)) return false;
            last = (bitbuf_ & 1) != 0;
            const unsigned type = unsigned(bitbuf_ >> 1) & 3;
            drop(3);
            bool ok = false;
            switch (type) {
                case 0: ok = storedBlock(); break;
                case 1: {
                    const FixedTables& f = fixedTables();
                    ok = huffmanBlock(f.lit, f.litBits, f.dist, f.distBits);
                    break;
                }
                case 2: ok = dynamicBlock(); break;
                default: ok = false; break;  // reserved block type
            }
            if (!ok || padBits_ > bitsleft_) return false;
        }
        if (op_ > flushFrom_) out_.write(flushFrom_, std::size_t(op_ - flushFrom_));
        return true;
    }

private:
    // ---- Input -------------------------------------------------------------------------
    // Tops the input buffer up. Right after a stored block only a few bytes are read:
    // if the next block is stored too, its bytes then go from the input side straight
    // into the window instead of through this buffer (stored data is copied once, not
    // twice); a Huffman block fills the buffer in full on its first top-up.
    void fillInput() {
        const std::size_t keep = std::size_t(ipEnd_ - ip_);
        std::uint8_t* base = inBuf_.get();
        std::memmove(base, ip_, keep);
        ip_ = base;
        std::uint8_t* end = base + keep;
        std::uint8_t* const want = afterStored_ ? std::min(base + inCap_, base + kStoredLookahead) : base + inCap_;
        afterStored_ = false;
        while (!inputDone_ && end < want) {
            const std::size_t got = in_.read(end, std::size_t(want - end));
            if (got == 0)
                inputDone_ = true;
            else
                end += got;
        }
        ipEnd_ = end;
    }

    // Tops the bit buffer up to at least 56 bits. Past the end of the compressed data
    // the top-up is zero bits, counted in padBits_; returns false once decoding has
    // used any of them.
    // The common case is inline: code lengths are read through it, a dozen per block
    // header refill.
    bool refill() {
        if (ipEnd_ - ip_ >= 8) [[likely]] {
            bitbuf_ |= load64(ip_) << bitsleft_;
            ip_ += (63 - bitsleft_) >> 3;
            bitsleft_ |= 56;
            return true;
        }
        return refillNearEnd();
    }
    [[gnu::noinline]] bool refillNearEnd() {
        if (!inputDone_) {
            fillInput();
            if (ipEnd_ - ip_ >= 8) return refill();
        }
        if (padBits_ > bitsleft_) return false;
        bitbuf_ &= bitsleft_ == 0 ? 0 : ~std::uint64_t(0) >> (64 - bitsleft_);
        while (bitsleft_ <= 56) {
            if (ip_ < ipEnd_)
                bitbuf_ |= std::uint64_t(*ip_++) << bitsleft_;
            else
                padBits_ += 8;
            bitsleft_ += 8;
        }
        return true;
    }
    bool need(unsigned n) { return bitsleft_ >= n || refill(); }
    void drop(unsigned n) {
        bitbuf_ >>= n;
        bitsleft_ -= n;
    }
    unsigned take(unsigned n) {
        const unsigned v = unsigned(bitbuf_ & ((std::uint64_t(1) << n) - 1));
        drop(n);
        return v;
    }

    // ---- Output ------------------------------------------------------------------------
    void allocateWindow(std::size_t cap) {
        auto fresh = std::make_unique_for_overwrite<std::uint8_t[]>(cap);
        std::size_t keep = 0;
        if (base_) {
            keep = std::min<std::size_t>(std::size_t(op_ - base_), kHistory);
            std::memcpy(fresh.get(), op_ - keep, keep);
        }
        ownWindow_ = std::move(fresh);
        useWindow(ownWindow_.get(), cap, keep);
    }

    void useWindow(std::uint8_t* base, std::size_t cap, std::size_t keep) {
        base_ = base;
        op_ = flushFrom_ = base + keep;
        opFastEnd_ = base + cap - kOutMargin;
        winCap_ = cap;
    }

    // Hands the new bytes on and moves the last 32 KiB to the front as history.
    void flushWindow() {
        if (op_ > flushFrom_) out_.write(flushFrom_, std::size_t(op_ - flushFrom_));
        flushFrom_ = op_;
        if (lent_ || winCap_ < kHistory + kDefaultChunk) {
            lent_ = false;
            allocateWindow(kHistory + kDefaultChunk);  // the member is bigger than it said
            return;
        }
        std::uint8_t* base = base_;
        if (std::size_t(op_ - base) > kHistory) {
            std::memmove(base, op_ - kHistory, kHistory);
            op_ = flushFrom_ = base + kHistory;
        }
    }

    // Hands on the bytes decoded into the window and not yet written.
    void flushPending() {
        if (op_ > flushFrom_) out_.write(flushFrom_, std::size_t(op_ - flushFrom_));
        flushFrom_ = op_;
    }

    // Stored bytes written straight from the input's memory: remembered (only as many
    // pieces as cover the last 32 KiB) instead of being copied into the window.
    void deferHistory(const std::uint8_t* data, std::size_t size) {
        if (size == 0) return;
        deferred_.push_back({data, size});
        deferredTotal_ += size;
        while (deferredTotal_ - deferred_.front().size >= kHistory) {
            deferredTotal_ -= deferred_.front().size;
            deferred_.erase(deferred_.begin());
        }
    }

    // Copies the remembered stored bytes into the window as history (already written),
    // before anything else goes into the window.
    void materializeHistory() {
        if (deferred_.empty()) return;
        std::size_t skip = deferredTotal_ > kHistory ? deferredTotal_ - kHistory : 0;
        const std::size_t keep = deferredTotal_ - skip;
        if (op_ + keep > opFastEnd_) flushWindow();  // nothing is pending: this only slides
        for (const Piece& piece : deferred_) {
            const std::size_t from = std::min(skip, piece.size);
            skip -= from;
            std::memcpy(op_, piece.data + from, piece.size - from);
            op_ += piece.size - from;
        }
        flushFrom_ = op_;
        deferred_.clear();
        deferredTotal_ = 0;
    }

    static inline std::uint8_t* copyMatch(std::uint8_t* op, std::size_t dist, unsigned len) {
        const std::uint8_t* src = op - dist;
        std::uint8_t* const end = op + len;
        if (dist >= 16) {
            // Two pieces a round: most matches are done in one or two rounds.
            do {
                std::memcpy(op, src, 16);
                std::memcpy(op + 16, src + 16, 16);
                op += 32;
                src += 32;
            } while (op < end);
        } else if (dist >= 8) {
            do {
                std::memcpy(op, src, 8);
                std::memcpy(op + 8, src + 8, 8);
                op += 16;
                src += 16;
            } while (op < end);
        } else if (dist == 1) {
            // A run of one byte: eight of it a store, no call.
            const std::uint64_t run = std::uint64_t(*src) * 0x0101010101010101u;
            do {
                std::memcpy(op, &run, 8);
                op += 8;
            } while (op < end);
        } else {
            // Short period: lay down bytes one at a time until the pattern repeated a
            // whole number of times spans 8 bytes, then copy 8 at a time from that
            // multiple of the distance.
            static constexpr std::uint8_t kStride[8] = {0, 0, 8, 9, 8, 10, 12, 14};
            const std::size_t stride = kStride[dist];
            std::uint8_t* const firstWords = std::min(end, op + (stride - dist));
            while (op < firstWords) *op++ = *src++;
            src = op - stride;
            while (op < end) {
                std::memcpy(op, src, 8);
                op += 8;
                src += 8;
            }
        }
        return end;
    }

    // ---- Blocks ------------------------------------------------------------------------
    bool storedBlock() {
        drop(bitsleft_ & 7);
        if (!need(32)) return false;
        unsigned len = take(16);
        const unsigned nlen = take(16);
        if (padBits_ > bitsleft_ || (len ^ nlen) != 0xffff) return false;
        if (inPlace_ && padBits_ == 0 && !lent_) {
            // The whole bytes left in the bit buffer are the ones just before ip_: step
            // back over them, and the block's bytes lie at ip_ in the input's memory.
            ip_ -= bitsleft_ >> 3;
            bitbuf_ = 0;
            bitsleft_ = 0;
            if (len <= std::size_t(ipEnd_ - ip_)) {
                flushPending();
                if (len > 0) out_.write(ip_, len);
                deferHistory(ip_, len);
                ip_ += len;
                afterStored_ = true;
                return true;
            }
            // The data ends inside the block: copied below as far as it goes.
        }
        materializeHistory();
        while (len > 0 && bitsleft_ >= 8) {
            if (op_ > opFastEnd_) flushWindow();
            *op_++ = std::uint8_t(take(8));
            --len;
        }
        if (padBits_ > bitsleft_) return false;
        afterStored_ = true;
        if (len == 0) return true;
        bitbuf_ = 0;  // empty now; drop the look-ahead copies of the bytes read directly below
        while (len > 0) {
            if (op_ > opFastEnd_) flushWindow();
            const std::size_t room = std::min<std::size_t>(len, std::size_t(base_ + winCap_ - op_));
            if (ip_ < ipEnd_) {
                // Bytes already buffered first.
                const std::size_t n = std::min(room, std::size_t(ipEnd_ - ip_));
                std::memcpy(op_, ip_, n);
                op_ += n;
                ip_ += n;
                len -= unsigned(n);
                continue;
            }
            if (inputDone_) return false;
            // The rest straight from the input side into the window, saving a copy.
            const std::size_t got = in_.read(op_, room);
            if (got == 0) {
                inputDone_ = true;
                return false;
            }
            op_ += got;
            len -= unsigned(got);
        }
        return true;
    }

    bool dynamicBlock() {
        if (!need(14)) return false;
        const unsigned nlit = take(5) + 257;
        const unsigned ndist = take(5) + 1;
        const unsigned nlen = take(4) + 4;
        if (nlit > 286 || ndist > 30) return false;

        std::uint8_t lens[286 + 30] = {};
        std::uint8_t codeLens[19] = {};
        for (unsigned i = 0; i < nlen; ++i) {
            if (!need(3)) return false;
            codeLens[kLenCodeOrder[i]] = std::uint8_t(take(3));
        }
        const unsigned clBits =
            buildTable(codeLens, 19, kTemplates.lenCode.data(), kLenCodePrimaryBits, CodeKind::LenCodes, lenCodeTable_);
        if (clBits == 0) return false;
        const std::uint64_t clMask = (std::uint64_t(1) << clBits) - 1;

        const unsigned total = nlit + ndist;
        unsigned i = 0;
        while (i < total) {
            if (!need(14)) return false;
            const std::uint32_t e = lenCodeTable_[bitbuf_ & clMask];
            if (e & kBad) return false;
            drop(e & 0xff);
            const unsigned sym = e >> 16;
            if (sym < 16) {
                lens[i++] = std::uint8_t(sym);
                continue;
            }
            unsigned repeat;
            std::uint8_t value = 0;
            if (sym == 16) {
                if (i == 0) return false;
                value = lens[i - 1];
                repeat = 3 + take(2);
            } else if (sym == 17) {
                repeat = 3 + take(3);
            } else {
                repeat = 11 + take(7);
            }
            if (repeat > total - i) return false;
            std::memset(lens + i, value, repeat);
            i += repeat;
        }
        if (padBits_ > bitsleft_) return false;

        // The distances first: a length's entry holds the width of their table.
        const unsigned distBits =
            buildTable(lens + nlit, ndist, kTemplates.dist.data(), kDistPrimaryBits, CodeKind::Distances, distTable_);
        if (distBits == 0) return false;
        const unsigned litBits =
            buildTable(lens, nlit, kTemplates.lit.data(), kLitPrimaryBits, CodeKind::Literals, litTable_, distBits);
        if (litBits == 0) return false;
        return huffmanBlock(litTable_, litBits, distTable_, distBits);
    }

    bool huffmanBlock(const std::uint32_t* lt, unsigned litBits, const std::uint32_t* dt, unsigned distBits) {
        materializeHistory();
        for (;;) {
            if (op_ > opFastEnd_) flushWindow();
            if (ipEnd_ - ip_ < kInMargin && !inputDone_) fillInput();
            const Step s =
                ipEnd_ - ip_ >= kInMargin ? fastLoop(lt, litBits, dt, distBits) : slowSymbol(lt, litBits, dt, distBits);
            if (s != kGoOn) return s == kBlockEnd;
        }
    }

    // Decodes symbols while there is room for a whole step in both buffers. The loop
    // body is compiled twice: once for any x86-64 (or other) processor and once with
    // the variable-shift and bit-field instructions of BMI1 and BMI2, chosen at run
    // time: the bit buffer work is most of the loop, and those instructions shorten it.
    Step fastLoop(const std::uint32_t* lt, unsigned litBits, const std::uint32_t* dt, unsigned distBits) {
#if defined(__x86_64__) && defined(__GNUC__)
        static const bool hasBmi2 = __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("bmi");
        if (hasBmi2) return fastLoopBmi2(lt, litBits, dt, distBits);
#endif
        return fastLoopBody<false>(lt, litBits, dt, distBits);
    }

#if defined(__x86_64__) && defined(__GNUC__)
    __attribute__((target("bmi,bmi2"))) Step fastLoopBmi2(const std::uint32_t* lt, unsigned litBits,
                                                      const std::uint32_t* dt, unsigned distBits) {
        return fastLoopBody<true>(lt, litBits, dt, distBits);
    }
#endif

    // All state is held in locals so the compiler keeps it in registers. The entry of
    // the next symbol is looked up before a match is copied, so the table load overlaps
    // the copy.
    template <bool kBmi2>
    [[gnu::always_inline]] inline Step fastLoopBody(const std::uint32_t* lt, unsigned litBits, const std::uint32_t* dt,
                                                    unsigned distBits) {
        const std::uint8_t* ip = ip_;
        const std::uint8_t* const ipFastEnd = ipEnd_ - kInMargin;
        std::uint8_t* op = op_;
        std::uint8_t* const opFastEnd = opFastEnd_;
        const std::uint8_t* const base = base_;
        std::uint64_t bitbuf = bitbuf_;
        unsigned bitsleft = bitsleft_;
        const std::uint64_t litMask = (std::uint64_t(1) << litBits) - 1;
        const std::uint64_t distMask = (std::uint64_t(1) << distBits) - 1;
        Step result = kGoOn;

        // Only the low byte of bitsleft counts: entries are subtracted whole (their
        // low byte is the count to drop), which saves masking them first; borrows
        // only run upwards, so the low byte stays exact.
#define ZB_REFILL()                                     \
    do {                                                \
        bitbuf |= load64(ip) << (bitsleft & 63);        \
        ip += 7 - ((bitsleft >> 3) & 7);                \
        bitsleft |= 56;                                 \
    } while (0)
#define ZB_DROP(n)          \
    do {                    \
        bitbuf >>= (n) & 63; \
        bitsleft -= (n);    \
    } while (0)
        // Bit-field work on an entry, with BMI's instructions where the loop runs on
        // BMI2. They are written out: GCC does not find them in the shifts and masks
        // below by itself, and its built-ins for them are refused in a function (such
        // as these helpers, when not inlined) that is not compiled for BMI2.
        // The bits an entry covers (its code and extra bits): its low byte counts them,
        // and the clear-high-bits instruction reads only that byte of its index.
        const auto coveredBits = [](std::uint64_t bits, std::uint32_t entry) -> std::uint64_t {
#if defined(__x86_64__) && defined(__GNUC__)
            if constexpr (kBmi2) {
                std::uint64_t out;
                asm("bzhi %2, %1, %0" : "=r"(out) : "r"(bits), "r"(std::uint64_t(entry)) : "cc");
                return out;
            }
#endif
            return bits & ((std::uint64_t(1) << (entry & 0xff)) - 1);
        };
        // The index of the symbol after a literal or a length, from the bits before
        // the entry's are dropped: the entry's bits 0-15 are the position and the width
        // of that index (see the entry layout), as the bit-field extract reads them.
        const auto nextIndex = [](std::uint64_t bits, std::uint32_t entry, std::uint64_t mask) -> std::uint64_t {
#if defined(__x86_64__) && defined(__GNUC__)
            if constexpr (kBmi2) {
                std::uint64_t out;
                asm("bextr %2, %1, %0" : "=r"(out) : "r"(bits), "r"(std::uint64_t(entry)) : "cc");
                return out;
            }
#endif
            return (bits >> (entry & 63)) & mask;
        };
        // The extra bits lie above the code bits: a length keeps their count in bits
        // 25-28, a distance in bits 8-11 with zeros above them up to bit 13 (it carries
        // no kind flag), so a shift, which reads only the low 6 bits of its count,
        // needs no mask there.
        const auto lengthExtra = [&](std::uint64_t bits, std::uint32_t entry) {
            return coveredBits(bits, entry) >> lengthCodeBits(entry);
        };
        const auto distanceExtra = [&](std::uint64_t bits, std::uint32_t entry) {
            return coveredBits(bits, entry) >> ((entry >> 8) & 63);
        };

        // The caller saw at least kInMargin input bytes. At the top of each round the
        // buffer holds at least 56 bits and e is the entry they start with; a round
        // refills at most twice, which the margin covers.
        ZB_REFILL();
        std::uint32_t e = lt[bitbuf & litMask];
        while (ip <= ipFastEnd && op <= opFastEnd) {
            if (e & kLiteral) {
                // Three literals per refill (each code is at most 15 bits), and the
                // 56 - 3 * 15 bits left still index the primary table for a fourth.
                std::uint64_t next = nextIndex(bitbuf, e, litMask);
                ZB_DROP(e);
                *op++ = std::uint8_t(e >> 16);
                e = lt[next];
                if (e & kLiteral) {
                    next = nextIndex(bitbuf, e, litMask);
                    ZB_DROP(e);
                    *op++ = std::uint8_t(e >> 16);
                    e = lt[next];
                    if (e & kLiteral) {
                        next = nextIndex(bitbuf, e, litMask);
                        ZB_DROP(e);
                        *op++ = std::uint8_t(e >> 16);
                        e = lt[next];
                    }
                }
                ZB_REFILL();  // the looked-up entry stays valid: refilling adds bits above
                if (e & kLiteral) continue;
            }
            if (e & kSpecial) {
                if (e & kLink) {
                    ZB_DROP(e);
                    e = lt[(e >> 16) + (bitbuf & ((std::uint64_t(1) << ((e >> 8) & 0xf)) - 1))];
                    if (e & kLiteral) {
                        ZB_DROP(e);
                        *op++ = std::uint8_t(e >> 16);
                        ZB_REFILL();
                        e = lt[bitbuf & litMask];
                        continue;
                    }
                }
                if (e & kEndOfBlock) {
                    ZB_DROP(e);
                    result = kBlockEnd;
                    break;
                }
                if (e & kBad) {
                    result = kFailed;
                    break;
                }
            }
            // A length (at most 20 bits) and a distance (at most 28) fit in one refill.
            const std::uint64_t distIndex = nextIndex(bitbuf, e, distMask);
            const unsigned len = lengthBase(e) + unsigned(lengthExtra(bitbuf, e));
            ZB_DROP(e);
            std::uint32_t d = dt[distIndex];
            if (d & kSpecial) {
                if (d & kLink) {
                    ZB_DROP(d);
                    d = dt[(d >> 16) + (bitbuf & ((std::uint64_t(1) << ((d >> 8) & 0xf)) - 1))];
                }
                if (d & kBad) {
                    result = kFailed;
                    break;
                }
            }
            const std::size_t dist = (d >> 16) + std::size_t(distanceExtra(bitbuf, d));
            ZB_DROP(d);
            // The next entry is looked up before the refill, which keeps the refill off
            // the path from one symbol to the next. It is the entry the refilled buffer
            // would give: the round began with a full buffer of 64 real bits, a length
            // and a distance take at most 48 of them, so at least 16 real bits are left
            // under the table's index, and a refill only adds bits above them.
            e = lt[bitbuf & litMask];
            if (dist > std::size_t(op - base)) {
                result = kFailed;
                break;
            }
            ZB_REFILL();
            op = copyMatch(op, dist, len);
        }
#undef ZB_REFILL
#undef ZB_DROP
        ip_ = ip;
        op_ = op;
        bitbuf_ = bitbuf;
        bitsleft_ = bitsleft & 0xff;
        return result;
    }

    // One symbol near the end of the compressed data, with checked refills.
    Step slowSymbol(const std::uint32_t* lt, unsigned litBits, const std::uint32_t* dt, unsigned distBits) {
        if (!refill()) return kFailed;
        std::uint32_t e = lt[bitbuf_ & ((std::uint64_t(1) << litBits) - 1)];
        if (e & kLink) {
            drop(e & 0xff);
            e = lt[(e >> 16) + (bitbuf_ & ((std::uint64_t(1) << ((e >> 8) & 0xf)) - 1))];
        }
        if (e & kLiteral) {
            drop(e & 0xff);
            *op_++ = std::uint8_t(e >> 16);
            return kGoOn;
        }
        if (e & kEndOfBlock) {
            drop(e & 0xff);
            return kBlockEnd;
        }
        if (e & kBad) return kFailed;
        unsigned total = e & 0xff;
        const unsigned len =
            lengthBase(e) + unsigned((bitbuf_ & ((std::uint64_t(1) << total) - 1)) >> lengthCodeBits(e));
        drop(total);
        if (!refill()) return kFailed;
        std::uint32_t d = dt[bitbuf_ & ((std::uint64_t(1) << distBits) - 1)];
        if (d & kLink) {
            drop(d & 0xff);
            d = dt[(d >> 16) + (bitbuf_ & ((std::uint64_t(1) << ((d >> 8) & 0xf)) - 1))];
        }
        if (d & kBad) return kFailed;
        total = d & 0xff;
        const std::size_t dist =
            (d >> 16) + std::size_t((bitbuf_ & ((std::uint64_t(1) << total) - 1)) >> ((d >> 8) & 0xf));
        drop(total);
        if (dist > std::size_t(op_ - base_)) return kFailed;
        op_ = copyMatch(op_, dist, len);
        return kGoOn;
    }

    DecodeInput& in_;
    DecodeOutput& out_;

    std::unique_ptr<std::uint8_t[]> inBuf_;
    std::size_t inCap_ = 0;
    const std::uint8_t* ip_ = nullptr;
    const std::uint8_t* ipEnd_ = nullptr;
    bool inputDone_ = false;
    bool afterStored_ = false;  // the next top-up reads only kStoredLookahead bytes
    bool inPlace_ = false;      // ip_ points into the input side's own memory

    struct Piece {
        const std::uint8_t* data;
        std::size_t size;
    };
    std::vector<Piece> deferred_;  // stored bytes written but not yet in the window
    std::size_t deferredTotal_ = 0;
    std::uint64_t bitbuf_ = 0;
    unsigned bitsleft_ = 0;
    unsigned padBits_ = 0;

    // The window: the output's own memory while it is lent (the stated size plus
    // kOutMargin), else ownWindow_.
    std::unique_ptr<std::uint8_t[]> ownWindow_;
    std::uint8_t* base_ = nullptr;
    bool lent_ = false;
    std::size_t winCap_ = 0;
    std::uint8_t* op_ = nullptr;
    std::uint8_t* flushFrom_ = nullptr;
    std::uint8_t* opFastEnd_ = nullptr;

    std::uint32_t litTable_[kLitTableSize];
    std::uint32_t distTable_[kDistTableSize];
    std::uint32_t lenCodeTable_[kLenCodeTableSize];
};

}  // namespace

bool inflate(DecodeInput& in, DecodeOutput& out, const DecodeParams& p) {
    auto inflater = std::make_unique<Inflater>(in, out, p);
    return inflater->run();
}

}  // namespace zb::zip
