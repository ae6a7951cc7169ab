// Helpers shared by the writer's tests: running a piece of a test in a child process
// (as the unprivileged user, since the tests run as root where permissions never
// refuse, or under a file-size limit), and calling peer tools.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace zb::test {

// Runs `body` in a forked child and returns its exit status (-1 when it did not exit
// normally). The child runs as user 65534 when `asNobody` is set, and with the file
// size limit `fileSizeLimit` when it is not 0.
inline int runInChild(const std::function<int()>& body, bool asNobody, std::uint64_t fileSizeLimit = 0) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (fileSizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails with EFBIG instead
            rlimit lim{fileSizeLimit, fileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(90);
        }
        if (asNobody && geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(91);
        }
        int rc = 92;
        try {
            rc = body();
        } catch (...) {
            rc = 93;
        }
        std::fflush(nullptr);
        _exit(rc);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command and collects its standard output and error.
inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string shellQuote(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

inline std::string shellQuote(const std::filesystem::path& p) { return shellQuote(p.string()); }

}  // namespace zb::test
