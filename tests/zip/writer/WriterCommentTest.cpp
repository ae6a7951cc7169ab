// The archive comment: written into new archives, kept by updates, carried into the
// current archive when the name changes, and the modified mark that decides it.
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using zb::test::listArchive;
using zb::test::TempDir;

class WriterCommentTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = dir.write("a.txt", "aaa").string();
        zip = (dir / "c.zip").string();
        w.SetZipName(zip);
    }
    TempDir dir;
    std::string file, zip;
    TZipWriter w;
};

TEST_F(WriterCommentTest, ANewArchiveGetsTheCommentAndKeepsItForTheNextNewOne) {
    w.SetArchiveComment("weekly backup");
    w.FilesList = {file};
    w.Zip();
    EXPECT_EQ(listArchive(zip).comment, "weekly backup");
    EXPECT_EQ(w.ArchiveComment(), "weekly backup");
    EXPECT_TRUE(w.EndCentral().modified);
    // The next run to the same name, after the archive was removed, writes it again.
    fs::remove(zip);
    w.FilesList = {file};
    w.Zip();
    EXPECT_EQ(listArchive(zip).comment, "weekly backup");
}

TEST_F(WriterCommentTest, AnUpdateKeepsTheArchivesComment) {
    w.SetArchiveComment("kept");
    w.FilesList = {file};
    w.Zip();
    TZipWriter other;
    other.SetZipName(zip);
    other.FilesList = {dir.write("b.txt", "b").string()};
    other.Zip();
    EXPECT_EQ(listArchive(zip).comment, "kept");
    EXPECT_EQ(other.ArchiveComment(), "kept");
    EXPECT_FALSE(other.EndCentral().modified);
}

TEST_F(WriterCommentTest, AnUpdateTakesANewCommentAndClearsTheMark) {
    w.FilesList = {file};
    w.Zip();
    w.SetArchiveComment("changed");
    w.FilesList = {dir.write("b.txt", "b").string()};
    w.Zip();
    EXPECT_EQ(listArchive(zip).comment, "changed");
    EXPECT_FALSE(w.EndCentral().modified);
}

TEST_F(WriterCommentTest, ANewNameFirstWritesAChangedCommentIntoTheCurrentArchive) {
    w.FilesList = {file};
    w.Zip();
    const auto before = listArchive(zip);
    w.SetArchiveComment("written on leaving");
    w.FilesList = {dir.write("b.txt", "b").string()};  // dropped: only the comment goes in
    w.SetZipName((dir / "next.zip").string());
    const auto after = listArchive(zip);
    EXPECT_EQ(after.comment, "written on leaving");
    ASSERT_EQ(after.members.size(), before.members.size());
    EXPECT_EQ(after.members[0].name, "a.txt");
    EXPECT_TRUE(w.FilesList.empty());
    EXPECT_EQ(w.ZipName(), (dir / "next.zip").string());
    EXPECT_EQ(w.ArchiveComment(), "");
    EXPECT_FALSE(fs::exists(dir / "next.zip"));
}

TEST_F(WriterCommentTest, ANewNameDoesNotCreateAnArchiveJustForAComment) {
    w.SetArchiveComment("nowhere to go");
    w.SetZipName((dir / "other.zip").string());
    EXPECT_FALSE(fs::exists(zip));
    EXPECT_FALSE(fs::exists(dir / "other.zip"));
}

TEST_F(WriterCommentTest, TheLongestCommentFitsItsField) {
    w.SetArchiveComment(std::string(70000, 'c'));
    w.FilesList = {file};
    w.Zip();
    const auto list = listArchive(zip);
    EXPECT_EQ(list.comment, std::string(65535, 'c'));
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
    EXPECT_EQ(zb::test::pythonTest(zip).status, 0);
}

}  // namespace
}  // namespace zb::zip
