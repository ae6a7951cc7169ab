// Helpers for the compressor's tests (see DeflateTestSupport.h).
#include "zip/codec/deflate/DeflateTestSupport.h"

#include "zip/codec/inflate/Inflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zb::zip::test {

std::size_t MemorySource::read(std::uint8_t* buffer, std::size_t size) {
    if (ended_) {
        readAfterEnd = true;
    }
    requests.push_back(size);
    std::size_t n = std::min(size, data_.size() - at_);
    if (maxChunk_ != 0) {
        n = std::min(n, maxChunk_);
    }
    std::copy_n(data_.data() + at_, n, buffer);
    at_ += n;
    ended_ = n == 0;
    return n;
}

void MemorySink::write(const std::uint8_t* data, std::size_t size) {
    ++calls;
    emptyWrite |= size == 0;
    bytes.insert(bytes.end(), data, data + size);
}

Compressed compressBytes(const Bytes& data, int level, Deflater* deflater) {
    Deflater own;
    Deflater& d = deflater != nullptr ? *deflater : own;
    MemorySource source(data);
    MemorySink sink;
    Compressed c;
    c.result = d.compress(source, sink, level);
    c.bytes = std::move(sink.bytes);
    return c;
}

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(rng() >> 24);
    }
    return out;
}

Bytes textBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> words;
    const std::string letters = "etaoinshrdlcumwfgypbvkjxqz";
    for (int i = 0; i < 400; ++i) {
        std::string w;
        const int len = 2 + static_cast<int>(rng() % 8);
        for (int k = 0; k < len; ++k) {
            w += letters[std::min<std::size_t>(rng() % 12 + rng() % 15, letters.size() - 1)];
        }
        words.push_back(w);
    }
    Bytes out;
    out.reserve(size + 16);
    int column = 0;
    while (out.size() < size) {
        // Zipf-like choice: low indices much more often.
        const std::size_t index = (rng() % 400) * (rng() % 400) / 400;
        const std::string& w = words[index];
        out.insert(out.end(), w.begin(), w.end());
        column += static_cast<int>(w.size()) + 1;
        const unsigned r = rng() % 20;
        if (r == 0) {
            out.push_back('.');
        } else if (r == 1) {
            out.push_back(',');
        }
        if (column > 70) {
            out.push_back('\n');
            column = 0;
        } else {
            out.push_back(' ');
        }
    }
    out.resize(size);
    return out;
}

Bytes binaryBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 64);
    std::uint32_t address = 0x401000;
    while (out.size() < size) {
        switch (rng() % 5) {
            case 0:  // a table of addresses
                for (int i = 0, n = 4 + static_cast<int>(rng() % 40); i < n; ++i) {
                    address += 4 + (rng() % 4) * 4;
                    for (int k = 0; k < 4; ++k) {
                        out.push_back(static_cast<std::uint8_t>(address >> (8 * k)));
                    }
                }
                break;
            case 1:  // padding
                out.insert(out.end(), rng() % 64, std::uint8_t{0});
                break;
            case 2: {  // a symbol name
                const std::string names[] = {"_ZNSt6vector", "memcpy",  "operator new", "__cxa_throw",
                                             ".text",        ".rodata", "_init",        "main"};
                const std::string& n = names[rng() % 8];
                out.insert(out.end(), n.begin(), n.end());
                out.push_back(0);
                break;
            }
            case 3:  // instruction-like bytes from a small set
                for (int i = 0, n = 8 + static_cast<int>(rng() % 64); i < n; ++i) {
                    const std::uint8_t ops[] = {0x48, 0x89, 0x8b, 0xe8, 0xc3, 0x55, 0x5d, 0x0f,
                                                0x85, 0x84, 0xff, 0x83, 0xc4, 0x24, 0x10, 0x31};
                    out.push_back(ops[rng() % 16]);
                }
                break;
            default:
                for (int i = 0, n = static_cast<int>(rng() % 24); i < n; ++i) {
                    out.push_back(static_cast<std::uint8_t>(rng()));
                }
        }
    }
    out.resize(size);
    return out;
}

