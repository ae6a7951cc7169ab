// The traditional ZIP cipher: three 32-bit keys driven by the CRC-32 step, a 12-byte
// header in front of each encrypted member whose last byte checks the password. One
// state serves decryption (the reader carries it from the header check into the
// member's data, block after block) and encryption (the writer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zb::zip {

inline constexpr std::size_t kCryptHeaderSize = 12;

class ZipCrypto {
public:
    ZipCrypto() { init({}); }
    explicit ZipCrypto(std::string_view password) { init(password); }

    // Keys back to their start values, then updated with each byte of the password.
    void init(std::string_view password);

    // The next key-stream byte (does not advance the keys).
    std::uint8_t streamByte() const {
        std::uint32_t t = (keys_[2] & 0xFFFF) | 2;
        return std::uint8_t((t * (t ^ 1)) >> 8);
    }
    void update(std::uint8_t plain);

    std::uint8_t decryptByte(std::uint8_t cipher) {
        std::uint8_t plain = cipher ^ streamByte();
        update(plain);
        return plain;
    }
    std::uint8_t encryptByte(std::uint8_t plain) {
        std::uint8_t cipher = plain ^ streamByte();
        update(plain);
        return cipher;
    }
    void decrypt(std::uint8_t* data, std::size_t size);
    void encrypt(std::uint8_t* data, std::size_t size);

    std::uint32_t key(int i) const { return keys_[i]; }

private:
    std::uint32_t keys_[3];
};

// The byte the last decrypted header byte must equal: the high byte of the member's
// DOS time when its sizes follow in a data descriptor (flag bit 3), since the CRC was
// not known when the header was written; else the high byte of its CRC-32.
std::uint8_t cryptCheckByte(std::uint16_t flags, std::uint32_t dosDateTime, std::uint32_t crc);

// Decrypts the 12 header bytes in place with a cipher freshly set up from `password`
// and tells whether the check byte matches; `cipher` then carries on into the data.
bool checkCryptHeader(ZipCrypto& cipher, std::string_view password, std::uint8_t header[kCryptHeaderSize],
                      std::uint8_t checkByte);

// Builds an encryption header: ten random bytes, then the CRC's bits 16-23 and 24-31,
// all encrypted with `cipher` (freshly set up from the password by the caller).
// `random` supplies the ten padding bytes.
void makeCryptHeader(ZipCrypto& cipher, std::uint32_t crc, const std::uint8_t random[10],
                     std::uint8_t header[kCryptHeaderSize]);

}  // namespace zb::zip
