// Refused writes under test. The tests run as root in CI, where permission checks never
// fail, so a write that must be refused is tried in a child process that has dropped to
// the unprivileged user "nobody" (uid and gid 65534). Without root the child simply
// keeps the caller's own (already unprivileged) identity.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace zb::test {

inline constexpr uid_t kNobody = 65534;

// Exit statuses the child body returns.
inline constexpr int kChildOk = 0;
inline constexpr int kChildCouldNotDrop = 120;
inline constexpr int kChildThrewUnexpected = 121;

// Runs `body` in a child without privileges and returns its exit status (the body's
// return value), or -1 when the child did not exit normally.
inline int runUnprivileged(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(kChildCouldNotDrop);
        }
        int status = kChildThrewUnexpected;
        try {
            status = body();
        } catch (...) {
        }
        std::fflush(nullptr);
        _exit(status);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Hands a file or folder to "nobody" (as root), so that its mode bits are what decides.
inline void giveToNobody(const std::filesystem::path& p) {
    if (geteuid() == 0) {
        [[maybe_unused]] int rc = chown(p.c_str(), kNobody, kNobody);
    }
}

}  // namespace zb::test
