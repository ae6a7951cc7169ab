// CRC-32 speed, ours against zlib's, libdeflate's and ISA-L's, on the benchmark corpus.
// All files are held in memory and fed in blocks of 32 KiB as the extractor does; the
// implementations run in alternating rounds so that machine load hits them alike, and
// the best round of each counts (process CPU time and wall time). Every path of ours
// this processor runs is shown; "ours" is the one the engine picks. The values must
// agree. The RESULT lines are what scripts/bench.sh gathers.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

#include "BenchCorpus.h"
#include "zip/checksum/Crc32.h"
#ifdef ZB_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef ZB_BENCH_ISAL
#include <isa-l/crc.h>
#endif

namespace {

double clockSeconds(clockid_t id) {
    timespec ts;
    clock_gettime(id, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A finished-value CRC function: (crc of what came before, block) -> crc so far.
using FinishedFn = std::uint32_t (*)(std::uint32_t, const std::uint8_t*, std::size_t);

struct Impl {
    std::string name;
    zb::zip::Crc32UpdateFn ours = nullptr;  // register form, or
    FinishedFn peer = nullptr;              // finished-value form
};

std::uint32_t crcOfFile(const Impl& impl, const std::vector<std::uint8_t>& data) {
    std::uint32_t reg = 0xFFFFFFFF;
    for (std::size_t at = 0; at < data.size(); at += 32768) {
        const std::size_t n = std::min<std::size_t>(32768, data.size() - at);
        reg = impl.ours ? impl.ours(reg, data.data() + at, n) : ~impl.peer(~reg, data.data() + at, n);
    }
    return ~reg;
}

struct Best {
    double cpu = 1e9, wall = 1e9;
    std::uint64_t mix = 0;
};

}  // namespace

int main() {
    const auto files = zb::bench::loadCorpus();
    std::uint64_t bytes = 0;
    for (const auto& f : files) bytes += f.data.size();

    std::vector<Impl> impls;
    impls.push_back({"ours", &zb::zip::crc32Update, nullptr});
    for (const auto& path : zb::zip::crc32Paths()) impls.push_back({std::string("ours-") + path.name, path.update, nullptr});
    impls.push_back({"zlib", nullptr, [](std::uint32_t c, const std::uint8_t* p, std::size_t n) {
                         return std::uint32_t(crc32(c, p, uInt(n)));
                     }});
#ifdef ZB_BENCH_LIBDEFLATE
    impls.push_back({"libdeflate", nullptr,
                     [](std::uint32_t c, const std::uint8_t* p, std::size_t n) { return libdeflate_crc32(c, p, n); }});
#endif
#ifdef ZB_BENCH_ISAL
    impls.push_back({"isa-l", nullptr, [](std::uint32_t c, const std::uint8_t* p, std::size_t n) {
                         return crc32_gzip_refl(c, p, n);
                     }});
#endif
    std::map<std::string, Best> best;
    const int rounds = 9;
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < impls.size(); ++k) {
            const Impl& impl = impls[(k + std::size_t(r)) % impls.size()];
            const double c0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID), w0 = clockSeconds(CLOCK_MONOTONIC);
            std::uint64_t mix = 0;
            for (const auto& f : files) mix = mix * 31 + crcOfFile(impl, f.data);
            Best& b = best[impl.name];
            b.cpu = std::min(b.cpu, clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - c0);
            b.wall = std::min(b.wall, clockSeconds(CLOCK_MONOTONIC) - w0);
            b.mix = mix;
        }
    }
    for (const Impl& impl : impls) {
        if (best[impl.name].mix != best["zlib"].mix) {
            std::fprintf(stderr, "crc_bench: %s's CRC values differ from zlib's\n", impl.name.c_str());
            return 1;
        }
    }
    std::printf("CRC-32 over %zu files, %.1f MB in 32 KiB blocks, best of %d rounds; ours is %s\n", files.size(),
                double(bytes) / 1e6, rounds, zb::zip::crc32ActivePath());
    for (const Impl& impl : impls) {
        const Best& b = best[impl.name];
        std::printf("  %-18s %8.4f s CPU  %7.2f GB/s\n", impl.name.c_str(), b.cpu, double(bytes) / b.cpu / 1e9);
    }
    const Best& ours = best["ours"];
    for (const char* peer : {"zlib", "libdeflate", "isa-l"}) {
        if (!best.count(peer)) continue;
        std::printf("RESULT|CRC-32 (time)|%s|%.3f|%.3f|%s\n", peer, ours.cpu / best[peer].cpu,
                    ours.wall / best[peer].wall, std::string(peer) == "libdeflate" ? "<= 1.00 cpu" : "");
    }
    return 0;
}
