// Inflate speed, ours against zlib's, on the benchmark corpus. Each file is compressed
// here with zlib (raw deflate, level 6); both decoders then decode every group in
// alternating rounds in one run, so machine load hits both alike, and the best round
// of each counts. Both write the whole member into one buffer of its size: zlib in one
// call straight into it, ours through the output side the extractor uses.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "BenchCorpus.h"
#include "zip/Inflate.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

struct Member {
    std::string group;
    Bytes plain;
    Bytes packed;
};

Bytes deflateRaw(const Bytes& data, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, uLong(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib deflate failed");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

class ArrayInput : public zb::zip::DecodeInput {
public:
    explicit ArrayInput(const Bytes& b) : b_(b) {}
    std::size_t read(std::uint8_t* buf, std::size_t n) override {
        n = std::min(n, b_.size() - pos_);
        if (n > 0) std::memcpy(buf, b_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const Bytes& b_;
    std::size_t pos_ = 0;
};

class ArrayOutput : public zb::zip::DecodeOutput {
public:
    explicit ArrayOutput(Bytes& b) : b_(b) {}
    void write(const std::uint8_t* data, std::size_t n) override {
        if (n > b_.size() - pos_) throw std::runtime_error("longer than stated");
        std::memcpy(b_.data() + pos_, data, n);
        pos_ += n;
    }
    std::size_t size() const { return pos_; }

private:
    Bytes& b_;
    std::size_t pos_ = 0;
};

bool oursDecode(const Member& m, Bytes& out) {
    ArrayInput in(m.packed);
    ArrayOutput o(out);
    zb::zip::DecodeParams p;
    p.method = 8;
    p.compressedSize = m.packed.size();
    p.uncompressedSize = m.plain.size();
    return zb::zip::inflate(in, o, p) && o.size() == m.plain.size();
}

bool zlibDecode(const Member& m, Bytes& out) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(m.packed.data());
    z.avail_in = uInt(m.packed.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    const bool ok = rc == Z_STREAM_END && z.total_out == m.plain.size();
    inflateEnd(&z);
    return ok;
}

template <typename Fn>
double timeGroup(const std::vector<const Member*>& members, Fn decode, std::vector<Bytes>& outs) {
    const auto t0 = Clock::now();
    for (std::size_t i = 0; i < members.size(); ++i)
        if (!decode(*members[i], outs[i])) throw std::runtime_error("decode failed");
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main() {
    try {
        int rounds = 7;
        if (const char* r = std::getenv("ZB_BENCH_ROUNDS")) rounds = std::max(1, std::atoi(r));

        std::vector<Member> members;
        for (auto& f : zb::bench::loadCorpus()) {
            Member m{f.group, std::move(f.data), {}};
            m.packed = deflateRaw(m.plain, 6);
            members.push_back(std::move(m));
        }
        std::map<std::string, std::vector<const Member*>> groups;
        for (const auto& m : members) groups[m.group].push_back(&m);

        std::printf("%-11s %6s %10s %10s %10s %10s\n", "group", "files", "MB", "ours MB/s", "zlib MB/s",
                    "ours/zlib");
        double allBytes = 0, allOurs = 0, allZlib = 0;
        for (const auto& [name, list] : groups) {
            std::vector<Bytes> outs;
            double bytes = 0;
            for (const Member* m : list) {
                outs.emplace_back(m->plain.size());
                bytes += double(m->plain.size());
            }
            // One checked pass of each first (also warms caches and page mappings).
            timeGroup(list, oursDecode, outs);
            for (std::size_t i = 0; i < list.size(); ++i)
                if (outs[i] != list[i]->plain) throw std::runtime_error("our output differs: " + name);
            timeGroup(list, zlibDecode, outs);
            double bestOurs = 1e30, bestZlib = 1e30;
            for (int r = 0; r < rounds; ++r) {
                bestOurs = std::min(bestOurs, timeGroup(list, oursDecode, outs));
                bestZlib = std::min(bestZlib, timeGroup(list, zlibDecode, outs));
            }
            const double mb = bytes / 1e6;
            std::printf("%-11s %6zu %10.1f %10.1f %10.1f %10.2f\n", name.c_str(), list.size(), mb, mb / bestOurs,
                        mb / bestZlib, bestZlib / bestOurs);
            allBytes += bytes;
            allOurs += bestOurs;
            allZlib += bestZlib;
        }
        const double mb = allBytes / 1e6;
        std::printf("%-11s %6zu %10.1f %10.1f %10.1f %10.2f\n", "all", members.size(), mb, mb / allOurs,
                    mb / allZlib, allZlib / allOurs);
        std::printf("zlib %s; best of %d interleaved rounds; data compressed by zlib level 6\n", zlibVersion(),
                    rounds);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "inflate_bench: %s\n", e.what());
        return 1;
    }
}
