// Our deflate against zlib's (and the speed of libdeflate's and ISA-L's, when built
// with them) at levels 1, 6 and 9 on the benchmark corpus (text,
// binary, random and repetitive files). Each file is compressed by both in turn
// (alternating who goes first), so drift in machine load hits both alike. Prints, per
// level and per kind of data, the size and CPU-time ratios ours/zlib.
//
//   bench_deflate_bench [rounds [kind [levels]]]
//     rounds  repetitions (default 1); kind: only files of that kind (text, binary,
//     random, repetitive); levels: e.g. "9" or "1,6" (default 1,6,9).
//     Corpus: $ZB_BENCH_DIR or /tmp/zb-bench-corpus, made with make-corpus.sh if missing.
#include "zip/codec/deflate/Deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>
#ifdef ZB_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif
#ifdef ZB_BENCH_ISAL
#include <isa-l/igzip_lib.h>
#endif

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct File {
    std::string kind;
    Bytes data;
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

fs::path corpusDir()
{
    const char* env = std::getenv("ZB_BENCH_DIR");
    const fs::path dir = env != nullptr && *env != '\0' ? fs::path(env) : "/tmp/zb-bench-corpus";
    if (fs::exists(dir) && !fs::is_empty(dir)) {
        return dir;
    }
    const fs::path script = fs::path(__FILE__).parent_path() / "make-corpus.sh";
    std::fprintf(stderr, "generating the corpus in %s\n", dir.c_str());
    const std::string command = "bash '" + script.string() + "' '" + dir.string() + "' >&2";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("make-corpus.sh failed");
    }
    return dir;
}

std::vector<File> loadCorpus(const fs::path& dir)
{
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<File> files;
    for (const fs::path& p : paths) {
        std::ifstream in(p, std::ios::binary);
        File f;
        f.kind = fs::relative(p, dir).begin()->string();
        f.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        files.push_back(std::move(f));
    }
    return files;
}

class MemorySource : public zb::zip::DeflateSource {
public:
    explicit MemorySource(const Bytes& d) : data_(d) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override
    {
        const std::size_t n = std::min(size, data_.size() - at_);
        std::copy_n(data_.data() + at_, n, buffer);
        at_ += n;
        return n;
    }

private:
    const Bytes& data_;
    std::size_t at_ = 0;
};

class CountingSink : public zb::zip::DeflateSink {
public:
    void write(const std::uint8_t* data, std::size_t size) override
    {
        bytes += size;
        last = data[size - 1];  // touch the data as a real writer would
    }
    std::uint64_t bytes = 0;
    std::uint8_t last = 0;
};

std::uint64_t oursCompress(zb::zip::Deflater& d, const Bytes& data, int level)
{
    MemorySource source(data);
    CountingSink sink;
    return d.compress(source, sink, level).compressedSize;
}

// zlib as a zip writer would use it: raw deflate, 32 KiB window, default memory level,
// input in 32 KiB pieces and output through a 16 KiB buffer.
std::uint64_t zlibCompress(const Bytes& data, int level)
{
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2");
    }
    static std::uint8_t out[16384];
    std::uint64_t total = 0;
    std::size_t at = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        const std::size_t n = std::min<std::size_t>(32768, data.size() - at);
        z.next_in = const_cast<Bytef*>(data.data() + at);
        z.avail_in = static_cast<uInt>(n);
        at += n;
        const int flush = at == data.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out;
            z.avail_out = sizeof out;
            rc = deflate(&z, flush);
            total += sizeof out - z.avail_out;
        } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    }
    deflateEnd(&z);
    return total;
}

#ifdef ZB_BENCH_LIBDEFLATE
// libdeflate at the same level, in one call (its only way).
std::uint64_t libdeflateCompress(const Bytes& data, int level)
{
    static std::map<int, libdeflate_compressor*> compressors;
    auto& c = compressors[level];
    if (!c) c = libdeflate_alloc_compressor(level);
    static Bytes out;
    out.resize(libdeflate_deflate_compress_bound(c, data.size()));
    return libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size());
}
#endif

#ifdef ZB_BENCH_ISAL
// ISA-L has levels 0 to 3 only: its 1 stands beside level 1, its 3 beside 6 and 9.
std::uint64_t isalCompress(const Bytes& data, int level)
{
    static Bytes levelBuf(ISAL_DEF_LVL3_DEFAULT);
    static std::uint8_t out[65536];
    isal_zstream z;
    isal_deflate_init(&z);
    z.level = level == 1 ? 1 : 3;
    z.level_buf = levelBuf.data();
    z.level_buf_size = std::uint32_t(levelBuf.size());
    z.next_in = const_cast<std::uint8_t*>(data.data());
    z.avail_in = std::uint32_t(data.size());
    z.end_of_stream = 1;
    std::uint64_t total = 0;
    do {
        z.next_out = out;
        z.avail_out = sizeof out;
        if (isal_deflate(&z) != COMP_OK) throw std::runtime_error("isal_deflate");
        total += sizeof out - z.avail_out;
    } while (z.internal_state.state != ZSTATE_END);
    return total;
}
#endif