Bytes repetitiveBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    const char* levels[] = {"INFO ", "INFO ", "INFO ", "DEBUG", "WARN "};
    const char* paths[] = {"/api/v1/items", "/api/v1/users", "/health", "/static/app.js"};
    Bytes out;
    out.reserve(size + 128);
    unsigned t = 0;
    while (out.size() < size) {
        if (rng() % 10 == 0) {
            ++t;
        }
        char line[160];
        const int n = std::snprintf(line, sizeof line, "2024-01-01 %02u:%02u:%02u %s [worker-%u] GET %s status=%d\n",
                                    (t / 3600) % 24, (t / 60) % 60, t % 60, levels[rng() % 5],
                                    static_cast<unsigned>(1 + rng() % 4), paths[rng() % 4], rng() % 50 ? 200 : 404);
        out.insert(out.end(), line, line + n);
    }
    out.resize(size);
    return out;
}

Bytes filledBytes(std::size_t size, std::uint8_t value) { return Bytes(size, value); }

Bytes literalHeavyBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out = randomBytes(4096, seed + 1);
    out.reserve(size + 1024);
    while (out.size() < size) {
        for (int i = 0; i < 48; ++i) {
            out.push_back(static_cast<std::uint8_t>(rng()));
        }
        const std::size_t back = 1000 + rng() % 2000;
        const std::size_t from = out.size() - back;
        for (std::size_t i = 0; i < 600; ++i) {
            out.push_back(out[from + i]);
        }
    }
    out.resize(size);
    return out;
}

Bytes zlibInflate(const Bytes& stream) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        throw std::runtime_error("inflateInit2 failed");
    }
    Bytes out;
    std::array<std::uint8_t, 65536> chunk{};
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int rc;
    do {
        z.next_out = chunk.data();
        z.avail_out = static_cast<uInt>(chunk.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), chunk.data(), z.next_out);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            throw std::runtime_error(std::string("zlib inflate: ") + (z.msg ? z.msg : "error"));
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) {
            inflateEnd(&z);
            throw std::runtime_error("zlib inflate: stream ends early");
        }
    } while (rc != Z_STREAM_END);
    const bool trailing = z.avail_in != 0;
    inflateEnd(&z);
    if (trailing) {
        throw std::runtime_error("zlib inflate: bytes after the end of the stream");
    }
    return out;
}

Bytes engineInflate(const Bytes& stream) {
    struct In : DecodeInput {
        const Bytes& data;
        std::size_t at = 0;
        explicit In(const Bytes& d) : data(d) {}
        std::size_t read(std::uint8_t* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, data.size() - at);
            std::copy_n(data.data() + at, n, buffer);
            at += n;
            return n;
        }
    } in(stream);
    struct Out : DecodeOutput {
        Bytes bytes;
        void write(const std::uint8_t* data, std::size_t size) override {
            bytes.insert(bytes.end(), data, data + size);
        }
    } out;
    DecodeParams params;
    params.method = 8;
    params.compressedSize = stream.size();
    if (!inflate(in, out, params)) {
        throw std::runtime_error("engine inflate: malformed or incomplete stream");
    }
    return std::move(out.bytes);
}

