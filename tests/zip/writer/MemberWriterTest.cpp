// One member from one file: header values, stored and deflated data, encryption with
// a correct check byte, files that shrink or grow while they are read, the ZIP64
// decision, and the output file's in-place rewrite and cut-back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/TempDir.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/writer/MemberWriter.h"

namespace zb::zip {
namespace {

using zb::test::readFile;
using zb::test::TempDir;

std::string inflateRaw(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    std::string out(1 << 16, '\0');
    std::string result;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    int rc;
    do {
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        result.append(out.data(), out.size() - z.avail_out);
    } while (rc == Z_OK);
    EXPECT_EQ(rc, Z_STREAM_END);
    inflateEnd(&z);
    return result;
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(gen());
    return s;
}

class MemberWriterTest : public ::testing::Test {
protected:
    // Writes `content` as one member and returns the archive bytes.
    std::string writeMember(const std::string& content, int level, const std::string& password = {},
                            bool forceZip64 = false) {
        const auto src = dir.write("src.bin", content);
        ZipInputFile::OpenResult result;
        auto in = ZipInputFile::open(src, result);
        EXPECT_TRUE(in);
        ZipOutputFile out(dir / "out.zip", false);
        out.write("prefix", 6);  // the member does not start at 0
        Deflater deflater;
        reads = 0;
        writes = 0;
        MemberWriter writer(out, deflater, {[&](std::size_t n) { reads += n; }, [&] { ++writes; }});
        member = WriterMember();
        member.name = "src.bin";
        EXPECT_EQ(writer.write(*in, member, level, password, forceZip64), MemberWriter::Outcome::Written);
        out.close();
        return readFile(dir / "out.zip");
    }
    std::string dataOf(const std::string& archive) {
        const std::size_t header = localHeaderSize(member);
        return archive.substr(6 + header, std::size_t(member.compressedSize));
    }