using PeerFn = std::uint64_t (*)(const Bytes&, int);

// Peers timed beside the main comparison (their output is theirs; only speed compares).
const std::vector<std::pair<std::string, PeerFn>>& extraPeers()
{
    static const std::vector<std::pair<std::string, PeerFn>> peers{
#ifdef ZB_BENCH_LIBDEFLATE
        {"libdeflate", libdeflateCompress},
#endif
#ifdef ZB_BENCH_ISAL
        {"isa-l", isalCompress},
#endif
    };
    return peers;
}

struct Tally {
    std::uint64_t input = 0, oursBytes = 0, zlibBytes = 0;
    double oursTime = 0, zlibTime = 0;
    std::map<std::string, double> peerTime;
};

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const std::string only = argc > 2 ? argv[2] : "";
    std::vector<int> levels;
    for (const char* p = argc > 3 ? argv[3] : "1,6,9"; *p != '\0'; ++p) {
        if (*p >= '1' && *p <= '9') {
            levels.push_back(*p - '0');
        }
    }
    std::vector<File> files = loadCorpus(corpusDir());
    if (!only.empty()) {
        std::erase_if(files, [&](const File& f) { return f.kind != only; });
    }
    std::uint64_t corpusBytes = 0;
    for (const File& f : files) {
        corpusBytes += f.data.size();
    }
    std::printf("corpus: %zu files, %.1f MiB; %d round(s); CPU time\n", files.size(),
                static_cast<double>(corpusBytes) / 1048576.0, rounds);

    zb::zip::Deflater ours;
    std::map<int, std::map<std::string, Tally>> results;
    std::size_t turn = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int level : levels) {
            for (const File& f : files) {
                Tally& t = results[level][f.kind];
                auto runOurs = [&] {
                    const double t0 = cpuSeconds();
                    const std::uint64_t n = oursCompress(ours, f.data, level);
                    t.oursTime += cpuSeconds() - t0;
                    return n;
                };
                auto runZlib = [&] {
                    const double t0 = cpuSeconds();
                    const std::uint64_t n = zlibCompress(f.data, level);
                    t.zlibTime += cpuSeconds() - t0;
                    return n;
                };
                std::uint64_t a, b;
                if (turn++ % 2 == 0) {
                    a = runOurs();
                    b = runZlib();
                } else {
                    b = runZlib();
                    a = runOurs();
                }
                for (const auto& [name, fn] : extraPeers()) {
                    const double t0 = cpuSeconds();
                    fn(f.data, level);
                    t.peerTime[name] += cpuSeconds() - t0;
                }
                if (round == 0) {
                    t.input += f.data.size();
                    t.oursBytes += a;
                    t.zlibBytes += b;
                }
            }
        }
    }

    std::printf("%-5s %-11s %10s %12s %12s %8s %9s %9s %8s\n", "level", "data", "MiB",
                "ours bytes", "zlib bytes", "size", "ours MB/s", "zlib MB/s", "speed");
    for (auto& [level, kinds] : results) {
        Tally all;
        for (auto& [kind, t] : kinds) {
            all.input += t.input;
            all.oursBytes += t.oursBytes;
            all.zlibBytes += t.zlibBytes;
            all.oursTime += t.oursTime;
            all.zlibTime += t.zlibTime;
            for (const auto& [name, time] : t.peerTime) all.peerTime[name] += time;
        }
        // Level 6 must reach 1.5 times zlib's speed.
        std::printf("RESULT|deflate level %d (time)|zlib|%.3f||%s\n", level, all.oursTime / all.zlibTime,
                    level == 6 ? "<= 0.67 cpu" : "");
        for (const auto& [name, time] : all.peerTime)
            std::printf("RESULT|deflate level %d (time)|%s|%.3f||\n", level, name.c_str(), all.oursTime / time);
        kinds["ALL"] = all;
        for (const auto& [kind, t] : kinds) {
            const double mb = static_cast<double>(t.input) * rounds / 1e6;
            std::printf("%-5d %-11s %10.1f %12llu %12llu %8.4f %9.1f %9.1f %8.3f\n", level,
                        kind.c_str(), static_cast<double>(t.input) / 1048576.0,
                        static_cast<unsigned long long>(t.oursBytes),
                        static_cast<unsigned long long>(t.zlibBytes),
                        static_cast<double>(t.oursBytes) / static_cast<double>(t.zlibBytes),
                        mb / t.oursTime, mb / t.zlibTime, t.zlibTime / t.oursTime);
        }
    }
    std::printf("size = ours/zlib (bar: at most 1.01); speed = zlib time / ours time "
                "(bar: at least 1.0)\n");
    for (auto& [level, kinds] : results)
        for (const auto& [name, time] : kinds["ALL"].peerTime)
            std::printf("level %d: %s %.1f MB/s (ours/%s time %.3f)\n", level, name.c_str(),
                        static_cast<double>(kinds["ALL"].input) * rounds / 1e6 / time, name.c_str(),
                        kinds["ALL"].oursTime / time);
    return 0;
}
