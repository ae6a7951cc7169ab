// A stream over a growable block of memory, with an optional cap that lets tests stand
// in for a full disk.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "zip/io/TStream.h"

namespace zb::zip {

// A stream over a growable block of memory; the engine's tests and the extraction into
// a caller's buffer use it.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
    explicit TMemoryStream(const std::string& data) : data_(data.begin(), data.end()) {}

    std::size_t read(void* buffer, std::size_t size) override;
    std::size_t write(const void* buffer, std::size_t size) override;
    std::int64_t seek(std::int64_t offset, int origin) override;
    std::int64_t size() override { return std::int64_t(data_.size()); }
    void truncate() override { data_.resize(pos_); }

    const std::vector<std::uint8_t>& data() const { return data_; }
    std::string str() const { return std::string(data_.begin(), data_.end()); }
    // A cap on the stream's size, so tests can stand in for a full disk.
    void setLimit(std::size_t limit) { limit_ = limit; }

private:
    std::vector<std::uint8_t> data_;
    std::size_t pos_ = 0;
    std::size_t limit_ = SIZE_MAX;
};

}  // namespace zb::zip
