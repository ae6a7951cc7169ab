// Packing speed and archive size of `zipbackup-cli zip` against Info-ZIP's zip on the
// two shared benchmark trees (a mixed corpus of about 106 MB and 20,000 small files),
// at levels 1 and 6 (and, beside them, the times of 7-Zip writing ZIP and of tar through
// pigz at the same levels). Both tools store the same relative paths and no folder entries or
// extra fields (checked: both archives list the same names), and they run interleaved,
// round after round, so that the noise of a shared machine hits both alike; the
// medians and their ratios are reported.
//
// Data: $ZB_BENCH_DIR/corpus and $ZB_BENCH_DIR/smallfiles (default ZB_BENCH_DIR
// /tmp/zb-bench-data), built on first use with the generators in $ZB_BENCH_SCRIPTS
// (default /work/shared/bench). Rounds: $ZB_BENCH_ROUNDS (default 3). Ours packs with
// one thread per core unless $ZB_BENCH_THREADS names a count (1: the single-thread
// path, for a before/after comparison).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchProcess.h"

namespace fs = std::filesystem;
using zb::bench::median;
using zb::bench::timedRun;
using zb::bench::Timing;

namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

bool ensureTree(const fs::path& dir, const fs::path& script) {
    if (fs::exists(dir) && !fs::is_empty(dir)) return true;
    std::printf("building %s with %s\n", dir.c_str(), script.c_str());
    std::fflush(stdout);
    const std::string cmd = "bash '" + script.string() + "' '" + dir.string() + "' >/dev/null";
    return std::system(cmd.c_str()) == 0;
}

// The sorted member names of an archive, as Info-ZIP's unzip lists them.
std::string sortedNames(const fs::path& zip) {
    std::string names;
    const std::string cmd = "unzip -Z1 '" + zip.string() + "' | LC_ALL=C sort";
    if (std::FILE* pipe = popen(cmd.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) names.append(buf, n);
        pclose(pipe);
    }
    return names;
}

}  // namespace

