// Opening a file with the desktop's default program. The opener runs detached (its own
// session, reaped at once through a double fork), so the program never waits for it
// and leaves no zombie behind.
#include "platform/ShellOpen.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zb::platform {

namespace {

// The opener's full path from PATH, or empty when there is none.
std::string findOpener() {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        auto colon = dirs.find(':');
        std::string candidate(dirs.substr(0, colon));
        if (candidate.empty()) candidate.push_back('.');  // an empty entry is the current folder
        candidate.append("/xdg-open");
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return {};
        dirs.remove_prefix(colon + 1);
    }
}

}  // namespace

bool shellOpen(std::string_view path) {
    const std::string opener = findOpener();
    if (opener.empty() || path.empty()) return false;
    const std::string target(path);
    char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    pid_t child = ::fork();
    if (child < 0) {
        if (devNull >= 0) ::close(devNull);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
        }
        ::execv(opener.c_str(), argv);
        ::_exit(127);
    }
    if (devNull >= 0) ::close(devNull);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace zb::platform
