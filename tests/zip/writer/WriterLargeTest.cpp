// Archives beyond the classic limits: a member of more than 4 GiB (from a sparse file,
// so it costs little disk), members that start beyond 4 GiB, and more than 65,535
// members. Each must carry the ZIP64 records, pass the peers' tests and read back
// through our own reader. These are the slowest tests of the writer; under the
// sanitizers the two that move gigabytes take many minutes, so that build leaves them
// to the default one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using zb::test::listArchive;
using zb::test::runCommand;
using zb::test::shellQuote;
using zb::test::TempDir;

constexpr std::uint64_t kOverFourGiB = (4ull << 30) + (64ull << 10) + 12345;

#if defined(__SANITIZE_ADDRESS__)
#define ZB_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZB_SANITIZED 1
#endif
#endif

class WriterLargeTest : public ::testing::Test {
protected:
    // For the tests that move gigabytes; many members are few bytes and run everywhere.
    static bool gigabytesTooSlowHere() {
#ifdef ZB_SANITIZED
        return true;
#else
        return false;
#endif
    }
    // A file of `size` bytes that holds one marker block near its end and is a hole
    // everywhere else.
    fs::path sparseFile(const std::string& name, std::uint64_t size) {
        const fs::path p = dir / name;
        const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        const std::string marker = "the end of a very large file\n";
        EXPECT_EQ(::pwrite(fd, marker.data(), marker.size(), off_t(size - marker.size())), ssize_t(marker.size()));
        ::close(fd);
        return p;
    }
    void expectPeersPass(const fs::path& zip) {
        const auto u = zb::test::unzipTest(zip);
        EXPECT_EQ(u.status, 0) << u.output;
        const auto s = zb::test::sevenZipTest(zip);
        EXPECT_EQ(s.status, 0) << s.output;
    }
    // Our own reader lists the members and decodes each with a correct CRC.
    void expectOurReaderPasses(const fs::path& zip, int members) {
        TZipReader reader;
        reader.SetZipName(zip.string());
        reader.ReadDirectory();
        ASSERT_EQ(reader.MemberCount(), members);
        reader.DoAll = true;
        EXPECT_EQ(reader.UnZipToBuffer(), members);
    }
    TempDir dir;
};

TEST_F(WriterLargeTest, AMemberOfMoreThanFourGiB) {
    if (gigabytesTooSlowHere())
        GTEST_SKIP() << "gigabytes through the sanitizers take too long; the default build runs this test";
    const fs::path big = sparseFile("big.img", kOverFourGiB);
    const fs::path small = dir.write("after.txt", "after the big one");
    const fs::path zip = dir / "big.zip";
    TZipWriter w;
    w.SetZipName(zip.string());
    w.SetPackLevel(1);
    w.FilesList = {big.string(), small.string()};
    ASSERT_EQ(w.Zip(), 2);
    const auto list = listArchive(zip);
    ASSERT_EQ(list.members.size(), 2u);
    EXPECT_EQ(list.members[0].uncompressedSize, kOverFourGiB);
    EXPECT_TRUE(list.members[0].keepZip64Uncompressed);  // the size stands in the ZIP64 field
    EXPECT_EQ(list.members[0].versionNeeded, 45);
    EXPECT_EQ(list.members[1].versionNeeded, 20);  // the small one needs nothing of it
    EXPECT_FALSE(list.zip64End);
    expectPeersPass(zip);
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " after.txt").output, "after the big one");
    expectOurReaderPasses(zip, 2);
    TZipReader reader;
    reader.SetZipName(zip.string());
    reader.ReadDirectory();
    EXPECT_EQ(reader.Member(0).uncompressedSize, kOverFourGiB);
}

TEST_F(WriterLargeTest, MembersThatStartBeyondFourGiB) {
    if (gigabytesTooSlowHere())
        GTEST_SKIP() << "gigabytes through the sanitizers take too long; the default build runs this test";
    const std::uint64_t free = platform::freeSpace(dir.path());
    if (free < kOverFourGiB + (1ull << 30))
        GTEST_SKIP() << "needs " << ((kOverFourGiB >> 20) + 1024) << " MiB free in " << dir.path() << ", has "
                     << (free >> 20) << " MiB";
    const fs::path big = sparseFile("big.img", kOverFourGiB);
    std::vector<std::string> files{big.string()};
    for (int i = 0; i < 3; ++i)
        files.push_back(dir.write("late" + std::to_string(i) + ".txt", "late " + std::to_string(i)).string());
    const fs::path zip = dir / "far.zip";
    TZipWriter w;
    w.SetZipName(zip.string());
    w.SetPackLevel(0);
    w.FilesList = files;
    ASSERT_EQ(w.Zip(), 4);
    fs::remove(big);
    const auto list = listArchive(zip);
    ASSERT_EQ(list.members.size(), 4u);
    EXPECT_EQ(list.members[0].compressedSize, kOverFourGiB);
    for (int i = 1; i < 4; ++i) EXPECT_GT(list.members[std::size_t(i)].localOffset, 0xFFFFFFFFull);
    EXPECT_TRUE(list.zip64End);  // the directory itself starts beyond 4 GiB
    expectPeersPass(zip);
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " late2.txt").output, "late 2");
    expectOurReaderPasses(zip, 4);

    // An update copies the far members and keeps them readable.
    const fs::path more = dir.write("more.txt", "more");
    TZipWriter u;
    u.SetZipName(zip.string());
    u.FilesList = {more.string()};
    ASSERT_EQ(u.Zip(), 1);
    // (Testing all 4 GiB again would double the run time: the listing and the far
    // members read through the peer and our reader show the copy sound.)
    const auto copied = listArchive(zip);
    ASSERT_EQ(copied.members.size(), 5u);
    for (int i = 1; i < 5; ++i) EXPECT_GT(copied.members[std::size_t(i)].localOffset, 0xFFFFFFFFull);
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " late1.txt").output, "late 1");
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " more.txt").output, "more");
    TZipReader reader;
    reader.SetZipName(zip.string());
    reader.ReadDirectory();
    EXPECT_EQ(reader.MemberCount(), 5);
}

TEST_F(WriterLargeTest, SeventyThousandEmptyFiles) {
    const int count = 70000;
    for (int i = 0; i < count; ++i) {
        const fs::path p = dir / "many" / ("d" + std::to_string(i / 1000)) / ("f" + std::to_string(i));
        if (i % 1000 == 0) fs::create_directories(p.parent_path());
        const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const fs::path zip = dir / "many.zip";
    TZipWriter w;
    w.SetZipName(zip.string());
    w.SetRelativePaths(true);
    w.SetRootDir((dir / "many").string());
    w.FilesList = {(dir / "many").string() + "/*"};
    ASSERT_EQ(w.Zip(), count);
    const auto list = listArchive(zip);
    EXPECT_EQ(list.members.size(), std::size_t(count));
    EXPECT_TRUE(list.zip64End);
    expectPeersPass(zip);
    expectOurReaderPasses(zip, count);
}

}  // namespace
}  // namespace zb::zip
