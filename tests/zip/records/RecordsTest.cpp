// Member and end records: byte layout, names and their code pages, ZIP64 fields, the
// end-record search and the DOS date/time normaliser.
#include <gtest/gtest.h>

#include "zip/TZipHeaderInfo.h"
#include "zip/checksum/Crc32.h"
#include "zip/io/TMemoryStream.h"
#include "zip/records/DosDateTime.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {
namespace {

const std::uint8_t* at(const TMemoryStream& m, std::size_t off) { return m.data().data() + off; }

TEST(ZipHeaderInfo, ClearedValuesOfANewMember) {
    TZipHeaderInfo h;
    EXPECT_EQ(h.versionMadeBy, 20);
    EXPECT_EQ(h.versionNeeded, 20);
    EXPECT_EQ(h.compressionMethod, 8);
    EXPECT_EQ(h.crc32, 0xFFFFFFFFu);
    EXPECT_EQ(h.internalAttributes, 1);
    EXPECT_EQ(h.externalAttributes, 0x20u);
    EXPECT_FALSE(h.fileComment());
}

TEST(ZipHeaderInfo, FolderAndNameAreStoredWithSlashes) {
    TZipHeaderInfo h;
    h.setDirectory("Docs");
    h.setFileName("Readme.txt");
    EXPECT_EQ(h.directory(), "Docs/");
    EXPECT_EQ(h.fileNameLength, 15);
    TMemoryStream local, central;
    h.writeLocal(local);
    h.writeCentral(central);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(at(local, 30)), 15), "Docs/Readme.txt");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(at(central, 46)), 15), "Docs/Readme.txt");
    EXPECT_EQ(getU16(at(local, 26)), 15);
    h.setDirectory("");
    EXPECT_EQ(h.directory(), "");
    h.setDirectory("a\\b");
    EXPECT_EQ(h.directory(), "a/b/");
}

TEST(ZipHeaderInfo, CentralRecordBytesInTableOrder) {
    TZipHeaderInfo h;
    h.setFileName("a.txt");
    h.flags = 0x0002;
    h.compressionMethod = 8;
    h.dosDateTime = 0x12345678;
    h.crc32 = 0xCAFEBABE;
    h.compressedSize = 100;
    h.uncompressedSize = 200;
    h.internalAttributes = 1;
    h.externalAttributes = 0x21;
    h.relativeOffset = 0x01020304;
    h.setFileComment("note");
    TMemoryStream m;
    h.writeCentral(m);
    ASSERT_EQ(m.size(), 46 + 5 + 4);
    EXPECT_EQ(getU32(at(m, 0)), kCentralHeaderSignature);
    EXPECT_EQ(getU16(at(m, 4)), 20);
    EXPECT_EQ(getU16(at(m, 6)), 20);
    EXPECT_EQ(getU16(at(m, 8)), 2);
    EXPECT_EQ(getU16(at(m, 10)), 8);
    EXPECT_EQ(getU32(at(m, 12)), 0x12345678u);
    EXPECT_EQ(getU32(at(m, 16)), 0xCAFEBABEu);
    EXPECT_EQ(getU32(at(m, 20)), 100u);
    EXPECT_EQ(getU32(at(m, 24)), 200u);
    EXPECT_EQ(getU16(at(m, 28)), 5);
    EXPECT_EQ(getU16(at(m, 30)), 0);
    EXPECT_EQ(getU16(at(m, 32)), 4);
    EXPECT_EQ(getU16(at(m, 34)), 0);
    EXPECT_EQ(getU16(at(m, 36)), 1);
    EXPECT_EQ(getU32(at(m, 38)), 0x21u);
    EXPECT_EQ(getU32(at(m, 42)), 0x01020304u);
    EXPECT_EQ(m.str().substr(51), "note");
}

TEST(ZipHeaderInfo, LocalRecordSetsTheOffsetToTheStreamPosition) {
    TZipHeaderInfo h;
    h.setFileName("x");
    TMemoryStream m;
    m.writeBuffer("0123456789", 10);
    h.writeLocal(m);
    EXPECT_EQ(h.relativeOffset, 10u);
    EXPECT_EQ(m.size(), 10 + 30 + 1);
    EXPECT_EQ(getU32(at(m, 10)), kLocalHeaderSignature);
}

