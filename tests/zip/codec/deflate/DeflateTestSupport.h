// Helpers for the compressor's tests: memory sources and sinks that record how they
// are called, generated inputs of several kinds, zlib's inflate as the peer decoder,
// and a small decoder of our own that recovers the blocks and the literal/match
// entries of a stream, so the compressor's decisions can be checked one by one.
#pragma once

#include "zip/codec/deflate/Deflate.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zb::zip::test {

using Bytes = std::vector<std::uint8_t>;

// Serves a buffer, at most `maxChunk` bytes per call when it is not 0, and records
// each request size.
class MemorySource : public DeflateSource {
public:
    explicit MemorySource(const Bytes& data, std::size_t maxChunk = 0) : data_(data), maxChunk_(maxChunk) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override;

    std::vector<std::size_t> requests;
    bool readAfterEnd = false;  // asked again after a 0 was returned

private:
    const Bytes& data_;
    std::size_t maxChunk_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

class MemorySink : public DeflateSink {
public:
    void write(const std::uint8_t* data, std::size_t size) override;
    Bytes bytes;
    std::size_t calls = 0;
    bool emptyWrite = false;
};

struct Compressed {
    DeflateResult result;
    Bytes bytes;
};

Compressed compressBytes(const Bytes& data, int level, Deflater* deflater = nullptr);

// Inputs.
Bytes randomBytes(std::size_t size, std::uint32_t seed);
Bytes textBytes(std::size_t size, std::uint32_t seed);        // prose-like lines
Bytes binaryBytes(std::size_t size, std::uint32_t seed);      // object-file-like tables
Bytes repetitiveBytes(std::size_t size, std::uint32_t seed);  // log lines, few templates
Bytes filledBytes(std::size_t size, std::uint8_t value);
// Runs of fresh random bytes, each followed by a long copy of earlier data: few
// matches, but they cover much input (what makes the tally end blocks early).
Bytes literalHeavyBytes(std::size_t size, std::uint32_t seed);

// zlib's raw inflate; throws std::runtime_error when the stream is not valid or has
// bytes after its end.
Bytes zlibInflate(const Bytes& stream);

// The archive engine's own inflate; throws std::runtime_error when it reports the
// stream as malformed or incomplete.
Bytes engineInflate(const Bytes& stream);

// Our own token-level reading of a deflate stream.
struct Token {
    std::uint32_t distance;  // 0 for a literal
    std::uint32_t value;     // the literal, or the match length
    bool operator==(const Token&) const = default;
};
struct Block {
    unsigned type;  // 0 stored, 1 fixed, 2 dynamic
    bool last;
    std::uint64_t inputBytes;   // uncompressed bytes the block stands for
    std::vector<Token> tokens;  // empty for a stored block
    std::uint64_t endBit;       // bit offset just after the block
};
struct Decoded {
    Bytes data;
    std::vector<Block> blocks;
    std::uint64_t usedBytes;  // stream bytes up to the end of the last block
};
Decoded decodeBlocks(const Bytes& stream);

std::string describe(const DeflateResult& r);

}  // namespace zb::zip::test
