// A file opened by path as a stream (POSIX descriptor, unbuffered). Only regular files
// are opened: a FIFO or a device named as an archive or as an extraction target would
// block or misbehave, so it is refused like a missing file.
#pragma once

#include <filesystem>
#include <string>

#include "zip/io/TStream.h"

namespace zb::zip {

enum class TFileMode {
    OpenRead,       // existing file, reading
    OpenWrite,      // existing file, writing
    OpenReadWrite,  // existing file, both
    Create,         // created or truncated, reading and writing
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (open modes) or EFCreateError (Create) with the path and the
    // system's reason.
    TFileStream(const std::filesystem::path& path, TFileMode mode);
    ~TFileStream() override;

    std::size_t read(void* buffer, std::size_t size) override;
    std::size_t write(const void* buffer, std::size_t size) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    void truncate() override;

    // Asks the system to put the file's data on the disk.
    void flushToDisk();
    bool writable() const { return mode_ != TFileMode::OpenRead; }
    const std::filesystem::path& path() const { return path_; }
    int handle() const { return fd_; }

private:
    std::filesystem::path path_;
    TFileMode mode_;
    int fd_ = -1;
};

}  // namespace zb::zip
