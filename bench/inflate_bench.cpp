// Inflate speed, ours against zlib's, libdeflate's and ISA-L's (one call each, when
// built with them), on the benchmark corpus. Each file is compressed
// here with zlib (raw deflate, level 6); the decoders then decode every group in
// alternating rounds in one run, so machine load hits all alike, and the best round of
// each counts. Every decoder leaves the member in one buffer of its size. zlib runs two
// ways: in one call straight from the whole input into that buffer (its best case),
// and streamed through the same input and output sides ours uses in the extractor
// (64 KiB reads, 256 KiB writes), which is like for like. Ours reads the compressed
// member in place, as zlib's one-call case does, and decodes straight into the buffer,
// which the output side lends it, as the one-call decoders do. ZB_BENCH_COPYING_INPUT=1
// makes ours read through copying reads instead, ZB_BENCH_COPYING_OUTPUT=1 decode
// through a window of its own that the output side copies from. ZB_BENCH_PEERS=a,b and
// ZB_BENCH_GROUPS=a,b limit the run to those peers (ours always runs) and corpus groups.
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <cstdio>
#include <cstring>

#include "BenchCorpus.h"
#include "zip/codec/inflate/Inflate.h"
#ifdef ZB_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef ZB_BENCH_ISAL
#include <isa-l/igzip_lib.h>
#endif

namespace {

// CPU time of the process: the machine is shared, and wall time would count the time
// other programs hold the processor.
double cpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
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
    // The member is in memory, as zlib's one-call case has it: lend it in place.
    const std::uint8_t* takeAll(std::size_t& size) override {
        size = b_.size() - pos_;
        const std::uint8_t* data = b_.data() + pos_;
        pos_ = b_.size();
        return data;
    }

private:
    const Bytes& b_;
    std::size_t pos_ = 0;
};

bool envFlag(const char* name) {
    const char* env = std::getenv(name);
    return env && *env == '1';
}

// Whether the comma-separated list in `variable` is unset or names `name`.
bool selected(const char* variable, const std::string& name) {
    const char* env = std::getenv(variable);
    return !env || !*env || ("," + std::string(env) + ",").find("," + name + ",") != std::string::npos;
}

