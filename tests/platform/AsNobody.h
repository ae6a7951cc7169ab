// Runs a piece of a test as the unprivileged user "nobody" in a child process, so that
// permission checks really refuse even when the tests run as root.
#pragma once

#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zb::test {

constexpr uid_t kNobody = 65534;

// The child's exit code of `body` (0..255); 200 when dropping privileges failed,
// 201 when the body threw.
inline int runAsNobody(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(200);
        int code = 201;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Gives a folder (and what is in it) to "nobody".
inline void giveToNobody(const std::filesystem::path& p) {
    if (::chown(p.c_str(), kNobody, kNobody) != 0) {}
    if (std::filesystem::is_directory(p))
        for (auto& e : std::filesystem::recursive_directory_iterator(p))
            if (::lchown(e.path().c_str(), kNobody, kNobody) != 0) {}
}

}  // namespace zb::test
