// The file an archive is written into. Members go out sequentially through a large
// buffer; a local header is rewritten in place once its CRC and sizes are known; a
// member can be cut off again when it has to be written anew. Every failure of the
// medium (a full disk, a file-size limit, an I/O error) raises ENotEnoughRoom, so a
// write error can never pass for success and the run can delete what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace zb::zip {

class ZipOutputFile {
public:
    // Creates `path` (replacing any file of that name, or failing with
    // ENotEnoughRoom when it cannot be created).
    ZipOutputFile(const std::filesystem::path& path, bool flushOnClose);
    ~ZipOutputFile();
    ZipOutputFile(const ZipOutputFile&) = delete;
    ZipOutputFile& operator=(const ZipOutputFile&) = delete;

    void write(const void* data, std::size_t size);
    // Overwrites bytes that were already written (a local header).
    void rewrite(std::uint64_t offset, const void* data, std::size_t size);
    // Cuts the file back to `offset`, which becomes the write position.
    void truncate(std::uint64_t offset);
    std::uint64_t position() const { return position_; }

    // Writes out the buffer, puts the data on the disk when asked to, and closes.
    void close();
    // Closes without writing anything more (after a failure).
    void abandon();

    const std::filesystem::path& path() const { return path_; }
    int handle() const { return fd_; }

private:
    void flushBuffer();

    std::filesystem::path path_;
    int fd_ = -1;
    bool flushOnClose_;
    std::vector<std::uint8_t> buffer_;
    std::size_t buffered_ = 0;
    std::uint64_t position_ = 0;  // logical end: file bytes plus buffered bytes
};

}  // namespace zb::zip