// The buffer has the member's size plus the margin a lent buffer needs; the bytes past
// the member's size are left out of every comparison.
class ArrayOutput : public zb::zip::DecodeOutput {
public:
    ArrayOutput(Bytes& b, std::size_t size) : b_(b), size_(size) {}
    void write(const std::uint8_t* data, std::size_t n) override {
        if (n > size_ - pos_) throw std::runtime_error("longer than stated");
        if (data != b_.data() + pos_) std::memcpy(b_.data() + pos_, data, n);
        pos_ += n;
    }
    std::uint8_t* lendAll(std::size_t size) override {
        static const bool copying = envFlag("ZB_BENCH_COPYING_OUTPUT");
        return !copying && size == size_ && pos_ == 0 ? b_.data() : nullptr;
    }
    std::size_t size() const { return pos_; }

private:
    Bytes& b_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// An input that only copies: the extractor's situation when the archive is a file.
class CopyingInput : public ArrayInput {
public:
    using ArrayInput::ArrayInput;
    const std::uint8_t* takeAll(std::size_t& size) override { return DecodeInput::takeAll(size); }
};

bool oursDecode(const Member& m, Bytes& out) {
    static const bool copying = envFlag("ZB_BENCH_COPYING_INPUT");
    CopyingInput copyIn(m.packed);
    ArrayInput inPlace(m.packed);
    zb::zip::DecodeInput& in = copying ? static_cast<zb::zip::DecodeInput&>(copyIn) : inPlace;
    ArrayOutput o(out, m.plain.size());
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
    z.avail_out = uInt(m.plain.size());
    const int rc = inflate(&z, Z_FINISH);
    const bool ok = rc == Z_STREAM_END && z.total_out == m.plain.size();
    inflateEnd(&z);
    return ok;
}

bool zlibStreamDecode(const Member& m, Bytes& out) {
    constexpr std::size_t kIn = 64 * 1024, kOut = 256 * 1024;
    auto inBuf = std::make_unique_for_overwrite<std::uint8_t[]>(kIn);
    auto outBuf = std::make_unique_for_overwrite<std::uint8_t[]>(kOut);
    ArrayInput in(m.packed);
    ArrayOutput o(out, m.plain.size());
    z_stream z{};
    inflateInit2(&z, -15);
    bool ok = false;
    for (;;) {
        if (z.avail_in == 0) {
            z.next_in = inBuf.get();
            z.avail_in = uInt(in.read(inBuf.get(), kIn));
        }
        z.next_out = outBuf.get();
        z.avail_out = uInt(kOut);
        const int rc = inflate(&z, Z_NO_FLUSH);
        o.write(outBuf.get(), kOut - z.avail_out);
        if (rc == Z_STREAM_END) {
            ok = o.size() == m.plain.size();
            break;
        }
        if (rc != Z_OK) break;
    }
    inflateEnd(&z);
    return ok;
}

#ifdef ZB_BENCH_LIBDEFLATE
bool libdeflateDecode(const Member& m, Bytes& out) {
    static libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::size_t got = 0;
    return libdeflate_deflate_decompress(d, m.packed.data(), m.packed.size(), out.data(), m.plain.size(), &got) ==
               LIBDEFLATE_SUCCESS &&
           got == m.plain.size();
}
#endif

#ifdef ZB_BENCH_ISAL
bool isalDecode(const Member& m, Bytes& out) {
    inflate_state state;
    isal_inflate_init(&state);
    state.next_in = const_cast<std::uint8_t*>(m.packed.data());
    state.avail_in = std::uint32_t(m.packed.size());
    state.next_out = out.data();
    state.avail_out = std::uint32_t(m.plain.size());
    return isal_inflate_stateless(&state) == ISAL_DECOMP_OK && state.total_out == m.plain.size();
}
#endif

using DecodeFn = bool (*)(const Member&, Bytes&);

template <typename Fn>
double timeGroup(const std::vector<const Member*>& members, Fn decode, std::vector<Bytes>& outs) {
    const double t0 = cpuSeconds();
    for (std::size_t i = 0; i < members.size(); ++i)
        if (!decode(*members[i], outs[i])) throw std::runtime_error("decode failed");
    return cpuSeconds() - t0;
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
        for (const auto& m : members)
            if (selected("ZB_BENCH_GROUPS", m.group)) groups[m.group].push_back(&m);

        // Ours first; its figures are divided by each peer's.
        std::vector<std::pair<std::string, DecodeFn>> decoders{
            {"ours", oursDecode}, {"zlib 1-call", zlibDecode}, {"zlib stream", zlibStreamDecode}};
#ifdef ZB_BENCH_LIBDEFLATE
        decoders.push_back({"libdeflate", libdeflateDecode});
#endif
#ifdef ZB_BENCH_ISAL
        decoders.push_back({"isa-l", isalDecode});
#endif
        std::erase_if(decoders, [](const auto& d) { return d.first != "ours" && !selected("ZB_BENCH_PEERS", d.first); });
        std::printf("%-11s %6s %8s", "group", "files", "MB");
        for (const auto& d : decoders) std::printf(" %12s", (d.first + " MB/s").c_str());
        for (std::size_t k = 1; k < decoders.size(); ++k) std::printf(" %12s", ("/" + decoders[k].first).c_str());
        std::printf("\n");
        double allBytes = 0;
        std::vector<double> allBest(decoders.size(), 0);
        std::vector<std::string> results;
        auto row = [&](const std::string& name, std::size_t files, double bytes, const std::vector<double>& best) {
            const double mb = bytes / 1e6;
            std::printf("%-11s %6zu %8.1f", name.c_str(), files, mb);
            for (double t : best) std::printf(" %12.1f", mb / t);
            for (std::size_t k = 1; k < best.size(); ++k) std::printf(" %12.2f", best[0] / best[k]);
            std::printf("\n");
            for (std::size_t k = 1; k < best.size(); ++k) {
                if (decoders[k].first == "zlib stream") continue;
                const std::string peer = decoders[k].first == "zlib 1-call" ? "zlib" : decoders[k].first;
                char line[200];
                std::snprintf(line, sizeof line, "RESULT|inflate %s (time)|%s|%.3f||%s\n", name.c_str(), peer.c_str(),
                              best[0] / best[k], peer == "libdeflate" ? "<= 1.00 cpu" : "");
                results.push_back(line);
            }
        };
        for (const auto& [name, list] : groups) {
            std::vector<Bytes> outs;
            double bytes = 0;
            for (const Member* m : list) {
                outs.emplace_back(m->plain.size() + zb::zip::kLendMargin);
                bytes += double(m->plain.size());
            }
            // One checked pass of each first (also warms caches and page mappings).
            for (const auto& d : decoders) {
                for (auto& o : outs) std::fill(o.begin(), o.end(), 0);
                timeGroup(list, d.second, outs);
                for (std::size_t i = 0; i < list.size(); ++i)
                    if (!std::equal(list[i]->plain.begin(), list[i]->plain.end(), outs[i].begin()))
                        throw std::runtime_error(d.first + " decoded otherwise: " + name);
            }
            std::vector<double> best(decoders.size(), 1e30);
            for (int r = 0; r < rounds; ++r)
                for (std::size_t k = 0; k < decoders.size(); ++k)
                    best[k] = std::min(best[k], timeGroup(list, decoders[k].second, outs));
            row(name, list.size(), bytes, best);
            allBytes += bytes;
            for (std::size_t k = 0; k < best.size(); ++k) allBest[k] += best[k];
        }
        std::size_t allFiles = 0;
        for (const auto& g : groups) allFiles += g.second.size();
        row("all", allFiles, allBytes, allBest);
        std::printf("zlib %s; MB/s of CPU time, best of %d interleaved rounds; data compressed by zlib level 6;\n"
                    "/peer = ours MB/s over the peer's\n",
                    zlibVersion(), rounds);
        for (const std::string& line : results) std::fputs(line.c_str(), stdout);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "inflate_bench: %s\n", e.what());
        return 1;
    }
}
