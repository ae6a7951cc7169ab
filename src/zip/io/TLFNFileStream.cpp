// The owning buffered file stream.
#include "zip/io/TLFNFileStream.h"

namespace zb::zip {

TLFNFileStream::TLFNFileStream(const std::filesystem::path& path, TFileMode mode, std::size_t bufferSize,
                               bool flushOnClose)
    : TS_BufferStream(new TFileStream(path, mode), bufferSize, true),
      file_(static_cast<TFileStream*>(inner())),
      flushOnClose_(flushOnClose) {}

TLFNFileStream::~TLFNFileStream() {
    if (!closed_) {
        flushQuietly();
        if (flushOnClose_ && file_->writable() && anythingWritten()) file_->flushToDisk();
    }
}

void TLFNFileStream::close() {
    if (closed_) return;
    closed_ = true;
    flush();
    if (flushOnClose_ && file_->writable() && anythingWritten()) file_->flushToDisk();
}

}  // namespace zb::zip
