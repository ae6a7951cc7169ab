// Helpers of the finder's tests: recording what a search reports, setting file times
// in local time, and running a check as an unprivileged user (the tests run as root in
// CI, where permission checks never refuse).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "findfile/FindFile.h"

namespace zb::test {

struct FinderLog {
    std::vector<std::string> folders;  // OnNewFolder, in order
    std::vector<std::string> found;    // OnFound as folder + "/" + name, in order
    std::vector<findfile::TSearchRec> records;
    int completes = 0;
    bool offOwnerThread = false;  // some event ran on another thread

    // Found paths relative to `root`, sorted.
    std::vector<std::string> foundBelow(const std::filesystem::path& root) const {
        std::vector<std::string> out;
        const std::string prefix = root.string() + "/";
        for (const auto& f : found) out.push_back(f.rfind(prefix, 0) == 0 ? f.substr(prefix.size()) : f);
        std::sort(out.begin(), out.end());
        return out;
    }
};

// Records every event of `finder` into `log`.
inline void record(findfile::TFindFile& finder, FinderLog& log) {
    const auto owner = std::this_thread::get_id();
    finder.OnNewFolder = [&log, owner](findfile::TFindFile&, const std::string& folder, bool&) {
        if (std::this_thread::get_id() != owner) log.offOwnerThread = true;
        log.folders.push_back(folder);
    };
    finder.OnFound = [&log, owner](findfile::TFindFile&, const std::string& folder, findfile::TSearchRec& rec) {
        if (std::this_thread::get_id() != owner) log.offOwnerThread = true;
        log.found.push_back(folder == "/" ? "/" + rec.Name : folder + "/" + rec.Name);
        log.records.push_back(rec);
    };
    finder.OnComplete = [&log, owner](findfile::TFindFile&) {
        if (std::this_thread::get_id() != owner) log.offOwnerThread = true;
        ++log.completes;
    };
}

// Seconds since the epoch of a local date and time.
inline std::time_t localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// Sets the last-access and last-write times of `path` (a value < 0 leaves one as is).
inline void setTimes(const std::filesystem::path& path, std::time_t access, std::time_t write) {
    timespec times[2];
    times[0] = access < 0 ? timespec{0, UTIME_OMIT} : timespec{access, 0};
    times[1] = write < 0 ? timespec{0, UTIME_OMIT} : timespec{write, 0};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// Runs `check` in a child process as the user "nobody" (when we are root) and returns
// its result; -1 when the child did not end normally.
inline int runAsNobody(const std::function<int()>& check) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
        }
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace zb::test
