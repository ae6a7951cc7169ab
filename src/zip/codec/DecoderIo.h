// The two sides every decompressor talks to. The extractor supplies them: the input
// reads the member's compressed bytes from the archive (across parts of a split set,
// decrypted when the member is encrypted, with cancel checks between blocks); the
// output checks the stated size, writes to the target, and keeps the CRC-32 and the
// progress events. Decoders only decode, so each can be tested and fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zb::zip {

class DecodeInput {
public:
    virtual ~DecodeInput() = default;
    // Copies up to `size` compressed bytes into `buffer`; returns how many, 0 once the
    // member's compressed data is used up.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t size) = 0;
    // An input that already holds all of the remaining compressed bytes in memory, and
    // keeps them there unchanged until the decoder returns, may hand them over here
    // instead of copying them through read(): it returns their address and count and
    // counts them as read. Others return nullptr (the default), and read() is used.
    virtual const std::uint8_t* takeAll(std::size_t& size) {
        size = 0;
        return nullptr;
    }
};

// Room past the stated size that a lent output buffer must have (see lendAll).
inline constexpr std::size_t kLendMargin = 320;

class DecodeOutput {
public:
    virtual ~DecodeOutput() = default;
    // Takes decoded bytes. May throw (too long for the stated size, write failure).
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
    // An output that keeps the whole member in memory may lend that memory here, so
    // a decoder can decode straight into it instead of through a buffer of its own: it
    // returns room for `size` (the stated size) plus kLendMargin bytes, which the
    // decoder may overwrite. The decoder still hands every byte on through write(), in
    // order; bytes decoded in place arrive at the address where the output expects
    // them, and need no copy. Others return nullptr (the default).
    virtual std::uint8_t* lendAll(std::size_t size) {
        (void)size;
        return nullptr;
    }
};

// What a decoder may know about the member it decodes.
struct DecodeParams {
    std::uint16_t method = 0;
    std::uint16_t flags = 0;           // general-purpose bits (explode reads bits 1 and 2)
    std::uint64_t compressedSize = 0;  // without the 12-byte encryption header
    std::uint64_t uncompressedSize = 0;
};

}  // namespace zb::zip
