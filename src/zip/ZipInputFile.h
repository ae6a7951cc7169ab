// A source file being zipped. It is opened without blocking and only when it is a
// regular file, so a file swapped for a FIFO after the walk cannot hang the run, and
// it is read up to the size it had when it was opened: a member always describes the
// bytes actually read, and a file that grows meanwhile cannot outgrow the header
// decisions made from its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace zb::zip {

// A read of the source failed part-way (an I/O error); the member is given up.
class TSourceReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TZipInputFile {
public:
    enum class OpenResult { Opened, Missing, NotRegular, Failed };

    // nullptr with `result` set when the file cannot be opened as a regular file.
    static std::unique_ptr<TZipInputFile> open(const std::filesystem::path& path, OpenResult& result);
    ~TZipInputFile();
    TZipInputFile(const TZipInputFile&) = delete;
    TZipInputFile& operator=(const TZipInputFile&) = delete;

    // Size when opened: the most that will be read.
    std::uint64_t size() const { return size_; }
    std::uint32_t dosTime() const { return dosTime_; }
    std::uint32_t attributes() const { return attributes_; }

    // Up to `size` bytes; 0 at the end (or at the size it had when opened). Throws
    // TSourceReadError on an I/O error.
    std::size_t read(void* buffer, std::size_t size);
    // Back to the start, for a second pass.
    void rewind();
    std::uint64_t bytesRead() const { return read_; }

private:
    TZipInputFile() = default;
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t read_ = 0;
    std::uint32_t dosTime_ = 0;
    std::uint32_t attributes_ = 0;
};

}  // namespace zb::zip
