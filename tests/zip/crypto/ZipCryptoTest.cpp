// The traditional cipher: key schedule, round trips across block boundaries, and both
// forms of the password check byte.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "zip/crypto/ZipCrypto.h"

namespace zb::zip {
namespace {

TEST(ZipCrypto, EmptyPasswordLeavesTheStartKeys) {
    ZipCrypto c("");
    EXPECT_EQ(c.key(0), 0x12345678u);
    EXPECT_EQ(c.key(1), 0x23456789u);
    EXPECT_EQ(c.key(2), 0x34567890u);
}

TEST(ZipCrypto, PasswordChangesEveryKey) {
    ZipCrypto c("secret");
    EXPECT_NE(c.key(0), 0x12345678u);
    EXPECT_NE(c.key(1), 0x23456789u);
    EXPECT_NE(c.key(2), 0x34567890u);
}

TEST(ZipCrypto, DecryptingInBlocksEqualsDecryptingAtOnce) {
    std::vector<std::uint8_t> plain(100000);
    std::mt19937 rng(5);
    for (auto& b : plain) b = std::uint8_t(rng());
    std::vector<std::uint8_t> cipher = plain;
    ZipCrypto enc("pw");
    enc.encrypt(cipher.data(), cipher.size());
    EXPECT_NE(cipher, plain);

    std::vector<std::uint8_t> out = cipher;
    ZipCrypto dec("pw");
    std::size_t pos = 0;
    while (pos < out.size()) {
        std::size_t n = std::min<std::size_t>(32768, out.size() - pos);
        dec.decrypt(out.data() + pos, n);
        pos += n;
    }
    EXPECT_EQ(out, plain);
}

TEST(ZipCrypto, HeaderCheckUsesTheCrcHighByteWithoutDataDescriptor) {
    const std::uint32_t crc = 0xA1B2C3D4;
    const std::uint32_t dos = 0x5A6B7C8D;
    std::uint8_t random[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::uint8_t header[12];
    ZipCrypto enc("pw");
    makeCryptHeader(enc, crc, random, header);

    std::uint8_t copy[12];
    std::copy(header, header + 12, copy);
    ZipCrypto dec;
    EXPECT_TRUE(checkCryptHeader(dec, "pw", copy, cryptCheckByte(0, dos, crc)));
    EXPECT_EQ(copy[10], 0xB2);
    EXPECT_EQ(copy[11], 0xA1);
    std::copy(header, header + 12, copy);
    EXPECT_FALSE(checkCryptHeader(dec, "wrong", copy, cryptCheckByte(0, dos, crc)));
}

TEST(ZipCrypto, HeaderCheckUsesTheTimeHighByteWithDataDescriptor) {
    EXPECT_EQ(cryptCheckByte(0x0008, 0x5A6B7C8D, 0xA1B2C3D4), 0x7C);
    EXPECT_EQ(cryptCheckByte(0x0001, 0x5A6B7C8D, 0xA1B2C3D4), 0xA1);
}

TEST(ZipCrypto, KeyStateCarriesFromTheHeaderIntoTheData) {
    std::uint8_t random[10] = {};
    std::uint8_t header[12];
    ZipCrypto enc("k");
    makeCryptHeader(enc, 0x11223344, random, header);
    std::uint8_t data[5] = {'h', 'e', 'l', 'l', 'o'};
    enc.encrypt(data, 5);

    ZipCrypto dec;
    ASSERT_TRUE(checkCryptHeader(dec, "k", header, 0x11));
    dec.decrypt(data, 5);
    EXPECT_EQ(std::string(data, data + 5), "hello");
}

}  // namespace
}  // namespace zb::zip
