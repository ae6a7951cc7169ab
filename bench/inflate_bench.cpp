// Inflate speed, ours against zlib's, on the benchmark corpus. Each file is compressed
// here with zlib (raw deflate, level 6); the decoders then decode every group in
// alternating rounds in one run, so machine load hits all alike, and the best round of
// each counts. Every decoder leaves the member in one buffer of its size. zlib runs two
// ways: in one call straight from the whole input into that buffer (its best case),
// and streamed through the same input and output sides ours uses in the extractor
// (64 KiB reads, 256 KiB writes), which is like for like. Ours reads the compressed
// member in place, as zlib's one-call case does, and writes through an output side that
// copies. ZB_BENCH_COPYING_INPUT=1 makes ours read through copying reads instead.
#include <zlib.h>

#include <ctime>
#include <memory>
#include <cstdio>
#include <cstring>

#include "BenchCorpus.h"
#include "zip/codec/inflate/Inflate.h"

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

// An input that only copies: the extractor's situation when the archive is a file.
class CopyingInput : public ArrayInput {
public:
    using ArrayInput::ArrayInput;
    const std::uint8_t* takeAll(std::size_t& size) override { return DecodeInput::takeAll(size); }
};

bool copyingInput() {
    const char* env = std::getenv("ZB_BENCH_COPYING_INPUT");
    return env && *env == '1';
}

bool oursDecode(const Member& m, Bytes& out) {
    static const bool copying = copyingInput();
    CopyingInput copyIn(m.packed);
    ArrayInput inPlace(m.packed);
    zb::zip::DecodeInput& in = copying ? static_cast<zb::zip::DecodeInput&>(copyIn) : inPlace;
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

bool zlibStreamDecode(const Member& m, Bytes& out) {
    constexpr std::size_t kIn = 64 * 1024, kOut = 256 * 1024;
    auto inBuf = std::make_unique_for_overwrite<std::uint8_t[]>(kIn);
    auto outBuf = std::make_unique_for_overwrite<std::uint8_t[]>(kOut);
    ArrayInput in(m.packed);
    ArrayOutput o(out);
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
        for (const auto& m : members) groups[m.group].push_back(&m);

        std::printf("%-11s %6s %8s %10s %12s %12s %10s %10s\n", "group", "files", "MB", "ours MB/s",
                    "zlib 1-call", "zlib stream", "ours/1call", "ours/strm");
        double allBytes = 0, allOurs = 0, allOne = 0, allStream = 0;
        auto row = [](const char* name, std::size_t files, double bytes, double ours, double one, double stream) {
            const double mb = bytes / 1e6;
            std::printf("%-11s %6zu %8.1f %10.1f %12.1f %12.1f %10.2f %10.2f\n", name, files, mb, mb / ours, mb / one,
                        mb / stream, one / ours, stream / ours);
        };
        for (const auto& [name, list] : groups) {
            std::vector<Bytes> outs;
            double bytes = 0;
            for (const Member* m : list) {
                outs.emplace_back(m->plain.size());
                bytes += double(m->plain.size());
            }
            // One checked pass of each first (also warms caches and page mappings).
            for (auto fn : {oursDecode, zlibDecode, zlibStreamDecode}) {
                for (auto& o : outs) std::fill(o.begin(), o.end(), 0);
                timeGroup(list, fn, outs);
                for (std::size_t i = 0; i < list.size(); ++i)
                    if (outs[i] != list[i]->plain) throw std::runtime_error("decoded output differs: " + name);
            }
            double bestOurs = 1e30, bestOne = 1e30, bestStream = 1e30;
            for (int r = 0; r < rounds; ++r) {
                bestOurs = std::min(bestOurs, timeGroup(list, oursDecode, outs));
                bestOne = std::min(bestOne, timeGroup(list, zlibDecode, outs));
                bestStream = std::min(bestStream, timeGroup(list, zlibStreamDecode, outs));
            }
            row(name.c_str(), list.size(), bytes, bestOurs, bestOne, bestStream);
            allBytes += bytes;
            allOurs += bestOurs;
            allOne += bestOne;
            allStream += bestStream;
        }
        row("all", members.size(), allBytes, allOurs, allOne, allStream);
        std::printf("zlib %s; MB/s of CPU time, best of %d interleaved rounds; data compressed by zlib level 6\n",
                    zlibVersion(), rounds);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "inflate_bench: %s\n", e.what());
        return 1;
    }
}
