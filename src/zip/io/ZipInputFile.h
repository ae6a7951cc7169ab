// A source file being zipped. It is opened without blocking and only when it is a
// regular file, so a file swapped for a FIFO after the walk cannot hang the run, and
// it is read to its end, whatever size the system reported: files under /proc say 0
// and still hold text. A member always describes the bytes actually read; whether the
// file changed while it was read (its size or modification time moved) is asked
// afterwards, so that the run can say so. When links are kept, a link is never
// followed: its text (read with readlink) is what the member holds, and its own mode
// and time describe it. A file's stamp (which file, its size, its change times) lets
// the writer tell whether bytes read ahead by a worker are still the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
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

    // Which file, and its state: any write to it moves the change time.
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modSeconds = 0;
        std::int64_t modNanos = 0;
        std::int64_t changeSeconds = 0;
        std::int64_t changeNanos = 0;
        bool operator==(const Stamp&) const = default;
    };

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
    // The stamp when opened, and now (none for a link, or when it cannot be taken).
    const Stamp& openedStamp() const { return stamp_; }
    std::optional<Stamp> currentStamp() const;

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
    Stamp stamp_;
    bool isLink_ = false;
    // A read came back empty: the next read would too, unless the file grows, which
    // the stamp taken at the end reports anyway. Saves a system call per small file.
    bool atEnd_ = false;
    std::string linkText_;
};

}  // namespace zb::zip