TEST(ZipHeaderInfo, CentralRoundTripKeepsEveryField) {
    TZipHeaderInfo h;
    h.setDirectory("dir/sub");
    h.setFileName("file.bin");
    h.flags = 1;
    h.compressionMethod = 0;
    h.dosDateTime = (40u << 25) | (6u << 21) | (15u << 16) | (12u << 11) | (30u << 5) | 10u;
    h.crc32 = 0x01234567;
    h.compressedSize = 512;
    h.uncompressedSize = 500;
    h.externalAttributes = 0x01;
    h.relativeOffset = 777;
    TMemoryStream m;
    m.writeBuffer("junk", 4);
    h.writeCentral(m);
    m.seek(4, soFromBeginning);
    TZipHeaderInfo r;
    ASSERT_TRUE(r.readCentral(m));
    EXPECT_EQ(r.storedName(), "dir/sub/file.bin");
    EXPECT_EQ(r.flags, 1);
    EXPECT_EQ(r.compressionMethod, 0);
    EXPECT_EQ(r.dosDateTime, h.dosDateTime);
    EXPECT_EQ(r.crc32, h.crc32);
    EXPECT_EQ(r.compressedSize, 512u);
    EXPECT_EQ(r.uncompressedSize, 500u);
    EXPECT_EQ(r.externalAttributes, 1u);
    EXPECT_EQ(r.relativeOffset, 777u);
    EXPECT_EQ(r.centralOffset, 4u);
    EXPECT_EQ(m.position(), m.size());
}

TEST(ZipHeaderInfo, ShortOrForeignRecordsFailAndRestoreThePosition) {
    TZipHeaderInfo h;
    h.setFileName("name");
    TMemoryStream full;
    h.writeCentral(full);
    std::string bytes = full.str();

    TMemoryStream cut(bytes.substr(0, 48));  // the name is cut off
    TZipHeaderInfo r;
    EXPECT_FALSE(r.readCentral(cut));
    EXPECT_EQ(cut.position(), 0);

    TMemoryStream wrong(std::string("PK\x03\x04") + bytes.substr(4));
    EXPECT_FALSE(r.readCentral(wrong));
    EXPECT_EQ(wrong.position(), 0);

    TMemoryStream local;
    h.writeLocal(local);
    TMemoryStream localCut(local.str().substr(0, 20));
    EXPECT_FALSE(r.readLocal(localCut));
    EXPECT_EQ(localCut.position(), 0);
}

TEST(ZipHeaderInfo, NextDiskCallbackContinuesACutRecord) {
    TZipHeaderInfo h;
    h.setFileName("split.txt");
    TMemoryStream full;
    h.writeCentral(full);
    TMemoryStream first(full.str().substr(0, 20)), second(full.str().substr(20));
    TZipHeaderInfo r;
    bool asked = false;
    ASSERT_TRUE(r.readCentral(first, [&]() -> TStream* {
        asked = true;
        return &second;
    }));
    EXPECT_TRUE(asked);
    EXPECT_EQ(r.fileName(), "split.txt");
}

std::string centralRecord(std::uint16_t madeBy, std::uint16_t flags, const std::string& name,
                          const std::string& extra = {}) {
    std::uint8_t raw[46] = {};
    putU32(raw, kCentralHeaderSignature);
    putU16(raw + 4, madeBy);
    putU16(raw + 8, flags);
    putU16(raw + 28, std::uint16_t(name.size()));
    putU16(raw + 30, std::uint16_t(extra.size()));
    return std::string(reinterpret_cast<char*>(raw), 46) + name + extra;
}

TEST(ZipHeaderInfo, MsDosNamesAreCodePage437OtherHostsAsStored) {
    TZipHeaderInfo r;
    TMemoryStream dos(centralRecord(0x0014, 0, "\x8E\\x.txt"));
    ASSERT_TRUE(r.readCentral(dos));
    EXPECT_EQ(r.storedName(), "Ä/x.txt");
    EXPECT_EQ(r.directory(), "Ä/");

    TMemoryStream ntfs(centralRecord(0x0B14, 0, "\x8E\\y"));
    ASSERT_TRUE(r.readCentral(ntfs));
    EXPECT_EQ(r.storedName(), "\x8E/y");
    // On a Unix host a backslash is a character of the name, and the bytes stay as stored.
    TMemoryStream unixHost(centralRecord(0x0314, 0, "back\\sl\xFFsh.txt"));
    ASSERT_TRUE(r.readCentral(unixHost));
    EXPECT_EQ(r.storedName(), "back\\sl\xFFsh.txt");
    EXPECT_EQ(r.directory(), "");

    TMemoryStream utf8(centralRecord(0x0014, kFlagUtf8, "Ä.txt"));
    ASSERT_TRUE(r.readCentral(utf8));
    EXPECT_EQ(r.fileName(), "Ä.txt");
}

