// Reading a split archive as one run of bytes: positions count from the start of a
// chosen base part, and reading (or seeking) past the end of a part goes on at the
// start of the next one. Offsets in a set's records are relative to the part that
// holds the record, and a member's data may run on over any number of parts, so the
// reader sets the base to the member's part and then reads as in a single file.
// Parts are asked for only when they are reached.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zip/io/TLFNFileStream.h"
#include "zip/io/TStream.h"

namespace zb::zip {

class SplitSetStream : public TStream {
public:
    // Gives the path of an existing file for the part with the 0-based number, or
    // raises (EUserCanceled when the user gave up).
    using PartPath = std::function<std::string(std::uint32_t disk)>;

    explicit SplitSetStream(PartPath partPath);

    // Position 0 becomes the start of part `disk`.
    void setBasePart(std::uint32_t disk);
    std::uint32_t currentPart() const { return current_; }
    // Closes the open part (the next read opens it again).
    void closePart();

    std::size_t read(void* buffer, std::size_t size) override;
    std::size_t write(const void* buffer, std::size_t size) override;
    // From the beginning: from the start of the base part. From the end: from the end
    // of the open part.
    std::int64_t seek(std::int64_t offset, int origin) override;
    // The bytes from the base part's start to the end of the open part.
    std::int64_t size() override;
    void truncate() override;

private:
    // Opens part `disk` when it is not the open one; records its size.
    void openPart(std::uint32_t disk);
    std::uint64_t partSize(std::uint32_t disk);
    // Start of part `disk` counted from the base part's start (disk >= base).
    std::uint64_t startOf(std::uint32_t disk);

    PartPath partPath_;
    std::unique_ptr<TLFNFileStream> part_;
    std::uint32_t base_ = 0;
    std::uint32_t current_ = 0;
    std::uint64_t offset_ = 0;  // within the current part
    // Sizes of the parts opened so far, by disk number. A map, not a table indexed by
    // the number: disk numbers come from the archive and may be anything.
    std::map<std::uint32_t, std::int64_t> sizes_;
};

}  // namespace zb::zip
