// Writes that fail part-way: a file-size limit on the process stands in for a full
// disk, a folder that refuses new files for a write error. The run must raise "Not
// enough room to write archive", leave no file of its own behind, and leave an
// existing archive byte for byte as it was.
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using zb::test::readFile;
using zb::test::runInChild;
using zb::test::TempDir;

constexpr std::uint64_t kLimit = 256 * 1024;

// 0: the run raised ENotEnoughRoom with its text; 1: it succeeded; 2: another error.
int zipExpectingNoRoom(TZipWriter& w) {
    try {
        w.Zip();
        return 1;
    } catch (const ENotEnoughRoom& e) {
        return std::string(e.what()) == "Not enough room to write archive" ? 0 : 3;
    } catch (...) {
        return 2;
    }
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string incompressible(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 99;
    for (char& c : s) {
        x = x * 1664525 + 1013904223;
        c = char(x >> 24);
    }
    return s;
}

class WriterFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir / "out");
        big = dir.write("src/big.bin", incompressible(600 * 1024)).string();
        small = dir.write("src/small.txt", "small").string();
    }
    TempDir dir;
    std::string big, small;
};

TEST_F(WriterFaultTest, AFullDiskWhileCreatingLeavesNoArchive) {
    const fs::path zip = dir / "out" / "new.zip";
    for (int level : {0, 6}) {
        const int rc = runInChild(
            [&] {
                TZipWriter w;
                w.SetZipName(zip.string());
                w.SetPackLevel(level);
                w.FilesList = {small, big};
                return zipExpectingNoRoom(w);
            },
            false, kLimit);
        EXPECT_EQ(rc, 0) << level;
        EXPECT_TRUE(entriesOf(dir / "out").empty());
    }
}

TEST_F(WriterFaultTest, AFullDiskWhileUpdatingLeavesTheOldArchiveByteIdentical) {
    const fs::path zip = dir / "out" / "old.zip";
    {
        TZipWriter w;
        w.SetZipName(zip.string());
        w.SetArchiveComment("the old one");
        w.FilesList = {small};
        ASSERT_EQ(w.Zip(), 1);
    }
    const std::string before = readFile(zip);
    for (const std::string password : {"", "pw"}) {
        const int rc = runInChild(
            [&] {
                TZipWriter w;
                w.SetZipName(zip.string());
                w.Password = password;
                w.FilesList = {big};
                return zipExpectingNoRoom(w);
            },
            false, kLimit);
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(readFile(zip), before);
        EXPECT_EQ(entriesOf(dir / "out"), (std::vector<std::string>{"old.zip"}));
    }
}

TEST_F(WriterFaultTest, TheLimitReachedInTheCentralDirectoryIsCaughtToo) {
    // Members that fit, a directory that does not: 300 files of 800 bytes, stored.
    std::vector<std::string> files;
    const std::string name(150, 'n');
    for (int i = 0; i < 300; ++i)
        files.push_back(dir.write("many/" + name + std::to_string(i), std::string(800, char('a' + i % 26))).string());
    const fs::path zip = dir / "out" / "dir.zip";
    const int rc = runInChild(
        [&] {
            TZipWriter w;
            w.SetZipName(zip.string());
            w.SetPackLevel(0);
            w.FilesList = files;
            return zipExpectingNoRoom(w);
        },
        false, 300 * (30 + 153 + 800) + 1000);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(entriesOf(dir / "out").empty());
}

TEST_F(WriterFaultTest, AFolderThatRefusesNewFilesFailsCleanly) {
    const fs::path zip = dir / "out" / "kept.zip";
    {
        TZipWriter w;
        w.SetZipName(zip.string());
        w.FilesList = {small};
        ASSERT_EQ(w.Zip(), 1);
    }
    const std::string before = readFile(zip);
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir / "src", fs::perms::all);
    fs::permissions(dir / "out", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(zip, fs::perms::all);  // the file itself may be written, the folder not
    const int rc = runInChild(
        [&] {
            TZipWriter update;
            update.SetZipName(zip.string());
            update.FilesList = {big};
            if (zipExpectingNoRoom(update) != 0) return 10;
            TZipWriter create;
            create.SetZipName((dir / "out" / "fresh.zip").string());
            create.FilesList = {small};
            return zipExpectingNoRoom(create);
        },
        true);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(zip), before);
    EXPECT_EQ(entriesOf(dir / "out"), (std::vector<std::string>{"kept.zip"}));
}

}  // namespace
}  // namespace zb::zip
