// The input side every decoder reads a member's compressed bytes from: blocks of at
// most 32 KiB taken from the archive (the member's remaining compressed size counts
// down), decrypted in place when the member is encrypted (the key state carries on
// from the password check, block after block), with the owner's message processing
// and cancel test before each block. An archive that ends inside the member raises
// "Premature end of file reached".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "zip/codec/DecoderIo.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/io/TStream.h"

namespace zb::zip {

inline constexpr std::size_t kDecodeBlockSize = 32768;

class MemberInput : public DecodeInput {
public:
    // `beforeBlock` runs before each block is read (message processing and the cancel
    // test; it raises EUserCanceled to stop). `cipher` is null for a member that is
    // not encrypted.
    MemberInput(TStream& archive, std::uint64_t compressedSize, ZipCrypto* cipher, std::function<void()> beforeBlock);

    std::size_t read(std::uint8_t* buffer, std::size_t size) override;

    std::uint64_t remaining() const { return remaining_ + (len_ - pos_); }

private:
    // Reads the next block into `dest` (at most `max` bytes); returns its length.
    std::size_t fetch(std::uint8_t* dest, std::size_t max);

    TStream& archive_;
    std::uint64_t remaining_;
    ZipCrypto* cipher_;
    std::function<void()> beforeBlock_;
    // Taken without zero-filling when first needed: most members are read straight
    // into the decoder's buffer, and clearing 32 KiB per member showed in profiles.
    std::unique_ptr<std::uint8_t[]> block_;
    std::size_t pos_ = 0, len_ = 0;
};

}  // namespace zb::zip
