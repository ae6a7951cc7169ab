// Runs a shell command for a test (a peer ZIP tool, or the program itself) and hands
// back its exit status and everything it printed on its standard output.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace zb::test {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The text quoted for the shell.
inline std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

}  // namespace zb::test
