// The traditional ZIP cipher.
#include "zip/crypto/ZipCrypto.h"

#include "zip/checksum/Crc32.h"

namespace zb::zip {

void ZipCrypto::init(std::string_view password) {
    keys_[0] = 0x12345678u;
    keys_[1] = 0x23456789u;
    keys_[2] = 0x34567890u;
    for (char c : password) update(std::uint8_t(c));
}

void ZipCrypto::update(std::uint8_t plain) {
    keys_[0] = crc32Step(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = crc32Step(keys_[2], std::uint8_t(keys_[1] >> 24));
}

void ZipCrypto::decrypt(std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) data[i] = decryptByte(data[i]);
}

void ZipCrypto::encrypt(std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) data[i] = encryptByte(data[i]);
}

std::uint8_t cryptCheckByte(std::uint16_t flags, std::uint32_t dosDateTime, std::uint32_t crc) {
    if (flags & 0x0008) return std::uint8_t((dosDateTime >> 8) & 0xFF);
    return std::uint8_t(crc >> 24);
}

bool checkCryptHeader(ZipCrypto& cipher, std::string_view password, std::uint8_t header[kCryptHeaderSize],
                      std::uint8_t checkByte) {
    cipher.init(password);
    cipher.decrypt(header, kCryptHeaderSize);
    return header[kCryptHeaderSize - 1] == checkByte;
}

void makeCryptHeader(ZipCrypto& cipher, std::uint32_t crc, const std::uint8_t random[10],
                     std::uint8_t header[kCryptHeaderSize]) {
    for (int i = 0; i < 10; ++i) header[i] = cipher.encryptByte(random[i]);
    header[10] = cipher.encryptByte(std::uint8_t(crc >> 16));
    header[11] = cipher.encryptByte(std::uint8_t(crc >> 24));
}

}  // namespace zb::zip
