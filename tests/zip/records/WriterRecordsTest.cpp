// Record bytes of the writer: the classic form while everything fits, ZIP64 exactly
// for the values that do not, and the parse of copied central headers.
#include <gtest/gtest.h>

#include "zip/records/WriterRecords.h"
#include "zip/writer/CopiedMember.h"

namespace zb::zip {
namespace {

WriterMember sample() {
    WriterMember m;
    m.flags = 2;
    m.method = 8;
    m.dosTime = 0x5A6B7C8D;
    m.crc = 0x11223344;
    m.compressedSize = 1000;
    m.uncompressedSize = 5000;
    m.internalAttributes = 1;
    m.externalAttributes = 0x21;
    m.localOffset = 777;
    m.name = "Docs/Readme.txt";
    return m;
}

TEST(WriterRecordsTest, ClassicLocalHeaderHasNoExtraField) {
    const std::string b = localHeaderBytes(sample());
    ASSERT_EQ(b.size(), 30u + 15u);
    EXPECT_EQ(getU32(b.data()), kLocalHeaderSignature);
    EXPECT_EQ(getU16(b.data() + 4), 20);
    EXPECT_EQ(getU16(b.data() + 6), 2);
    EXPECT_EQ(getU16(b.data() + 8), 8);
    EXPECT_EQ(getU32(b.data() + 10), 0x5A6B7C8Du);
    EXPECT_EQ(getU32(b.data() + 14), 0x11223344u);
    EXPECT_EQ(getU32(b.data() + 18), 1000u);
    EXPECT_EQ(getU32(b.data() + 22), 5000u);
    EXPECT_EQ(getU16(b.data() + 26), 15);
    EXPECT_EQ(getU16(b.data() + 28), 0);
    EXPECT_EQ(b.substr(30), "Docs/Readme.txt");
    EXPECT_EQ(localHeaderSize(sample()), b.size());
}

TEST(WriterRecordsTest, ClassicCentralHeaderRoundTripsThroughTheParser) {
    WriterMember m = sample();
    m.comment = "note";
    const std::string b = centralHeaderBytes(m);
    ASSERT_EQ(b.size(), 46u + 15u + 4u);
    EXPECT_EQ(getU16(b.data() + 4), 20);
    EXPECT_EQ(getU16(b.data() + 6), 20);
    EXPECT_EQ(getU16(b.data() + 30), 0);
    EXPECT_EQ(getU32(b.data() + 42), 777u);
    std::size_t size = 0;
    const auto parsed = parseCentralHeader(b, &size);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(size, b.size());
    EXPECT_EQ(parsed->name, m.name);
    EXPECT_EQ(parsed->comment, "note");
    EXPECT_EQ(parsed->compressedSize, 1000u);
    EXPECT_EQ(parsed->localOffset, 777u);
    EXPECT_EQ(centralHeaderBytes(*parsed), b);
}

TEST(WriterRecordsTest, Zip64LocalHeaderCarriesBothSizes) {
    WriterMember m = sample();
    m.zip64Local = true;
    m.uncompressedSize = 5'000'000'000ull;
    m.compressedSize = 4'999'000'000ull;
    const std::string b = localHeaderBytes(m);
    ASSERT_EQ(b.size(), 30u + 15u + 20u);
    EXPECT_EQ(getU16(b.data() + 4), 45);
    EXPECT_EQ(getU32(b.data() + 18), kZip64Marker32);
    EXPECT_EQ(getU32(b.data() + 22), kZip64Marker32);
    EXPECT_EQ(getU16(b.data() + 28), 20);
    EXPECT_EQ(getU16(b.data() + 45), kExtraZip64);
    EXPECT_EQ(getU16(b.data() + 47), 16);
    EXPECT_EQ(getU64(b.data() + 49), 5'000'000'000ull);
    EXPECT_EQ(getU64(b.data() + 57), 4'999'000'000ull);
}

TEST(WriterRecordsTest, Zip64CentralFieldsOnlyForWhatDoesNotFit) {
    WriterMember m = sample();
    m.localOffset = 0x1'0000'0000ull;  // only the offset is too big
    std::string b = centralHeaderBytes(m);
    EXPECT_EQ(getU16(b.data() + 6), 45);
    WriterMember own = m;  // ours say Unix host and the format they need: here 45
    own.versionMadeBy = ownVersionMadeBy();
    own.madeByFollowsNeeded = true;
    EXPECT_EQ(getU16(centralHeaderBytes(own).data() + 4), 0x032D);
    EXPECT_EQ(getU32(b.data() + 20), 1000u);
    EXPECT_EQ(getU32(b.data() + 42), kZip64Marker32);
    ASSERT_EQ(getU16(b.data() + 30), 12);
    EXPECT_EQ(getU64(b.data() + 46 + 15 + 4), 0x1'0000'0000ull);
    auto parsed = parseCentralHeader(b);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->localOffset, 0x1'0000'0000ull);
    EXPECT_EQ(centralHeaderBytes(*parsed), b);

    m.uncompressedSize = 0xFFFFFFFFull;  // all ones is itself the marker: must go to ZIP64
    b = centralHeaderBytes(m);
    ASSERT_EQ(getU16(b.data() + 30), 20);
    EXPECT_EQ(getU32(b.data() + 24), kZip64Marker32);
    EXPECT_EQ(getU64(b.data() + 46 + 15 + 4), 0xFFFFFFFFull);
    EXPECT_EQ(getU64(b.data() + 46 + 15 + 12), 0x1'0000'0000ull);
}

TEST(WriterRecordsTest, ParsedOtherBlocksAreKeptAndTheZip64BlockRebuilt) {
    WriterMember m = sample();
    m.centralExtra = std::string("UT\x05\x00\x01\x02\x03\x04\x05", 9);
    m.compressedSize = 6'000'000'000ull;
    m.localOffset = 10;
    const std::string b = centralHeaderBytes(m);
    auto parsed = parseCentralHeader(b);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->centralExtra, m.centralExtra);
    EXPECT_TRUE(parsed->keepZip64Compressed);
    EXPECT_FALSE(parsed->keepZip64Uncompressed);
    // Moved beyond 4 GiB, the offset joins the ZIP64 block.
    parsed->localOffset = 0x2'0000'0000ull;
    auto again = parseCentralHeader(centralHeaderBytes(*parsed));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->compressedSize, 6'000'000'000ull);
    EXPECT_EQ(again->localOffset, 0x2'0000'0000ull);
    EXPECT_EQ(again->centralExtra, m.centralExtra);
}

TEST(WriterRecordsTest, NotACentralHeader) {
    EXPECT_FALSE(parseCentralHeader(std::string(46, '\0')));
    std::string b = centralHeaderBytes(sample());
    EXPECT_FALSE(parseCentralHeader(b.substr(0, b.size() - 1)));
}

TEST(WriterRecordsTest, ClassicEndRecord) {
    const std::string b = endRecordBytes(3, 150, 4000, "hello");
    ASSERT_EQ(b.size(), 22u + 5u);
    EXPECT_EQ(getU32(b.data()), kEndCentralSignature);
    EXPECT_EQ(getU16(b.data() + 8), 3);
    EXPECT_EQ(getU16(b.data() + 10), 3);
    EXPECT_EQ(getU32(b.data() + 12), 150u);
    EXPECT_EQ(getU32(b.data() + 16), 4000u);
    EXPECT_EQ(getU16(b.data() + 20), 5);
    EXPECT_EQ(b.substr(22), "hello");
}

TEST(WriterRecordsTest, Zip64EndRecordsForManyMembersOrFarOffsets) {
    std::string b = endRecordBytes(70000, 5'000'000, 9'000'000'000ull, "");
    ASSERT_EQ(b.size(), 56u + 20u + 22u);
    EXPECT_EQ(getU32(b.data()), kZip64EndSignature);
    EXPECT_EQ(getU64(b.data() + 4), 44u);
    EXPECT_EQ(getU64(b.data() + 24), 70000u);
    EXPECT_EQ(getU64(b.data() + 32), 70000u);
    EXPECT_EQ(getU64(b.data() + 40), 5'000'000u);
    EXPECT_EQ(getU64(b.data() + 48), 9'000'000'000ull);
    EXPECT_EQ(getU32(b.data() + 56), kZip64LocatorSignature);
    EXPECT_EQ(getU64(b.data() + 64), 9'005'000'000ull);
    EXPECT_EQ(getU32(b.data() + 72), 1u);
    EXPECT_EQ(getU16(b.data() + 76 + 8), 0xFFFF);
    EXPECT_EQ(getU32(b.data() + 76 + 12), 5'000'000u);  // fits, so it stays
    EXPECT_EQ(getU32(b.data() + 76 + 16), kZip64Marker32);
    // 65,534 members still fit the classic record.
    EXPECT_EQ(endRecordBytes(65534, 10, 10, "").size(), 22u);
    EXPECT_EQ(endRecordBytes(65535, 10, 10, "").size(), 98u);
}

TEST(WriterRecordsTest, DataDescriptorWithAndWithoutSignature) {
    WriterMember m = sample();
    m.flags |= 8;
    std::string signedDd;
    appendU32(signedDd, kDataDescriptorSignature);
    appendU32(signedDd, m.crc);
    appendU32(signedDd, 1000);
    appendU32(signedDd, 5000);
    EXPECT_EQ(dataDescriptorLength(m, false, signedDd + "PK\x03\x04"), 16u);
    EXPECT_EQ(dataDescriptorLength(m, false, signedDd.substr(4) + "PK\x01\x02"), 12u);
    std::string wide;
    appendU32(wide, kDataDescriptorSignature);
    appendU32(wide, m.crc);
    appendU64(wide, 1000);
    appendU64(wide, 5000);
    EXPECT_EQ(dataDescriptorLength(m, true, wide), 24u);
    EXPECT_EQ(dataDescriptorLength(m, false, "garbage garbage garbage!"), 0u);
    m.flags &= ~8;
    EXPECT_EQ(dataDescriptorLength(m, false, signedDd), 0u);
}

}  // namespace
}  // namespace zb::zip
