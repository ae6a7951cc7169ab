// Helpers shared by the decoder tests: in-memory input and output sides, zlib as the
// peer compressor, a bit writer for hand-made streams, a minimal reader of the legacy
// corpus archives (central directory only) with its MANIFEST, and a SHA-256 to check
// decoded contents against it.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "zip/codec/DecoderIo.h"

namespace zb::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes toBytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Hands out the compressed bytes in pieces of at most `piece` bytes, as a reader of
// blocks or a slow source would.
class MemoryInput : public zip::DecodeInput {
public:
    explicit MemoryInput(const Bytes& data, std::size_t piece = SIZE_MAX) : data_(data), piece_(piece) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, piece_, data_.size() - pos_});
        if (n > 0) std::memcpy(buffer, data_.data() + pos_, n);
        pos_ += n;
        ++calls_;
        return n;
    }
    std::size_t consumed() const { return pos_; }
    std::size_t calls() const { return calls_; }

private:
    const Bytes& data_;
    std::size_t piece_;
    std::size_t pos_ = 0;
    std::size_t calls_ = 0;
};

// Holds the whole compressed member in memory and lends it to the decoder in place,
// as an archive already in memory does; nothing is copied through read().
class InPlaceInput : public zip::DecodeInput {
public:
    explicit InPlaceInput(const Bytes& data) : data_(data) {}
    std::size_t read(std::uint8_t*, std::size_t) override {
        ++reads;
        return 0;  // everything was handed over by takeAll
    }
    const std::uint8_t* takeAll(std::size_t& size) override {
        ++taken;
        size = data_.size();
        return data_.data();
    }
    int taken = 0;
    int reads = 0;

private:
    const Bytes& data_;
};

// Collects the decoded bytes; optionally throws once more than `limit` arrive, as the
// output side does for a member longer than its stated size.
class VectorOutput : public zip::DecodeOutput {
public:
    explicit VectorOutput(std::size_t limit = SIZE_MAX) : limit_(limit) {}
    void write(const std::uint8_t* data, std::size_t size) override {
        if (size > limit_ - bytes.size()) throw std::length_error("longer than stated");
        bytes.insert(bytes.end(), data, data + size);
        ++writes;
    }
    Bytes bytes;
    std::size_t writes = 0;

private:
    std::size_t limit_;
};

using DecoderFn = bool (*)(zip::DecodeInput&, zip::DecodeOutput&, const zip::DecodeParams&);

struct DecodeResult {
    bool ok = false;
    Bytes out;
};

inline DecodeResult runDecoder(DecoderFn fn, const Bytes& packed, const zip::DecodeParams& p,
                               std::size_t piece = SIZE_MAX) {
    MemoryInput in(packed, piece);
    VectorOutput out;
    DecodeResult r;
    r.ok = fn(in, out, p);
    r.out = std::move(out.bytes);
    return r;
}

// ---- zlib as the peer ------------------------------------------------------------------
inline Bytes zlibDeflateRaw(const Bytes& data, int level, int strategy = Z_DEFAULT_STRATEGY) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy) != Z_OK) throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&z, uLong(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int rc = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(z.total_out);
    return out;
}

inline std::uint32_t crc32Of(const Bytes& data) { return std::uint32_t(::crc32(0L, data.data(), uInt(data.size()))); }

// ---- Test data shapes ------------------------------------------------------------------
inline Bytes randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& c : b) c = std::uint8_t(rng());
    return b;
}

// Text-like data from a small vocabulary: many matches of all lengths and distances.
inline Bytes wordyText(std::size_t n, std::uint32_t seed) {
    static const char* words[] = {"archive", "member",  "backup", "the",  "of",         "zip",  "folder",
                                  "restore", "project", "a",      "with", "compressed", "size", "\n",
                                  "data",    "file",    "1998",   "0x90", "window",     "and"};
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(n + 16);
    while (b.size() < n) {
        const char* w = words[rng() % std::size(words)];
        b.insert(b.end(), w, w + std::strlen(w));
        b.push_back(' ');
    }
    b.resize(n);
    return b;
}

