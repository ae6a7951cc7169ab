// The stream helpers shared by every stream kind.
#include "zip/io/TStream.h"

#include <algorithm>
#include <string>
#include <vector>

#include "zip/ZipErrors.h"

namespace zb::zip {

std::int64_t TStream::size() {
    std::int64_t pos = position();
    std::int64_t end = seek(0, soFromEnd);
    seek(pos, soFromBeginning);
    return end;
}

void TStream::readBuffer(void* buffer, std::size_t size) {
    if (read(buffer, size) != size) throw EStreamError("Stream read error");
}

void TStream::writeBuffer(const void* buffer, std::size_t size) {
    if (write(buffer, size) != size) throw EStreamError("Stream write error");
}

void TStream::copyFrom(TStream& source, std::uint64_t count) {
    std::vector<std::uint8_t> buf(std::size_t(std::min<std::uint64_t>(count, 65536)));
    while (count > 0) {
        std::size_t n = std::size_t(std::min<std::uint64_t>(count, buf.size()));
        source.readBuffer(buf.data(), n);
        writeBuffer(buf.data(), n);
        count -= n;
    }
}

void throwInvalidSeekOrigin(int origin) { throw EZipError("Invalid seek origin (" + std::to_string(origin) + ")"); }

}  // namespace zb::zip
