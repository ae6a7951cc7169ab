// Helpers shared by the writer's tests: running a piece of a test in a child process
// (as the unprivileged user, since the tests run as root where permissions never
// refuse, or under a file-size limit), and calling peer tools.
#pragma once

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

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
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(91);
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

inline std::string shellQuote(std::string_view text) {
    std::string q = "'";
    for (char c : text) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

inline std::string shellQuote(const std::filesystem::path& p) { return shellQuote(std::string_view(p.native())); }
inline std::string shellQuote(const std::string& s) { return shellQuote(std::string_view(s)); }
inline std::string shellQuote(const char* s) { return shellQuote(std::string_view(s)); }

}  // namespace zb::test

namespace zb::test {

// Peers that check our archives. Each returns the command's result; status 0 = good.
inline CommandResult unzipTest(const std::filesystem::path& zip, const std::string& password = {}) {
    return runCommand("unzip -t " + (password.empty() ? std::string() : "-P " + shellQuote(password) + " ") +
                      shellQuote(zip));
}
inline CommandResult sevenZipTest(const std::filesystem::path& zip, const std::string& password = {}) {
    return runCommand("7z t -bd -p" + shellQuote(password) + " " + shellQuote(zip));
}
inline CommandResult bsdtarList(const std::filesystem::path& zip) {
    return runCommand("bsdtar -tf " + shellQuote(zip));
}
// The system's Python when there is one (a version manager's shim starts slowly).
inline std::string pythonExe() { return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

// Python's zipfile: testzip() must find no bad member; prints the names, one a line.
inline CommandResult pythonTest(const std::filesystem::path& zip, const std::string& password = {}) {
    const std::string script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "if len(sys.argv) > 2: z.setpassword(sys.argv[2].encode())\n"
        "bad = z.testzip()\n"
        "if bad is not None: print('BAD', bad); sys.exit(1)\n"
        "for n in z.namelist(): print(n)\n";
    return runCommand(pythonExe() + " -c " + shellQuote(script) + " " + shellQuote(zip) +
                      (password.empty() ? std::string() : " " + shellQuote(password)));
}

}  // namespace zb::test

#include "zip/io/TFileStream.h"
#include "zip/records/TEndCentral.h"
#include "zip/writer/CopiedMember.h"

namespace zb::test {

// What an archive's directory holds, read straight from its records.
struct ArchiveListing {
    std::vector<zb::zip::WriterMember> members;  // directory order
    std::string comment;
    bool zip64End = false;
};

inline ArchiveListing listArchive(const std::filesystem::path& zip) {
    using namespace zb::zip;
    ArchiveListing listing;
    TFileStream stream(zip, TFileMode::OpenRead);
    TEndCentral end;
    if (!end.find(stream)) throw std::runtime_error("no end record");
    listing.zip64End = end.zip64;
    std::string dir(std::size_t(end.centralSize), '\0');
    stream.seek(std::int64_t(end.centralOffset), soFromBeginning);
    stream.readBuffer(dir.data(), dir.size());
    std::size_t pos = 0;
    for (std::uint64_t i = 0; i < end.totalEntries; ++i) {
        std::size_t size = 0;
        auto m = parseCentralHeader(dir.substr(pos), &size);
        if (!m) throw std::runtime_error("bad central header");
        listing.members.push_back(*m);
        pos += size;
    }
    listing.comment.resize(end.commentLength);
    stream.seek(std::int64_t(end.commentPosition), soFromBeginning);
    stream.readBuffer(listing.comment.data(), listing.comment.size());
    return listing;
}

inline std::vector<std::string> memberNames(const std::filesystem::path& zip) {
    std::vector<std::string> names;
    for (const auto& m : listArchive(zip).members) names.push_back(m.name);
    return names;
}

}  // namespace zb::test