TEST(ZipHeaderInfo, UnicodePathExtraReplacesTheStoredName) {
    std::string raw = "caf\x82.txt";
    std::string block;
    appendU16(block, kExtraUnicodePath);
    std::string data = "\x01";
    appendU32(data, crc32(raw.data(), raw.size()));
    data += "café.txt";
    appendU16(block, std::uint16_t(data.size()));
    block += data;
    TMemoryStream m(centralRecord(0x0314, 0, raw, block));
    TZipHeaderInfo r;
    ASSERT_TRUE(r.readCentral(m));
    EXPECT_EQ(r.fileName(), "café.txt");

    // A stale Unicode path (check sum of another name) is ignored.
    std::string stale = block;
    stale[5] ^= 1;
    TMemoryStream m2(centralRecord(0x0014, 0, raw, stale));
    ASSERT_TRUE(r.readCentral(m2));
    EXPECT_EQ(r.fileName(), "café.txt");  // here from code page 437: 0x82 is é
    TMemoryStream m3(centralRecord(0x0314, 0, raw, stale));
    ASSERT_TRUE(r.readCentral(m3));
    EXPECT_EQ(r.fileName(), raw);
}

TEST(ZipHeaderInfo, NamesOutsideCodePage437AreWrittenAsUtf8WithFlag) {
    TZipHeaderInfo h;
    h.setFileName("日本.txt");
    TMemoryStream m;
    h.writeCentral(m);
    EXPECT_TRUE(h.flags & kFlagUtf8);
    m.seek(0, soFromBeginning);
    TZipHeaderInfo r;
    ASSERT_TRUE(r.readCentral(m));
    EXPECT_EQ(r.fileName(), "日本.txt");

    TZipHeaderInfo g;
    g.flags = kFlagUtf8;  // left over from a name that needed it
    g.setFileName("Grüße.txt");
    TMemoryStream m2;
    g.writeCentral(m2);
    EXPECT_FALSE(g.flags & kFlagUtf8);
    EXPECT_EQ(g.fileNameLength, 9);  // one byte per character in code page 437
    m2.seek(0, soFromBeginning);
    ASSERT_TRUE(r.readCentral(m2));
    EXPECT_EQ(r.fileName(), "Grüße.txt");
}

TEST(ZipHeaderInfo, Zip64ValuesRoundTrip) {
    TZipHeaderInfo h;
    h.setFileName("big");
    h.compressedSize = 0x123456789ull;
    h.uncompressedSize = 0x223456789ull;
    h.relativeOffset = 0x323456789ull;
    TMemoryStream m;
    h.writeCentral(m);
    EXPECT_EQ(getU32(at(m, 20)), 0xFFFFFFFFu);
    EXPECT_EQ(getU16(at(m, 6)), 45);
    m.seek(0, soFromBeginning);
    TZipHeaderInfo r;
    ASSERT_TRUE(r.readCentral(m));
    EXPECT_EQ(r.compressedSize, 0x123456789ull);
    EXPECT_EQ(r.uncompressedSize, 0x223456789ull);
    EXPECT_EQ(r.relativeOffset, 0x323456789ull);

    TMemoryStream l;
    h.writeLocal(l);
    l.seek(0, soFromBeginning);
    ASSERT_TRUE(r.readLocal(l));
    EXPECT_EQ(r.compressedSize, 0x123456789ull);
    EXPECT_EQ(r.uncompressedSize, 0x223456789ull);
    EXPECT_EQ(r.localExtraFieldLength, 20);
}

TEST(ZipHeaderInfo, SizesAndFlags) {
    TZipHeaderInfo h;
    h.fileNameLength = 10;
    h.localExtraFieldLength = 4;
    h.extraFieldLength = 6;
    h.fileCommentLength = 3;
    EXPECT_EQ(h.localHeaderSize(), 44u);
    EXPECT_EQ(h.centralHeaderSize(), 65u);
    h.flags = 9;
    EXPECT_TRUE(h.encrypted());
    EXPECT_TRUE(h.hasDataDescriptor());
    EXPECT_TRUE(h.hasComment());
}

TEST(EndCentral, EmptyStreamIsAnArchiveWithoutMembersShortOneIsNot) {
    TEndCentral e;
    TMemoryStream empty;
    EXPECT_TRUE(e.find(empty));
    EXPECT_EQ(e.totalEntries, 0u);
    TMemoryStream ten(std::string(10, 'x'));
    EXPECT_FALSE(e.find(ten));
}