namespace {

class BitReader {
public:
    explicit BitReader(const Bytes& data) : data_(data) {}
    unsigned bit() {
        if (pos_ >= data_.size() * 8) {
            throw std::runtime_error("decode: out of input");
        }
        const unsigned b = (data_[pos_ >> 3] >> (pos_ & 7)) & 1u;
        ++pos_;
        return b;
    }
    unsigned bits(unsigned n) {
        unsigned v = 0;
        for (unsigned i = 0; i < n; ++i) {
            v |= bit() << i;
        }
        return v;
    }
    void align() { pos_ = (pos_ + 7) & ~std::uint64_t{7}; }
    std::uint64_t position() const { return pos_; }

private:
    const Bytes& data_;
    std::uint64_t pos_ = 0;
};

// Canonical code decoding, one bit at a time: slow and plain.
class Code {
public:
    Code(const unsigned* lengths, unsigned n) {
        for (unsigned s = 0; s < n; ++s) {
            ++count_[lengths[s]];
        }
        count_[0] = 0;
        std::array<unsigned, 17> offset{};
        for (unsigned len = 1; len < 16; ++len) {
            offset[len + 1] = offset[len] + count_[len];
        }
        symbols_.resize(n);
        for (unsigned s = 0; s < n; ++s) {
            if (lengths[s] != 0) {
                symbols_[offset[lengths[s]]++] = s;
            }
        }
    }
    unsigned decode(BitReader& in) const {
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned len = 1; len < 16; ++len) {
            code |= static_cast<int>(in.bit());
            const int count = static_cast<int>(count_[len]);
            if (code - first < count) {
                return symbols_[static_cast<std::size_t>(index + code - first)];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        throw std::runtime_error("decode: bad code");
    }

private:
    std::array<unsigned, 16> count_{};
    std::vector<unsigned> symbols_;
};

constexpr unsigned kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr unsigned kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr unsigned kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr unsigned kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                     6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

}  // namespace

Decoded decodeBlocks(const Bytes& stream) {
    BitReader in(stream);
    Decoded result;
    bool last = false;
    while (!last) {
        Block block{};
        last = in.bit() != 0;
        block.last = last;
        block.type = in.bits(2);
        const std::size_t before = result.data.size();
        if (block.type == 0) {
            in.align();
            const unsigned len = in.bits(16);
            const unsigned nlen = in.bits(16);
            if ((len ^ 0xFFFFu) != nlen) {
                throw std::runtime_error("decode: stored length check");
            }
            for (unsigned i = 0; i < len; ++i) {
                result.data.push_back(static_cast<std::uint8_t>(in.bits(8)));
            }
        } else if (block.type == 1 || block.type == 2) {
            std::array<unsigned, 320> lengths{};
            unsigned nlit = 288;
            unsigned ndist = 30;
            if (block.type == 1) {
                for (unsigned s = 0; s < 288; ++s) {
                    lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
                }
                for (unsigned s = 0; s < 30; ++s) {
                    lengths[288 + s] = 5;
                }
            } else {
                nlit = in.bits(5) + 257;
                ndist = in.bits(5) + 1;
                const unsigned ncl = in.bits(4) + 4;
                static constexpr unsigned order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                       11, 4,  12, 3, 13, 2, 14, 1, 15};
                std::array<unsigned, 19> cl{};
                for (unsigned i = 0; i < ncl; ++i) {
                    cl[order[i]] = in.bits(3);
                }
                const Code clCode(cl.data(), 19);
                std::array<unsigned, 320> seq{};
                unsigned n = 0;
                while (n < nlit + ndist) {
                    const unsigned sym = clCode.decode(in);
                    if (sym < 16) {
                        seq[n++] = sym;
                    } else {
                        unsigned rep;
                        unsigned value = 0;
                        if (sym == 16) {
                            if (n == 0) {
                                throw std::runtime_error("decode: repeat without length");
                            }
                            value = seq[n - 1];
                            rep = 3 + in.bits(2);
                        } else if (sym == 17) {
                            rep = 3 + in.bits(3);
                        } else {
                            rep = 11 + in.bits(7);
                        }
                        if (n + rep > nlit + ndist) {
                            throw std::runtime_error("decode: too many lengths");
                        }
                        for (unsigned k = 0; k < rep; ++k) {
                            seq[n++] = value;
                        }
                    }
                }
                std::copy_n(seq.begin(), nlit, lengths.begin());
                std::copy_n(seq.begin() + nlit, ndist, lengths.begin() + 288);
            }
            const Code lit(lengths.data(), nlit);
            const Code dist(lengths.data() + 288, ndist);
            for (;;) {
                const unsigned sym = lit.decode(in);
                if (sym < 256) {
                    result.data.push_back(static_cast<std::uint8_t>(sym));
                    block.tokens.push_back({0, sym});
                    continue;
                }
                if (sym == 256) {
                    break;
                }
                if (sym > 285) {
                    throw std::runtime_error("decode: bad length symbol");
                }
                const unsigned len = kLenBase[sym - 257] + in.bits(kLenExtra[sym - 257]);
                const unsigned dsym = dist.decode(in);
                if (dsym >= 30) {
                    throw std::runtime_error("decode: bad distance symbol");
                }
                const unsigned d = kDistBase[dsym] + in.bits(kDistExtra[dsym]);
                if (d > result.data.size()) {
                    throw std::runtime_error("decode: distance too far");
                }
                for (unsigned k = 0; k < len; ++k) {
                    result.data.push_back(result.data[result.data.size() - d]);
                }
                block.tokens.push_back({d, len});
            }
        } else {
            throw std::runtime_error("decode: block type 3");
        }
        block.inputBytes = result.data.size() - before;
        block.endBit = in.position();
        result.blocks.push_back(std::move(block));
    }
    result.usedBytes = (in.position() + 7) / 8;
    return result;
}

std::string describe(const DeflateResult& r) {
    std::ostringstream s;
    s << "method " << r.method << ", size " << r.compressedSize << ", attributes " << r.internalAttributes << ", flags "
      << r.flagBits;
    return s.str();
}

}  // namespace zb::zip::test
