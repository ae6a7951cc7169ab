// Writes one file as one member: its local header, the encryption header when a
// password is set, the data stored or deflated, and the local header again with the
// CRC-32 and sizes of the bytes actually read. The writer's read routine (CRC and
// progress) and write routine (encryption, the full-disk check, the cancel check) are
// the two ends every byte passes through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "zip/codec/deflate/Deflate.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/io/ZipInputFile.h"
#include "zip/io/ZipOutputFile.h"
#include "zip/records/WriterRecords.h"

namespace zb::zip {

// Whether a file of `size` bytes needs the ZIP64 sizes in its local header. Decided
// before the header is written, with room for what storing or deflating can add
// (5 bytes per stored block of at most 32 KiB) and for the encryption header.
bool memberNeedsZip64(std::uint64_t size);

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

    // The write routine: encrypts when a password is set, writes, counts.
    void writeData(const std::uint8_t* data, std::size_t size);
    // The read routine: reads, updates the running CRC, reports.
    std::size_t readData(std::uint8_t* buffer, std::size_t size);

private:
    std::uint64_t storeData();
    std::uint32_t crcPass();

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
