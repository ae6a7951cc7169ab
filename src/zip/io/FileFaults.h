// A seam in the engine's file stream through which tests make disks fail: a read that
// stops after a number of bytes (a medium that cannot be read further), a write that
// stops after a number of bytes (a disk that is full). The file stream asks the
// installed plan before each read and write; a short answer is exactly what a failing
// system call gives the stream, so everything above it is tested as it runs for real.
// No plan is installed in the program, and the check then costs one load.
#pragma once

#include <cstddef>
#include <filesystem>

namespace zb::zip {

class FileFaults {
public:
    virtual ~FileFaults() = default;
    // How many of the `size` bytes a read of (or a write to) `path` may move; fewer
    // than `size` makes that call come back short, as when the device fails there.
    virtual std::size_t allowRead(const std::filesystem::path& path, std::size_t size) = 0;
    virtual std::size_t allowWrite(const std::filesystem::path& path, std::size_t size) = 0;
};

// Installs `plan` for every file stream of the process (nullptr removes it). Tests
// install one around the code they drive; nothing else may be running streams then.
void setFileFaults(FileFaults* plan);
FileFaults* fileFaults();

}  // namespace zb::zip