TEST(EndCentral, WriteAndFindWithComment) {
    TEndCentral w;
    w.totalEntries = w.entriesThisDisk = 3;
    w.centralSize = 150;
    w.centralOffset = 1000;
    w.setComment("hello");
    TMemoryStream m;
    m.writeBuffer(std::string(1150, 'z').data(), 1150);
    w.write(m);
    EXPECT_EQ(m.size(), 1150 + 22 + 5);
    TEndCentral r;
    ASSERT_TRUE(r.find(m));
    EXPECT_EQ(r.totalEntries, 3u);
    EXPECT_EQ(r.centralSize, 150u);
    EXPECT_EQ(r.centralOffset, 1000u);
    EXPECT_EQ(r.commentLength, 5);
    EXPECT_EQ(r.commentPosition, 1172u);
    EXPECT_FALSE(r.zip64);
}

TEST(EndCentral, LongestCommentIsFoundAndALaterSignatureWins) {
    TEndCentral w;
    w.totalEntries = 7;
    std::string comment(65535, 'c');
    w.setComment(comment);
    TMemoryStream m;
    m.writeBuffer("lead", 4);
    w.write(m);
    TEndCentral r;
    ASSERT_TRUE(r.find(m));
    EXPECT_EQ(r.totalEntries, 7u);
    EXPECT_EQ(r.endRecordPosition, 4u);

    // A record-like signature inside the comment, nearer the end, is taken first.
    std::string fake(22, '\0');
    putU32(reinterpret_cast<std::uint8_t*>(fake.data()), kEndCentralSignature);
    fake[10] = 9;
    TEndCentral w2;
    w2.totalEntries = 1;
    w2.setComment("abc" + fake);
    TMemoryStream m2;
    w2.write(m2);
    ASSERT_TRUE(r.find(m2));
    EXPECT_EQ(r.totalEntries, 9u);
}

TEST(EndCentral, Zip64RecordsAreWrittenAndReadWhenCountsOverflow) {
    TEndCentral w;
    w.totalEntries = w.entriesThisDisk = 70000;
    w.centralSize = 5000000;
    w.centralOffset = 0x100000000ull;
    TMemoryStream m;
    w.write(m);
    EXPECT_EQ(m.size(), 56 + 20 + 22);
    EXPECT_EQ(getU16(at(m, 76 + 10)), 0xFFFF);
    TEndCentral r;
    ASSERT_TRUE(r.find(m));
    EXPECT_TRUE(r.zip64);
    EXPECT_EQ(r.totalEntries, 70000u);
    EXPECT_EQ(r.centralOffset, 0x100000000ull);
}

TEST(DosDateTime, InRangeValuesAreKept) {
    std::uint32_t v = (44u << 25) | (2u << 21) | (29u << 16) | (23u << 11) | (59u << 5) | 29u;
    EXPECT_EQ(normalizeDosDateTime(v), v);
}

TEST(DosDateTime, ZeroReadsAsTheFirstDayOf1980) {
    std::uint32_t v = normalizeDosDateTime(0);
    auto dt = dosDateTimeToDateTime(v);
    ASSERT_TRUE(dt);
    auto parts = platform::decodeDateTime(*dt);
    EXPECT_EQ(parts.year, 1980);
    EXPECT_EQ(parts.month, 1);
    EXPECT_EQ(parts.day, 1);
    EXPECT_EQ(parts.hour, 0);
}

TEST(DosDateTime, EachFieldIsClampedOnItsOwn) {
    std::uint32_t v = (127u << 25) | (15u << 21) | (1u << 16) | (31u << 11) | (63u << 5) | 31u;
    std::uint32_t n = normalizeDosDateTime(v);
    EXPECT_EQ(n & 0x1F, 29u);
    EXPECT_EQ((n >> 5) & 0x3F, 59u);
    EXPECT_EQ((n >> 11) & 0x1F, 23u);
    EXPECT_EQ((n >> 21) & 0x0F, 12u);
    EXPECT_EQ(n >> 25, 119u);
    auto parts = platform::decodeDateTime(*dosDateTimeToDateTime(n));
    EXPECT_EQ(parts.second, 58);
    EXPECT_EQ(parts.year, 2099);
}

TEST(DosDateTime, ImpossibleDayHasNoDateTime) {
    std::uint32_t feb30 = (44u << 25) | (2u << 21) | (30u << 16);
    EXPECT_FALSE(dosDateTimeToDateTime(feb30));
}

}  // namespace
}  // namespace zb::zip
