// Extraction speed of `zipbackup-cli unzip` against Info-ZIP's unzip on one archive of
// the benchmark corpus (made once with Info-ZIP zip -6). The two run interleaved,
// round after round, alternating which goes first; each extracts into a fresh folder,
// and the previous round's output is moved aside rather than deleted right before a
// run (mass deletion slows the next file creations); the moved folders are removed at
// the end. Medians of wall time and of the child's CPU time, and their ratios, are
// printed. Rounds: $ZB_BENCH_ROUNDS (default 5). Data: $ZB_BENCH_DIR as for the other
// benchmarks.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "BenchProcess.h"

namespace fs = std::filesystem;
using zb::bench::median;
using zb::bench::timedRun;
using zb::bench::Timing;

int main(int, char** argv) {
    const std::string cli = zb::bench::cliBeside(argv[0], "unzip_bench");
    if (cli.empty()) return 1;
    const char* roundsEnv = std::getenv("ZB_BENCH_ROUNDS");
    const int rounds = std::max(1, roundsEnv ? std::atoi(roundsEnv) : 5);
    zb::bench::ensureCorpus();
    const fs::path corpus = zb::bench::corpusDir();
    const fs::path work = corpus.parent_path() / (corpus.filename().string() + "-unzip-bench");
    fs::create_directories(work);
    const fs::path archive = work / "corpus.zip";
    if (!fs::exists(archive)) {
        std::printf("making %s with Info-ZIP zip -6\n", archive.c_str());
        std::fflush(stdout);
        const std::string cmd = "cd '" + corpus.string() + "' && zip -q -r -6 '" + archive.string() + "' .";
        if (std::system(cmd.c_str()) != 0) {
            std::fprintf(stderr, "unzip_bench: zip failed\n");
            return 1;
        }
    }
    const fs::path trash = work / "old";
    fs::create_directories(trash);
    int moved = 0;
    auto freshFolder = [&](const std::string& name) {
        const fs::path p = work / name;
        if (fs::exists(p)) fs::rename(p, trash / (name + "-" + std::to_string(moved++)));
        return p;
    };

    std::vector<double> oursWall, peerWall, oursCpu, peerCpu;
    for (int r = 0; r < rounds; ++r) {
        auto runOurs = [&] {
            const fs::path out = freshFolder("ours");
            Timing t = timedRun({cli, "unzip", "-q", "-o", archive.string(), "-d", out.string()});
            oursWall.push_back(t.wall);
            oursCpu.push_back(t.cpu);
        };
        auto runPeer = [&] {
            const fs::path out = freshFolder("infozip");
            Timing t = timedRun({"unzip", "-q", "-o", archive.string(), "-d", out.string()});
            peerWall.push_back(t.wall);
            peerCpu.push_back(t.cpu);
        };
        if (r % 2 == 0) {
            runOurs();
            runPeer();
        } else {
            runPeer();
            runOurs();
        }
    }
    const bool ok = std::all_of(oursWall.begin(), oursWall.end(), [](double t) { return t >= 0; }) &&
                    std::all_of(peerWall.begin(), peerWall.end(), [](double t) { return t >= 0; });
    // The two outputs must be the same files with the same bytes.
    const bool same = ok && std::system(("diff -r -q '" + (work / "ours").string() + "' '" +
                                         (work / "infozip").string() + "' > /dev/null")
                                            .c_str()) == 0;
    fs::remove_all(trash);
    if (!ok) {
        std::fprintf(stderr, "unzip_bench: a run failed\n");
        return 1;
    }
    std::printf("extracting %s (%.1f MB), %d interleaved rounds, medians\n", archive.c_str(),
                double(fs::file_size(archive)) / 1e6, rounds);
    std::printf("  %-16s wall %7.3f s   cpu %7.3f s\n", "zipbackup-cli", median(oursWall), median(oursCpu));
    std::printf("  %-16s wall %7.3f s   cpu %7.3f s\n", "Info-ZIP unzip", median(peerWall), median(peerCpu));
    std::printf("ratio ours/Info-ZIP: wall %.3f   cpu %.3f   outputs identical: %s\n",
                median(oursWall) / median(peerWall), median(oursCpu) / median(peerCpu), same ? "yes" : "NO");
    std::printf("RESULT|extract corpus|Info-ZIP unzip|%.3f|%.3f|<= 0.50 wall\n", median(oursCpu) / median(peerCpu),
                median(oursWall) / median(peerWall));
    return same ? 0 : 1;
}
