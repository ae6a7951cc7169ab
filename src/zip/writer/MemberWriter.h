// Writes one file as one member: its local header, the encryption header when a
// password is set, the data stored or deflated, and the local header again with the
// CRC-32 and sizes of the bytes actually read. The writer's read routine (CRC and
// progress) and write routine (encryption, the full-disk check, the cancel check) are
// the two ends every byte passes through. A file a worker packed ahead goes through
// the same write routine, its recorded reads reported as the read routine would.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "zip/codec/deflate/Deflate.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/io/ZipInputFile.h"
#include "zip/io/ZipOutputFile.h"
#include "zip/records/WriterRecords.h"
#include "zip/writer/PackedMember.h"

namespace zb::zip {

// Whether a file of `size` bytes needs the ZIP64 sizes in its local header. Decided
// before the header is written, with room for what storing or deflating can add
// (5 bytes per stored block of at most 32 KiB) and for the encryption header.
bool memberNeedsZip64(std::uint64_t size);

// The CRC-32 of what `in` yields from where it stands: an encrypted member's first
// pass, whose CRC its encryption header carries. Throws PackingAbandoned as soon as
// `abandoned` (when given) is set.
std::uint32_t crcOfFile(ZipInputFile& in, const std::atomic<bool>* abandoned = nullptr);
// Copies `source` to `sink` in the blocks a stored member is written in; returns the
// number of bytes.
std::uint64_t storeBlocks(DeflateSource& source, DeflateSink& sink);

class MemberWriter {
public:
    // How a member came out.
    enum class Outcome {
        Written,        // complete; the local header holds the final values
        NeedsZip64,     // the data came out bigger than the classic fields hold: write it anew
        SourceChanged,  // the file changed between the CRC pass and the data pass
    };

    struct Hooks {
        // After each block read from the file: the block's size.
        std::function<void(std::size_t)> onRead;
        // After each block written (processes pending messages, may throw to cancel).
        std::function<void()> afterWrite;
    };

    MemberWriter(ZipOutputFile& out, Deflater& deflater, Hooks hooks)
        : out_(out), deflater_(deflater), hooks_(std::move(hooks)) {}

    // Writes `member` (name, date, attributes already set) from `in` at the output's
    // position. `level` 0 stores; `password` empty means no encryption.
    Outcome write(ZipInputFile& in, WriterMember& member, int level, const std::string& password, bool forceZip64);
    // The same from `packed`, a file a worker packed ahead from the file `in` is open
    // on: `next` hands over its pieces in order and returns false after the last.
    // Throws SourceReadError where the worker's reading failed.
    Outcome replay(ZipInputFile& in, const PackedMember& packed, const std::function<bool(PackedPiece&)>& next,
                   WriterMember& member, const std::string& password, bool forceZip64);

    // The write routine: encrypts when a password is set, writes, counts.
    void writeData(const std::uint8_t* data, std::size_t size);
    // The read routine: reads, updates the running CRC, reports.
    std::size_t readData(std::uint8_t* buffer, std::size_t size);

private:
    // The local header with the values known so far.
    void begin(WriterMember& member, std::uint64_t size, const std::string& password, bool forceZip64);
    // Writes the encryption header and encrypts everything written after it.
    void startCipher(const std::string& password, std::uint32_t crc);
    // The member's final values, and its local header written again with them.
    Outcome finish(WriterMember& member, std::uint32_t crc, std::uint64_t bytesRead, const std::string& password,
                   std::uint32_t preCrc, std::uint64_t preSize);

    ZipOutputFile& out_;
    Deflater& deflater_;
    Hooks hooks_;
    ZipInputFile* in_ = nullptr;
    bool encrypting_ = false;
    ZipCrypto cipher_;
    std::uint32_t crc_ = 0;
    std::uint64_t written_ = 0;
    std::string scratch_;
};

}  // namespace zb::zip
