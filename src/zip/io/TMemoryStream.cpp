// The memory stream: reads and writes at a position in a vector that grows up to its cap.
#include "zip/io/TMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "zip/ZipErrors.h"

namespace zb::zip {

std::size_t TMemoryStream::read(void* buffer, std::size_t size) {
    if (pos_ >= data_.size()) return 0;
    std::size_t n = std::min(size, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t TMemoryStream::write(const void* buffer, std::size_t size) {
    if (pos_ >= limit_) return 0;
    std::size_t n = std::min(size, limit_ - pos_);
    if (pos_ + n > data_.size()) data_.resize(pos_ + n);
    if (n) std::memcpy(data_.data() + pos_, buffer, n);
    pos_ += n;
    return n;
}

std::int64_t TMemoryStream::seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    switch (origin) {
        case soFromBeginning: base = 0; break;
        case soFromCurrent: base = std::int64_t(pos_); break;
        case soFromEnd: base = std::int64_t(data_.size()); break;
        default: throwInvalidSeekOrigin(origin);
    }
    std::int64_t target = base + offset;
    if (target < 0) throw EStreamError("Stream seek error");
    pos_ = std::size_t(target);
    return target;
}

}  // namespace zb::zip