// Runs of one byte and short repeating patterns (distances 1 to 7), typical of binaries.
inline Bytes runsAndPatterns(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        const unsigned kind = rng() % 3;
        const std::size_t len = 1 + rng() % 600;
        if (kind == 0) {
            b.insert(b.end(), len, std::uint8_t(rng()));
        } else if (kind == 1) {
            const std::size_t period = 2 + rng() % 6;
            Bytes pat(period);
            for (auto& c : pat) c = std::uint8_t(rng());
            for (std::size_t i = 0; i < len; ++i) b.push_back(pat[i % period]);
        } else {
            for (std::size_t i = 0; i < len % 40; ++i) b.push_back(std::uint8_t(rng()));
        }
    }
    b.resize(n);
    return b;
}

// ---- Bit writer for hand-made streams (first bit in the lowest position) --------------
class BitWriter {
public:
    void bits(std::uint64_t value, unsigned n) {
        for (unsigned i = 0; i < n; ++i) bit((value >> i) & 1);
    }
    // A Huffman code is sent starting with its most significant bit.
    void code(std::uint32_t code, unsigned len) {
        for (unsigned i = len; i-- > 0;) bit((code >> i) & 1);
    }
    void alignToByte() {
        while (count_ % 8) bit(0);
    }
    void byte(std::uint8_t b) {
        alignToByte();
        bits(b, 8);
    }
    // Fixed-code literal/length symbol.
    void fixedSymbol(unsigned sym) {
        if (sym < 144)
            code(0x30 + sym, 8);
        else if (sym < 256)
            code(0x190 + sym - 144, 9);
        else if (sym < 280)
            code(sym - 256, 7);
        else
            code(0xc0 + sym - 280, 8);
    }
    Bytes finish() const { return out_; }

private:
    void bit(unsigned b) {
        if (count_ % 8 == 0) out_.push_back(0);
        if (b) out_.back() |= std::uint8_t(1u << (count_ % 8));
        ++count_;
    }
    Bytes out_;
    std::size_t count_ = 0;
};

// Canonical codes of a set of code lengths (up to 16 bits): shortest first, then by
// symbol. Deflate sends them as they are, implode with every bit inverted.
inline std::vector<std::uint32_t> canonicalCodes(const std::vector<std::uint8_t>& lens) {
    unsigned count[17] = {};
    for (auto l : lens) ++count[l];
    count[0] = 0;
    unsigned next[17] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= 16; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<std::uint32_t> codes(lens.size());
    for (std::size_t s = 0; s < lens.size(); ++s)
        if (lens[s]) codes[s] = next[lens[s]]++;
    return codes;
}

// Expects `fn` to end cleanly on random bytes and on every cut of a valid stream (every
// `step`-th byte), where it must report failure and have handed on only a prefix of the
// real content.
inline void expectCleanEndings(DecoderFn fn, const Bytes& packed, const zip::DecodeParams& p, const Bytes& plain,
                               std::size_t step) {
    for (std::size_t cut = 0; cut < packed.size(); cut += step) {
        const Bytes part(packed.begin(), packed.begin() + std::ptrdiff_t(cut));
        const DecodeResult r = runDecoder(fn, part, p, cut % 2 ? 5 : SIZE_MAX);
        EXPECT_FALSE(r.ok) << "cut at " << cut;
        EXPECT_LE(r.out.size(), plain.size()) << "cut at " << cut;
        EXPECT_TRUE(std::equal(r.out.begin(), r.out.begin() + std::ptrdiff_t(std::min(r.out.size(), plain.size())),
                               plain.begin()))
            << "cut at " << cut;
    }
}

struct RandomRunCounts {
    unsigned ok = 0;       // decoded without complaint
    unsigned tooLong = 0;  // output passed the stated size (refused by the output side)
};

