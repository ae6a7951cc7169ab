// The output side every decoder writes a member's bytes to: a 32 KiB buffer that is
// flushed when full and at the end. Before each flush the stated uncompressed size is
// checked ("File is larger than uncompressed size!", before any excess byte is
// written); then the block goes to the target (a file stream, or the caller's
// handler), the running CRC-32 is updated and the progress events fire.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "zip/codec/DecoderIo.h"
#include "zip/io/TStream.h"

namespace zb::zip {

class MemberOutput : public DecodeOutput {
public:
    // Where a flushed block goes: the target stream, or a function (memory extraction).
    using Sink = std::function<void(const std::uint8_t* data, std::size_t size)>;
    // Called after each flush with the bytes written so far of this member.
    using Progress = std::function<void(std::uint64_t memberWritten, std::size_t flushed)>;

    MemberOutput(std::uint64_t uncompressedSize, Sink sink, Progress progress);

    void write(const std::uint8_t* data, std::size_t size) override;
    // Writes out what is buffered (the end of the member).
    void finish();

    std::uint32_t crcRegister() const { return crc_; }
    std::uint32_t crc() const { return ~crc_; }
    std::uint64_t written() const { return written_; }

private:
    void flushBlock(const std::uint8_t* data, std::size_t size);

    std::uint64_t limit_;
    Sink sink_;
    Progress progress_;
    // Taken without zero-filling when first needed (see MemberInput).
    std::unique_ptr<std::uint8_t[]> buf_;
    std::size_t len_ = 0;
    std::uint64_t written_ = 0;
    std::uint32_t crc_;
};

// A sink that writes to a stream; a short write raises "Cant write uncompressed file".
MemberOutput::Sink streamSink(TStream& target);

}  // namespace zb::zip
