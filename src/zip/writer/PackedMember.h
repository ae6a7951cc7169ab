// A file packed ahead by a worker of the writer's pool, for the writer to put into the
// archive later exactly as if it had read and compressed the file itself. It records
// every call of the read routine (each one a progress step for the writer to report)
// and of the write routine (the bytes, not yet encrypted: the encryption header's
// random bytes must be drawn in member order, on the writer's thread), then how the
// member came out. It is handed over in pieces, so that a huge file never sits in
// memory whole.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zip/codec/deflate/Deflate.h"
#include "zip/io/ZipInputFile.h"

namespace zb::zip {

// One call of the read routine (`write` false: `size` bytes were read) or of the write
// routine (`write` true: the next `size` bytes of the piece's data were written).
struct PackedStep {
    std::uint32_t size = 0;
    bool write = false;
};

struct PackedPiece {
    std::vector<PackedStep> steps;
    std::vector<std::uint8_t> data;

    // What the piece holds in memory, as the pool's budget counts it.
    std::size_t cost() const { return data.size() + steps.size() * sizeof(PackedStep); }
};

// Thrown through the compressor when the writer no longer wants the member.
struct PackingAbandoned {};

struct PackedMember {
    enum class Ending { Complete, ReadFailed };

    PackedMember(std::string path, int level, bool crcPass, bool keepLinks)
        : path(std::move(path)), level(level), crcPass(crcPass), keepLinks(keepLinks) {}

    // Packs the open file `in` (opened as `path` was asked), handing each piece to
    // `publish` in order, the last one when the member is complete. `publish` and the
    // reads throw PackingAbandoned once `abandoned` is set.
    void pack(ZipInputFile& in, Deflater& deflater, const std::function<void(PackedPiece&)>& publish);

    // What the file was asked to become.
    const std::string path;
    const int level;       // 0 stores
    const bool crcPass;    // an encrypted member's first pass, for its header's CRC
    const bool keepLinks;  // opened as the run opens files

    // Known once a worker opened the file: its stamp, unless it was no regular file.
    bool opened = false;
    ZipInputFile::Stamp stamp;

    // The first pass of an encrypted member.
    bool crcPassFailed = false;
    std::uint32_t preCrc = 0;
    std::uint64_t preSize = 0;

    // Known after the last piece.
    Ending ending = Ending::Complete;
    DeflateResult result;
    std::uint32_t crc = 0;
    std::uint64_t bytesRead = 0;

    std::atomic<bool> abandoned{false};
};

}  // namespace zb::zip