// Random bytes, with the given parameters, must only ever end: true, false, or an
// output longer than the stated size refused by the output side.
inline RandomRunCounts runOnRandomInput(DecoderFn fn, zip::DecodeParams p, unsigned runs, std::uint32_t seed) {
    std::mt19937 rng(seed);
    RandomRunCounts counts;
    for (unsigned i = 0; i < runs; ++i) {
        const Bytes junk = randomBytes(rng() % 4000, rng());
        p.compressedSize = junk.size();
        MemoryInput in(junk, i % 3 ? SIZE_MAX : 1 + rng() % 64);
        VectorOutput out(std::size_t(p.uncompressedSize));
        try {
            counts.ok += fn(in, out, p);
        } catch (const std::length_error&) {
            ++counts.tooLong;
        }
    }
    return counts;
}

// ---- The legacy corpus -----------------------------------------------------------------
struct ArchiveMember {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t modTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    Bytes data;  // the member's compressed bytes (with the encryption header, if any)
};

inline std::uint32_t le16(const Bytes& b, std::size_t at) {
    if (at + 2 > b.size()) throw std::runtime_error("archive too short");
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8;
}
inline std::uint32_t le32(const Bytes& b, std::size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

inline Bytes readBytes(const std::filesystem::path& p) {
    const std::string s = readFile(p);
    return Bytes(s.begin(), s.end());
}

// Member names without the UTF-8 flag are code page 437; the manifest shows them as UTF-8.
inline std::string cp437ToUtf8(const std::string& raw) {
    static constexpr std::uint16_t upper[128] = {
        0x00c7, 0x00fc, 0x00e9, 0x00e2, 0x00e4, 0x00e0, 0x00e5, 0x00e7, 0x00ea, 0x00eb, 0x00e8, 0x00ef, 0x00ee,
        0x00ec, 0x00c4, 0x00c5, 0x00c9, 0x00e6, 0x00c6, 0x00f4, 0x00f6, 0x00f2, 0x00fb, 0x00f9, 0x00ff, 0x00d6,
        0x00dc, 0x00a2, 0x00a3, 0x00a5, 0x20a7, 0x0192, 0x00e1, 0x00ed, 0x00f3, 0x00fa, 0x00f1, 0x00d1, 0x00aa,
        0x00ba, 0x00bf, 0x2310, 0x00ac, 0x00bd, 0x00bc, 0x00a1, 0x00ab, 0x00bb, 0x2591, 0x2592, 0x2593, 0x2502,
        0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255d, 0x255c, 0x255b, 0x2510, 0x2514,
        0x2534, 0x252c, 0x251c, 0x2500, 0x253c, 0x255e, 0x255f, 0x255a, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
        0x256c, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256b, 0x256a, 0x2518, 0x250c,
        0x2588, 0x2584, 0x258c, 0x2590, 0x2580, 0x03b1, 0x00df, 0x0393, 0x03c0, 0x03a3, 0x03c3, 0x00b5, 0x03c4,
        0x03a6, 0x0398, 0x03a9, 0x03b4, 0x221e, 0x03c6, 0x03b5, 0x2229, 0x2261, 0x00b1, 0x2265, 0x2264, 0x2320,
        0x2321, 0x00f7, 0x2248, 0x00b0, 0x2219, 0x00b7, 0x221a, 0x207f, 0x00b2, 0x25a0, 0x00a0,
    };
    std::string out;
    for (unsigned char c : raw) {
        const unsigned cp = c < 0x80 ? c : upper[c - 0x80];
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xc0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3f)));
        } else {
            out.push_back(char(0xe0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3f)));
            out.push_back(char(0x80 | (cp & 0x3f)));
        }
    }
    return out;
}

