// A buffered file stream that owns its file: what the engine uses for archives and for
// extracted files (8192-byte buffer). With flush-on-close, a file that was opened for
// writing and written to is put on the disk before it is closed, so a restore or a
// backup survives a power cut right after it reports success.
#pragma once

#include <filesystem>

#include "zip/io/TFileStream.h"
#include "zip/io/TS_BufferStream.h"

namespace zb::zip {

class TLFNFileStream : public TS_BufferStream {
public:
    TLFNFileStream(const std::filesystem::path& path, TFileMode mode, std::size_t bufferSize = kZipBufferSize,
                   bool flushOnClose = false);
    ~TLFNFileStream() override;

    // Writes out the buffer (raising EStreamError when that fails) and honours
    // flush-on-close; later calls do nothing. The descriptor itself is released with
    // the object.
    void close();

    const std::filesystem::path& fileName() const { return file_->path(); }
    TFileStream& file() { return *file_; }

private:
    TFileStream* file_;
    bool flushOnClose_;
    bool closed_ = false;
};

}  // namespace zb::zip