    TempDir dir;
    WriterMember member;
    std::uint64_t reads = 0;
    int writes = 0;
};

TEST_F(MemberWriterTest, StoredMemberHasItsBytesAndFinalHeader) {
    const std::string content = randomBytes(100000, 1);
    const std::string zip = writeMember(content, 0);
    EXPECT_EQ(member.method, 0);
    EXPECT_EQ(member.localOffset, 6u);
    EXPECT_EQ(member.compressedSize, content.size());
    EXPECT_EQ(member.uncompressedSize, content.size());
    EXPECT_EQ(member.crc, crc32(content.data(), content.size()));
    EXPECT_EQ(member.internalAttributes, 0);
    EXPECT_EQ(dataOf(zip), content);
    // The header on disk was rewritten with the final values.
    EXPECT_EQ(zip.substr(6, localHeaderSize(member)), localHeaderBytes(member));
    EXPECT_EQ(zip.size(), 6 + localHeaderSize(member) + content.size());
    EXPECT_EQ(reads, content.size());
    EXPECT_EQ(writes, 4);  // 32 KiB blocks
}

TEST_F(MemberWriterTest, DeflatedMemberInflatesToTheFile) {
    std::string content;
    for (int i = 0; i < 5000; ++i) content += "line " + std::to_string(i % 37) + " of some text\n";
    for (int level : {1, 6, 9}) {
        const std::string zip = writeMember(content, level);
        EXPECT_EQ(member.method, 8) << level;
        EXPECT_LT(member.compressedSize, content.size() / 4);
        EXPECT_EQ(member.internalAttributes, 1);
        EXPECT_EQ(member.flags, level == 1 ? 4 : level == 9 ? 2 : 0);
        EXPECT_EQ(inflateRaw(dataOf(zip)), content);
        EXPECT_EQ(member.crc, crc32(content.data(), content.size()));
    }
}

TEST_F(MemberWriterTest, EmptyFileGivesAnEmptyStoredMember) {
    writeMember("", 6);
    EXPECT_EQ(member.method, 0);
    EXPECT_EQ(member.compressedSize, 0u);
    EXPECT_EQ(member.uncompressedSize, 0u);
    EXPECT_EQ(member.crc, 0u);
    writeMember("", 6, "pw");
    EXPECT_EQ(member.compressedSize, 12u);
    EXPECT_EQ(member.flags & 1, 1);
}

TEST_F(MemberWriterTest, EncryptedMemberDecryptsWithTheCheckByteOfItsCrc) {
    const std::string content = randomBytes(70000, 2) + std::string(50000, 'x');
    for (int level : {0, 6}) {
        const std::string zip = writeMember(content, level, "secret");
        EXPECT_EQ(member.flags & 1, 1);
        std::string data = dataOf(zip);
        ZipCrypto cipher("secret");
        cipher.decrypt(reinterpret_cast<std::uint8_t*>(data.data()), data.size());
        EXPECT_EQ(std::uint8_t(data[11]), std::uint8_t(member.crc >> 24));
        EXPECT_EQ(std::uint8_t(data[10]), std::uint8_t(member.crc >> 16));
        const std::string plain = data.substr(12);
        EXPECT_EQ(member.method == 8 ? inflateRaw(plain) : plain, content);
    }
}

TEST_F(MemberWriterTest, EncryptionHeadersDifferBetweenMembers) {
    const std::string content = "same content";
    const std::string a = dataOf(writeMember(content, 0, "pw")).substr(0, 10);
    const std::string b = dataOf(writeMember(content, 0, "pw")).substr(0, 10);
    EXPECT_NE(a, b);
}

TEST_F(MemberWriterTest, AFileThatGrowsIsReadToItsNewEnd) {
    const auto src = dir.write("grow.txt", std::string(40000, 'a'));
    ZipInputFile::OpenResult result;
    auto in = ZipInputFile::open(src, result);
    ASSERT_TRUE(in);
    std::ofstream(src, std::ios::app) << std::string(30000, 'b');
    ZipOutputFile out(dir / "out.zip", false);
    Deflater deflater;
    MemberWriter writer(out, deflater, {});
    WriterMember m;
    m.name = "grow.txt";
    ASSERT_EQ(writer.write(*in, m, 6, {}, false), MemberWriter::Outcome::Written);
    out.close();
    const std::string expect = std::string(40000, 'a') + std::string(30000, 'b');
    EXPECT_TRUE(in->changedSinceOpened());
    EXPECT_EQ(m.uncompressedSize, 70000u);
    EXPECT_EQ(m.crc, crc32(expect.data(), expect.size()));
    EXPECT_EQ(inflateRaw(readFile(dir / "out.zip").substr(localHeaderSize(m))), expect);
}

TEST_F(MemberWriterTest, AFileThatShrinksGivesAMemberOfWhatWasRead) {
    const auto src = dir.write("shrink.txt", std::string(100000, 'a'));
    ZipInputFile::OpenResult result;
    auto in = ZipInputFile::open(src, result);
    ASSERT_TRUE(in);
    std::filesystem::resize_file(src, 1234);
    ZipOutputFile out(dir / "out.zip", false);
    Deflater deflater;
    MemberWriter writer(out, deflater, {});
    WriterMember m;
    m.name = "shrink.txt";
    ASSERT_EQ(writer.write(*in, m, 0, {}, false), MemberWriter::Outcome::Written);
    out.close();
    EXPECT_EQ(m.uncompressedSize, 1234u);
    EXPECT_EQ(m.compressedSize, 1234u);
    const std::string expect(1234, 'a');
    EXPECT_EQ(m.crc, crc32(expect.data(), expect.size()));
    const std::string zip = readFile(dir / "out.zip");
    EXPECT_EQ(zip.size(), localHeaderSize(m) + 1234);
    EXPECT_EQ(zip.substr(0, localHeaderSize(m)), localHeaderBytes(m));
}

TEST_F(MemberWriterTest, AnEncryptedFileThatChangesBetweenItsTwoPassesIsReported) {
    const auto src = dir.write("changing.txt", std::string(100000, 'a'));
    ZipInputFile::OpenResult result;
    auto in = ZipInputFile::open(src, result);
    ASSERT_TRUE(in);
    ZipOutputFile out(dir / "out.zip", false);
    Deflater deflater;
    bool changed = false;
    // The first read of the data pass comes after the CRC pass: change the file then.
    MemberWriter writer(out, deflater,
                        {[&](std::size_t) {
                             if (!changed) {
                                 changed = true;
                                 std::fstream f(src, std::ios::in | std::ios::out | std::ios::binary);
                                 f.seekp(90000);
                                 f.put('z');
                             }
                         },
                         {}});
    WriterMember m;
    m.name = "changing.txt";
    EXPECT_EQ(writer.write(*in, m, 0, "pw", false), MemberWriter::Outcome::SourceChanged);
}

TEST_F(MemberWriterTest, Zip64IsDecidedFromTheSizeWithAMargin) {
    EXPECT_FALSE(memberNeedsZip64(0));
    EXPECT_FALSE(memberNeedsZip64(4'000'000'000ull));
    EXPECT_TRUE(memberNeedsZip64(0xFFFFFFFFull));
    EXPECT_TRUE(memberNeedsZip64(0xFFFFFFFFull - 100));  // no room for block overhead
    EXPECT_TRUE(memberNeedsZip64(5'000'000'000ull));
    // A forced ZIP64 header on a small member carries the sizes in its extra field.
    const std::string zip = writeMember("hello", 0, {}, true);
    EXPECT_TRUE(member.zip64Local);
    EXPECT_EQ(zip.substr(6, localHeaderSize(member)), localHeaderBytes(member));
    EXPECT_EQ(getU32(zip.data() + 6 + 18), 0xFFFFFFFFu);
    EXPECT_EQ(zip.substr(6 + localHeaderSize(member)), "hello");
}

TEST(ZipOutputFileTest, RewriteReachesBothTheBufferAndTheFile) {
    TempDir dir;
    ZipOutputFile out(dir / "o.bin", false);
    const std::string big(300 * 1024, 'x');  // beyond the buffer: goes to the file
    out.write("0123456789", 10);
    out.write(big.data(), big.size());
    out.write("tail", 4);
    out.rewrite(2, "AB", 2);
    out.rewrite(10 + big.size() - 1, "YZ", 2);  // across the file and the buffer
    out.close();
    const std::string data = readFile(dir / "o.bin");
    EXPECT_EQ(data.size(), 10 + big.size() + 4);
    EXPECT_EQ(data.substr(0, 10), "01AB456789");
    EXPECT_EQ(data.substr(10 + big.size() - 1), "YZail");
}

TEST(ZipOutputFileTest, TruncateCutsBackInBufferAndFile) {
    TempDir dir;
    {
        ZipOutputFile out(dir / "o.bin", false);
        out.write("abcdef", 6);
        out.truncate(3);
        out.write("XY", 2);
        out.close();
        EXPECT_EQ(readFile(dir / "o.bin"), "abcXY");
    }
    {
        ZipOutputFile out(dir / "p.bin", false);
        const std::string big(400 * 1024, 'q');
        out.write(big.data(), big.size());
        out.truncate(5);
        EXPECT_EQ(out.position(), 5u);
        out.write("!", 1);
        out.close();
        EXPECT_EQ(readFile(dir / "p.bin"), "qqqqq!");
    }
}

TEST(ZipOutputFileTest, AFolderThatCannotTakeTheFileIsNotEnoughRoom) {
    TempDir dir;
    EXPECT_THROW(ZipOutputFile(dir / "missing" / "o.bin", false), ENotEnoughRoom);
}

TEST(ZipOutputFileTest, AWriteBeyondTheFileSizeLimitIsNotEnoughRoom) {
    TempDir dir;
    const auto path = dir / "limited.bin";
    // In a child under a 100 KiB file-size limit: 0 = raised at the write, 1 = not raised.
    const int rc = zb::test::runInChild(
        [&] {
            ZipOutputFile out(path, false);
            const std::string block(64 * 1024, 'x');
            try {
                for (int i = 0; i < 8; ++i) out.write(block.data(), block.size());
                out.close();
            } catch (const ENotEnoughRoom& e) {
                return std::string(e.what()) == "Not enough room to write archive" ? 0 : 2;
            }
            return 1;
        },
        false, 100 * 1024);
    EXPECT_EQ(rc, 0);
}

TEST(ZipInputFileTest, SpecialAndMissingFilesAreNotOpened) {
    TempDir dir;
    ZipInputFile::OpenResult result;
    EXPECT_FALSE(ZipInputFile::open(dir / "none", result));
    EXPECT_EQ(result, ZipInputFile::OpenResult::Missing);
    EXPECT_FALSE(ZipInputFile::open(dir.path(), result));
    EXPECT_EQ(result, ZipInputFile::OpenResult::NotRegular);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ZipInputFile::open(dir / "fifo", result));  // would block if opened for reading
    EXPECT_EQ(result, ZipInputFile::OpenResult::NotRegular);
    dir.write(".dot", "x");
    auto in = ZipInputFile::open(dir / ".dot", result);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->attributes(), 0x22u);
}

}  // namespace
}  // namespace zb::zip