int main(int, char** argv) {
    const std::string cli = zb::bench::cliBeside(argv[0], "zip_bench");
    if (cli.empty()) return 1;
    const fs::path data = envOr("ZB_BENCH_DIR", "/tmp/zb-bench-data");
    const fs::path scripts = envOr("ZB_BENCH_SCRIPTS", "/work/shared/bench");
    const int rounds = std::max(1, std::atoi(envOr("ZB_BENCH_ROUNDS", "3").c_str()));
    const std::string threads = envOr("ZB_BENCH_THREADS", "");
    fs::create_directories(data);
    const fs::path out = data / "out";
    fs::create_directories(out);

    struct Tree {
        std::string name;
        std::string script;
    };
    const std::vector<Tree> trees{{"corpus", "make-corpus.sh"}, {"smallfiles", "make-smallfiles.sh"}};
    std::printf("%-11s %5s %10s %10s %7s %7s %12s %12s %8s\n", "tree", "level", "ours s", "info-zip s", "time x",
                "cpu x", "ours bytes", "info-zip B", "size x");
    bool allOk = true;
    for (const Tree& tree : trees) {
        const fs::path dir = data / tree.name;
        if (!ensureTree(dir, scripts / tree.script)) {
            std::fprintf(stderr, "zip_bench: could not build %s\n", dir.c_str());
            return 1;
        }
        for (int level : {1, 6}) {
            const std::string lv = "-" + std::to_string(level);
            const fs::path ourZip = out / ("ours-" + tree.name + lv + ".zip");
            const fs::path peerZip = out / ("infozip-" + tree.name + lv + ".zip");
            std::vector<Timing> ours, peer;
            // Peers a user might pick instead, timed in the same rounds: 7-Zip writing
            // ZIP with all threads (its level 5 is its normal one, beside our 6), and
            // tar through pigz.
            const std::string sevenLevel = level == 1 ? "-mx=1" : "-mx=5";
            const fs::path sevenZip = out / ("7zip-" + tree.name + lv + ".zip");
            const fs::path tarGz = out / ("pigz-" + tree.name + lv + ".tar.gz");
            struct Extra {
                std::string name, tool;
                std::vector<std::string> args;
                std::vector<Timing> runs;
            };
            std::vector<Extra> extras{
                {"7-Zip -tzip", "7z", {"7z", "a", "-tzip", sevenLevel, "-mmt=on", "-bd", sevenZip.string(), "."}, {}},
                {"tar + pigz", "pigz", {"sh", "-c", "tar -cf - . | pigz " + lv + " > '" + tarGz.string() + "'"}, {}}};
            std::erase_if(extras, [](const Extra& e) {
                return std::system(("command -v " + e.tool + " >/dev/null").c_str()) != 0;
            });
            for (int r = 0; r < rounds; ++r) {
                fs::remove(sevenZip);
                for (Extra& e : extras) e.runs.push_back(timedRun(e.args, dir));
                fs::remove(ourZip);
                fs::remove(peerZip);
                // Alternate which tool goes first, so neither always meets a warm cache.
                auto runOurs = [&] {
                    std::vector<std::string> args{cli, "zip", "-q", "-r", "-D", "--root", dir.string(), lv};
                    if (!threads.empty()) args.insert(args.end(), {"--threads", threads});
                    args.insert(args.end(), {ourZip.string(), "."});
                    ours.push_back(timedRun(args, dir));
                };
                auto runPeer = [&] {
                    peer.push_back(timedRun({"zip", "-q", "-r", "-D", "-X", lv, peerZip.string(), "."}, dir));
                };
                if (r % 2 == 0) {
                    runOurs();
                    runPeer();
                } else {
                    runPeer();
                    runOurs();
                }
            }
            auto succeeded = [](const Timing& t) { return t.wall >= 0; };
            const bool ok = std::all_of(ours.begin(), ours.end(), succeeded) &&
                            std::all_of(peer.begin(), peer.end(), succeeded);
            if (!ok) {
                std::fprintf(stderr, "zip_bench: a run failed for %s level %d\n", tree.name.c_str(), level);
                allOk = false;
                continue;
            }
            // Only archives of the same members under the same names compare.
            const std::string ourNames = sortedNames(ourZip);
            if (ourNames.empty() || ourNames != sortedNames(peerZip)) {
                std::fprintf(stderr, "zip_bench: the archives of %s level %d hold different names\n",
                             tree.name.c_str(), level);
                allOk = false;
                continue;
            }
            auto wall = [](const std::vector<Timing>& v) {
                std::vector<double> s;
                for (const Timing& t : v) s.push_back(t.wall);
                return median(s);
            };
            auto cpu = [](const std::vector<Timing>& v) {
                std::vector<double> s;
                for (const Timing& t : v) s.push_back(t.cpu);
                return median(s);
            };
            const double to = wall(ours), tp = wall(peer);
            const auto so = fs::file_size(ourZip), sp = fs::file_size(peerZip);
            std::printf("%-11s %5d %10.3f %10.3f %7.3f %7.3f %12ju %12ju %8.4f\n", tree.name.c_str(), level, to, tp,
                        to / tp, cpu(ours) / cpu(peer), std::uintmax_t(so), std::uintmax_t(sp),
                        double(so) / double(sp));
            std::printf("RESULT|backup %s level %d|Info-ZIP zip|%.3f|%.3f|%s\n", tree.name.c_str(), level,
                        cpu(ours) / cpu(peer), to / tp, tree.name == "corpus" ? "<= 0.45 wall" : "<= 0.50 wall");
            for (const Extra& e : extras) {
                if (e.runs.empty() || !std::all_of(e.runs.begin(), e.runs.end(), succeeded)) continue;
                std::printf("RESULT|backup %s level %d|%s|%.3f|%.3f|%s\n", tree.name.c_str(), level, e.name.c_str(),
                            cpu(ours) / cpu(e.runs), to / wall(e.runs), e.name == "7-Zip -tzip" ? "<= 1.00 wall" : "");
            }
            std::fflush(stdout);
        }
    }
    std::printf("time x = wall time ours / Info-ZIP, cpu x = user+system time ours / Info-ZIP (medians of %d\n"
                "interleaved rounds); size x = ours / Info-ZIP\n",
                rounds);
    return allOk ? 0 : 1;
}
