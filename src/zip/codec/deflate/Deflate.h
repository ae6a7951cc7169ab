// The deflate compressor of the archive writer: turns the bytes of one member into a
// deflate stream and tells the writer how to describe the member in its header.
//
// The writer owns both ends. The source is its read routine (it keeps the CRC-32 and
// the progress events, so the compressor asks for exactly the amounts the window has
// room for: 32768 bytes first, then the free room after each slide); the sink is its
// write routine (encryption, the full-disk check, the cancel check). The compressor
// itself raises nothing: whatever the two routines throw passes through unchanged and
// ends the member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zb::zip {

// Where the compressor reads the member's uncompressed bytes.
class DeflateSource {
public:
    virtual ~DeflateSource() = default;
    // Copies up to `size` bytes into `buffer` and returns how many; 0 means the input
    // is used up (no further call follows). A short count that is not 0 is fine: the
    // compressor asks again while its window has room.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t size) = 0;
};

// Where the compressor writes the compressed bytes, in order. Never called with 0 bytes.
class DeflateSink {
public:
    virtual ~DeflateSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

// What the writer puts into the member's header after the call.
struct DeflateResult {
    // 8 (deflated), or 0 when compressing did not pay and the whole member went out as
    // its raw bytes, with no deflate framing at all.
    std::uint16_t method = 8;
    // Bytes handed to the sink for this member (the raw size when method is 0; an empty
    // input gives method 0 and size 0).
    std::uint64_t compressedSize = 0;
    // 1 = text, 0 = binary, decided from the literals of the first block. The writer
    // presets 2 ("not decided") and replaces it with this value.
    std::uint16_t internalAttributes = 1;
    // General-purpose flag bits 1-2 that tell readers how hard we compressed: 4 for
    // levels 1 and 2, 2 for levels 8 and 9, none for 3 to 7. OR them into the flags.
    std::uint16_t flagBits = 0;
};

// The flag bits 1-2 that `level` sets (see DeflateResult::flagBits).
std::uint16_t deflateFlagBits(int level);

struct DeflateState;

// One compressor with its working storage (window, hash tables, block buffers),
// allocated once and reused for every member of a zip run; members never influence
// each other's output. Not thread-safe: one member at a time.
class Deflater {
public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses everything `source` yields at `level` (1 to 9; level 0 means storing,
    // which the writer does itself) into `sink`. Throws std::invalid_argument for a
    // level outside 1 to 9, before reading anything.
    DeflateResult compress(DeflateSource& source, DeflateSink& sink, int level);

private:
    std::unique_ptr<DeflateState> state_;
};

}  // namespace zb::zip
