// Timing peer tools and our command line as child processes, for the benchmarks that
// compare whole programs: wall time and the child's CPU time (on a busy shared machine
// the steadier of the two), medians of interleaved rounds, and where zipbackup-cli is.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace zb::bench {

struct Timing {
    double wall = -1;  // seconds; negative when the command failed
    double cpu = 0;    // user + system seconds of the child
};

// Runs argv (in `cwd` when one is given) with its standard output discarded.
inline Timing timedRun(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
        if (std::FILE* devnull = std::fopen("/dev/null", "w")) dup2(fileno(devnull), 1);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto secondsOf = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    Timing t;
    t.wall = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
    t.cpu = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    return t;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// zipbackup-cli beside the benchmark program; empty (after a message) when missing.
inline std::string cliBeside(const char* argv0, const char* benchName) {
    const auto binDir = std::filesystem::canonical(std::filesystem::path(argv0)).parent_path();
    const std::string cli = (binDir / "zipbackup-cli").string();
    if (std::filesystem::exists(cli)) return cli;
    std::fprintf(stderr, "%s: %s not found (build the zipbackup-cli target)\n", benchName, cli.c_str());
    return {};
}

}  // namespace zb::bench
