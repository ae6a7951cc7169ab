// A source file being zipped. It is opened without blocking and only when it is a
// regular file, so a file swapped for a FIFO after the walk cannot hang the run, and
// it is read to its end, whatever size the system reported: files under /proc say 0
// and still hold text. A member always describes the bytes actually read; whether the
// file changed while it was read (its size or modification time moved) is asked
// afterwards, so that the run can say so. When links are kept, a link is never
// followed: its text (read with readlink) is what the member holds, and its own mode
// and time describe it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

struct stat;

namespace zb::zip {

// A read of the source failed part-way (an I/O error); the member is given up.
class SourceReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZipInputFile {
public:
    enum class OpenResult { Opened, Missing, NotRegular, Failed };

    // nullptr with `result` set when the file cannot be opened as a regular file.
    // With `keepLinks`, a link (to anything, or to nothing) is taken as itself.
    static std::unique_ptr<ZipInputFile> open(const std::filesystem::path& path, OpenResult& result,
                                              bool keepLinks = false);
    ~ZipInputFile();
    ZipInputFile(const ZipInputFile&) = delete;
    ZipInputFile& operator=(const ZipInputFile&) = delete;

    // Size when opened (what the system reported; the file may hold more or less).
    std::uint64_t size() const { return size_; }
    std::uint32_t dosTime() const { return dosTime_; }
    std::uint32_t attributes() const { return attributes_; }
    std::uint32_t mode() const { return mode_; }             // st_mode when opened
    std::int64_t modTimeUtc() const { return modTimeUtc_; }  // seconds, when opened
    // Whether the file's size or modification time differs from when it was opened.
    bool changedSinceOpened() const;

    // Up to `size` bytes; 0 at the end of the file. Throws SourceReadError on an I/O
    // error.
    std::size_t read(void* buffer, std::size_t size);
    // Back to the start, for a second pass.
    void rewind();
    std::uint64_t bytesRead() const { return read_; }
    bool isLink() const { return isLink_; }

private:
    ZipInputFile() = default;
    static std::unique_ptr<ZipInputFile> openLink(const std::filesystem::path& path, OpenResult& result);
    void describe(const struct stat& st);
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t read_ = 0;
    std::uint32_t dosTime_ = 0;
    std::uint32_t attributes_ = 0;
    std::uint32_t mode_ = 0;
    std::int64_t modTimeUtc_ = 0;
    std::int64_t modTimeNanos_ = 0;
    bool isLink_ = false;
    std::string linkText_;
};

}  // namespace zb::zip
