// The archive list of a folder: which files are listed, their size and date columns,
// the sort by the stored preference, an empty or missing folder, and deleting chosen
// archives after the user agrees.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DateFormat.h"
#include "platform/FileSystem.h"
#include "restore/ArchiveFolder.h"
#include "support/FixedFormats.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"

namespace zb::restore {
namespace {

namespace fs = std::filesystem;

class ArchiveFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
    }
    // A file of `size` bytes last written at the given local time.
    fs::path make(const std::string& name, std::size_t size, platform::DateTime when) {
        auto p = dir.write(name, std::string(size, 'z'));
        platform::setFileTimes(p, platform::localDateTimeToFileTime(when));
        return p;
    }
    static std::vector<std::string> names(const ArchiveListing& l) {
        std::vector<std::string> out;
        for (const auto& r : l.rows) out.push_back(r.Filename);
        return out;
    }
    zb::test::TempDir dir;
    platform::DateTime jan = platform::encodeDate(2024, 1, 15) + platform::encodeTime(8, 30, 0);
    platform::DateTime feb = platform::encodeDate(2024, 2, 10) + platform::encodeTime(23, 59, 58);
    platform::DateTime mar = platform::encodeDate(2024, 3, 2) + platform::encodeTime(10, 0, 0);
};

TEST_F(ArchiveFolderTest, ListsTheZipFilesOfTheFolderOnlyWithSizeAndDate) {
    make("A.zip", 20 * 1024 + 5, jan);
    make("b.zip", 3 * 1024, mar);
    make("small.zip", 1023, feb);
    make("UPPER.ZIP", 10, feb);
    make("notes.txt", 10, feb);
    make("a.zip.bak", 10, feb);
    make(".hidden.zip", 10, feb);  // names with a leading dot are ordinary names here
    make("sub/inner.zip", 10, feb);
    fs::create_directories(dir / "folder.zip");

    auto listing = DirectoryViewChange(dir.path().string(), SortColumn::Name, false);
    EXPECT_EQ(names(listing), (std::vector<std::string>{".hidden.zip", "A.zip", "UPPER.ZIP", "b.zip", "small.zip"}));
    EXPECT_EQ(listing.countLabel, "(Total 5 files)");
    EXPECT_EQ(listing.rows[1].SizeKb, "20");
    EXPECT_EQ(listing.rows[1].Date, "15/01/2024 08:30:00");
    EXPECT_EQ(listing.rows[3].SizeKb, "3");
    EXPECT_EQ(listing.rows[4].SizeKb, "0");
    EXPECT_EQ(listing.rows[4].Date, "10/02/2024 23:59:58");
}

TEST_F(ArchiveFolderTest, SortsByTheChosenColumnAndDirection) {
    make("A.zip", 20 * 1024, jan);
    make("b.zip", 3 * 1024, mar);
    make("c.zip", 100 * 1024, feb);
    const std::string folder = dir.path().string() + "/";  // a trailing separator changes nothing
    EXPECT_EQ(names(DirectoryViewChange(folder, SortColumn::Date, false)),
              (std::vector<std::string>{"A.zip", "c.zip", "b.zip"}));
    EXPECT_EQ(names(DirectoryViewChange(folder, SortColumn::Date, true)),
              (std::vector<std::string>{"b.zip", "c.zip", "A.zip"}));
    EXPECT_EQ(names(DirectoryViewChange(folder, SortColumn::Size, false)),
              (std::vector<std::string>{"c.zip", "A.zip", "b.zip"}));
    EXPECT_EQ(names(DirectoryViewChange(folder, SortColumn::Name, true)),
              (std::vector<std::string>{"c.zip", "b.zip", "A.zip"}));
}

TEST_F(ArchiveFolderTest, EmptyOrMissingFolderListsNothing) {
    auto empty = DirectoryViewChange(dir.path().string(), SortColumn::Date, false);
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(empty.countLabel, "(Total 0 files)");
    auto missing = DirectoryViewChange((dir / "nope").string(), SortColumn::Date, false);
    EXPECT_TRUE(missing.rows.empty());
    EXPECT_EQ(missing.countLabel, "(Total 0 files)");
    EXPECT_TRUE(DirectoryViewChange((dir / "*").string(), SortColumn::Date, false).rows.empty());
}

TEST_F(ArchiveFolderTest, ArchivePathsWithAndWithoutTrailingSeparator) {
    EXPECT_EQ(ArchivePathIn("/data/Backup", "p1.zip"), "/data/Backup/p1.zip");
    EXPECT_EQ(ArchivePathIn("/data/Backup/", "p1.zip"), "/data/Backup/p1.zip");
    EXPECT_EQ(ArchivePathIn("", "p1.zip"), "p1.zip");
}

TEST_F(ArchiveFolderTest, DeletesExactlyTheChosenArchivesAfterYes) {
    for (const char* n : {"1.zip", "2.zip", "3.zip", "4.zip", "5.zip"}) make(n, 1, jan);
    zb::test::FakeUi ui;
    ui.confirmAnswers = {false, true};
    const std::vector<std::string> chosen = {"3.zip", "4.zip", "5.zip"};
    EXPECT_FALSE(DeleteArchives(ui, dir.path().string(), chosen));
    EXPECT_EQ(DirectoryViewChange(dir.path().string(), SortColumn::Name, false).rows.size(), 5u);
    EXPECT_TRUE(DeleteArchives(ui, " " + dir.path().string() + " ", chosen));
    EXPECT_EQ(names(DirectoryViewChange(dir.path().string(), SortColumn::Name, false)),
              (std::vector<std::string>{"1.zip", "2.zip"}));
    ASSERT_EQ(ui.questions().size(), 2u);
    EXPECT_EQ(ui.questions()[0].text, "Do you want to delete the 3 files ");
    EXPECT_EQ(ui.questions()[0].kind, platform::MessageKind::Warning);
}

}  // namespace
}  // namespace zb::restore