// Reads the members of a small, single-part archive through its central directory.
inline std::vector<ArchiveMember> readArchiveMembers(const std::filesystem::path& path) {
    const Bytes zip = readBytes(path);
    std::size_t eocd = std::string::npos;
    if (zip.size() >= 22) {
        for (std::size_t i = zip.size() - 22 + 1; i-- > 0;) {
            if (le32(zip, i) == 0x06054b50) {
                eocd = i;
                break;
            }
        }
    }
    if (eocd == std::string::npos) throw std::runtime_error("no end record in " + path.string());
    const unsigned count = le16(zip, eocd + 10);
    std::size_t at = le32(zip, eocd + 16);
    std::vector<ArchiveMember> members;
    for (unsigned k = 0; k < count; ++k) {
        if (le32(zip, at) != 0x02014b50) throw std::runtime_error("bad central header");
        ArchiveMember m;
        m.flags = std::uint16_t(le16(zip, at + 8));
        m.method = std::uint16_t(le16(zip, at + 10));
        m.modTime = std::uint16_t(le16(zip, at + 12));
        m.crc = le32(zip, at + 16);
        m.compressedSize = le32(zip, at + 20);
        m.uncompressedSize = le32(zip, at + 24);
        const unsigned nameLen = le16(zip, at + 28);
        const unsigned extraLen = le16(zip, at + 30);
        const unsigned commentLen = le16(zip, at + 32);
        const std::size_t local = le32(zip, at + 42);
        m.name.assign(zip.begin() + std::ptrdiff_t(at + 46), zip.begin() + std::ptrdiff_t(at + 46 + nameLen));
        if (!(m.flags & 0x0800)) m.name = cp437ToUtf8(m.name);
        if (le32(zip, local) != 0x04034b50) throw std::runtime_error("bad local header");
        const std::size_t dataAt = local + 30 + le16(zip, local + 26) + le16(zip, local + 28);
        if (dataAt + m.compressedSize > zip.size()) throw std::runtime_error("member past the end");
        m.data.assign(zip.begin() + std::ptrdiff_t(dataAt), zip.begin() + std::ptrdiff_t(dataAt + m.compressedSize));
        members.push_back(std::move(m));
        at += 46 + nameLen + extraLen + commentLen;
    }
    return members;
}

struct ManifestRow {
    std::string archive, member;
    unsigned method = 0;
    std::uint16_t flags = 0;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::string sha256;
    std::string password;  // "-" for none
};

inline std::vector<ManifestRow> readLegacyManifest() {
    std::ifstream in(testData("legacy/MANIFEST.tsv"));
    std::vector<ManifestRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, '\t')) f.push_back(field);
        if (f.size() < 8) throw std::runtime_error("short manifest row: " + line);
        ManifestRow r;
        r.archive = f[0];
        r.member = f[1];
        r.method = unsigned(std::stoul(f[2]));
        r.flags = std::uint16_t(std::stoul(f[3], nullptr, 16));
        r.size = std::stoull(f[4]);
        r.crc = std::uint32_t(std::stoul(f[5], nullptr, 16));
        r.sha256 = f[6];
        r.password = f[7];
        rows.push_back(r);
    }
    return rows;
}

// ---- SHA-256 (test-only; to compare decoded contents with the manifest) ----------------
inline std::string sha256Hex(const Bytes& data) {
    static constexpr std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    Bytes msg = data;
    const std::uint64_t bitLen = std::uint64_t(data.size()) * 8;
    msg.push_back(0x80);
    while (msg.size() % 64 != 56) msg.push_back(0);
    for (int i = 7; i >= 0; --i) msg.push_back(std::uint8_t(bitLen >> (i * 8)));
    auto rotr = [](std::uint32_t x, unsigned n) { return (x >> n) | (x << (32 - n)); };
    for (std::size_t block = 0; block < msg.size(); block += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t(msg[block + 4 * i]) << 24 | std::uint32_t(msg[block + 4 * i + 1]) << 16 |
                   std::uint32_t(msg[block + 4 * i + 2]) << 8 | msg[block + 4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e, h[5] += f, h[6] += g, h[7] += hh;
    }
    std::string hex;
    static const char digits[] = "0123456789abcdef";
    for (std::uint32_t v : h)
        for (int i = 28; i >= 0; i -= 4) hex.push_back(digits[(v >> i) & 0xf]);
    return hex;
}

}  // namespace zb::test
