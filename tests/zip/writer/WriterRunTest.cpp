// Zip runs that create an archive: members and their records, levels and storing,
// the events in their order, files left out and why, cancelling, and the empty run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"

namespace zb::zip {
namespace {

using zb::test::listArchive;
using zb::test::memberNames;
using zb::test::readFile;
using zb::test::TempDir;

class WriterRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        zip = (dir / "out.zip").string();
        w.SetZipName(zip);
        in = (dir / "in").string() + "/";
        text = "";
        for (int i = 0; i < 3000; ++i) text += "row " + std::to_string(i % 50) + " of the table\n";
        dir.write("in/a.txt", text);
        dir.write("in/b.bin", std::string(5000, '\x01'));
        dir.write("in/empty.txt", "");
        dir.write("in/sub/c.txt", "cccc");
    }
    TempDir dir;
    TZipWriter w;
    std::string zip, in, text;
};

TEST_F(WriterRunTest, EmptyZipNameWritesNothingAndCompletesWithZero) {
    w.SetZipName("  ");
    w.FilesList = {in + "a.txt"};
    int completed = -1;
    w.OnZipComplete = [&](TZipWriter&, int n) { completed = n; };
    EXPECT_EQ(w.Zip(), 0);
    EXPECT_EQ(completed, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "  "));
}

TEST_F(WriterRunTest, NewArchiveHoldsEachFileUnderItsName) {
    w.FilesList = {in + "a.txt", in + "b.bin", in + "empty.txt"};
    int completed = -1;
    w.OnZipComplete = [&](TZipWriter&, int n) { completed = n; };
    EXPECT_EQ(w.Zip(), 3);
    EXPECT_EQ(completed, 3);
    EXPECT_TRUE(w.FilesList.empty());
    const auto list = listArchive(zip);
    ASSERT_EQ(list.members.size(), 3u);
    EXPECT_EQ(list.members[0].name, "a.txt");
    EXPECT_EQ(list.members[0].method, 8);
    EXPECT_EQ(list.members[0].internalAttributes, 1);
    EXPECT_EQ(list.members[0].uncompressedSize, text.size());
    EXPECT_EQ(list.members[0].crc, crc32(text.data(), text.size()));
    EXPECT_EQ(list.members[0].localOffset, 0u);
    EXPECT_EQ(list.members[0].versionMadeBy, 0x0314);  // Unix host, format 2.0
    EXPECT_EQ(list.members[0].versionNeeded, 20);
    EXPECT_EQ(list.members[0].externalAttributes & 0xFFu, 0x20u);
    EXPECT_EQ(list.members[1].name, "b.bin");
    EXPECT_EQ(list.members[1].internalAttributes, 0);  // binary
    EXPECT_EQ(list.members[2].name, "empty.txt");
    EXPECT_EQ(list.members[2].method, 0);
    EXPECT_EQ(list.members[2].compressedSize, 0u);
    EXPECT_EQ(list.members[2].centralExtra.substr(0, 5), std::string("UT\x05\x00\x01", 5));  // time only
    EXPECT_FALSE(list.zip64End);
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

TEST_F(WriterRunTest, LevelZeroStoresEveryMember) {
    w.SetPackLevel(0);
    w.FilesList = {in + "a.txt", in + "empty.txt"};
    EXPECT_EQ(w.Zip(), 2);
    for (const auto& m : listArchive(zip).members) {
        EXPECT_EQ(m.method, 0);
        EXPECT_EQ(m.compressedSize, m.uncompressedSize);
        EXPECT_EQ(m.internalAttributes, 0);
        EXPECT_EQ(m.flags, 0);
    }
}

TEST_F(WriterRunTest, NoCompressListStoresMatchingNamesOnly) {
    w.SetNoCompressList({"*.TXT", "/elsewhere/*"});
    w.FilesList = {in + "a.txt", in + "b.bin"};
    w.Zip();
    const auto list = listArchive(zip);
    EXPECT_EQ(list.members[0].method, 0);
    EXPECT_EQ(list.members[0].compressedSize, text.size());
    EXPECT_EQ(list.members[1].method, 8);
}

TEST_F(WriterRunTest, ReadOnlyAndHiddenFilesKeepTheirAttributes) {
    dir.write("in/.hidden", "h");
    chmod((in + "a.txt").c_str(), 0444);
    w.FilesList = {in + "a.txt", in + ".hidden"};
    w.Zip();
    const auto list = listArchive(zip);
    EXPECT_EQ(list.members[0].externalAttributes, (0100444u << 16) | 0x21u);
    EXPECT_EQ(list.members[1].externalAttributes & 0xFFu, 0x22u);
}

// What a Linux file is comes back from the records: its type and permission bits in
// the upper half of the external attributes (host Unix) and its time in UTC seconds.
TEST_F(WriterRunTest, ModesAndUtcTimesAreInBothHeaders) {
    const struct {
        const char* name;
        mode_t mode;
        std::int64_t time;
    } files[] = {{"key", 0600, 1700000000}, {"run.sh", 0755, 1600000001}, {"plain.txt", 0644, 946684800}};
    w.SetAddDirEntriesOnRecurse(true);
    w.SetRecurse(true);
    w.SetRelativePaths(true);
    const std::string root = (dir / "m").string() + "/";
    w.SetRootDir(root);
    for (const auto& f : files) {
        const std::string path = root + "modes/" + f.name;
        dir.write("m/modes/" + std::string(f.name), f.name);
        ::chmod(path.c_str(), f.mode);
        const timespec times[2] = {{f.time, 0}, {f.time, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    ::chmod((root + "modes").c_str(), 0750);
    w.FilesList = {root + "*"};
    EXPECT_EQ(w.Zip(), 4);
    const auto list = listArchive(zip);
    ASSERT_EQ(list.members.size(), 4u);
    const std::string raw = readFile(zip);
    for (const auto& m : list.members) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(m.versionMadeBy >> 8, 3);
        struct stat st {};
        ASSERT_EQ(::stat((root + m.name).c_str(), &st), 0);
        EXPECT_EQ(m.externalAttributes >> 16, st.st_mode);
        // The same extended-timestamp block follows the name in the local header.
        const std::string block = m.centralExtra.substr(0, 9);
        ASSERT_EQ(block.size(), 9u);
        EXPECT_EQ(zb::zip::getU32(block.data() + 5), std::uint32_t(st.st_mtim.tv_sec));
        EXPECT_EQ(raw.substr(m.localOffset + 30 + m.name.size(), 9), block);
    }
    EXPECT_EQ(list.members[0].name, "modes/");
    EXPECT_EQ(list.members[0].externalAttributes >> 16, 040750u);
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

// Every file is read to its end: one the system reports as empty keeps its text, and
// one that grows or shrinks while it is packed is in the archive as read and reported.
TEST_F(WriterRunTest, FilesAreReadToTheirEndAndChangesAreReported) {
    const std::string proc = "/proc/version";
    const std::string procText = readFile(proc);
    ASSERT_FALSE(procText.empty());
    dir.write("in/grows.txt", "first part\n");
    dir.write("in/shrinks.txt", std::string(100000, 's'));
    std::vector<std::string> changed;
    w.OnFileChanged = [&](TZipWriter&, const std::string& path) { changed.push_back(path); };
    w.OnStartZip = [&](TZipWriter&, const std::string& path, TZipHeaderInfo&, bool&) {
        // The file is open by now: what happens to it from here is a change while packing.
        if (path == in + "grows.txt") dir.write("in/grows.txt", "first part\nand a second, longer part\n");
        if (path == in + "shrinks.txt") ::truncate(path.c_str(), 10);
    };
    w.FilesList = {proc, in + "grows.txt", in + "shrinks.txt", in + "a.txt"};
    EXPECT_EQ(w.Zip(), 4);
    EXPECT_EQ(changed, (std::vector<std::string>{in + "grows.txt", in + "shrinks.txt"}));
    const auto extracted =
        zb::test::runCommand("unzip -p " + zb::test::shellQuote(zip) + " version grows.txt shrinks.txt");
    EXPECT_EQ(extracted.output, procText + "first part\nand a second, longer part\n" + std::string(10, 's'));
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

TEST_F(WriterRunTest, PathsAreStoredAsAskedAndFolderEntriesAreFolders) {
    w.SetStorePaths(true);
    w.SetRelativePaths(true);
    w.SetRootDir(in);
    w.SetAddDirEntriesOnRecurse(true);
    w.FilesList = {in + "*.txt"};
    EXPECT_EQ(w.Zip(), 4);
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "empty.txt", "sub/", "sub/c.txt"}));
    const auto folder = listArchive(zip).members[2];
    EXPECT_EQ(folder.method, 0);
    EXPECT_EQ(folder.compressedSize, 0u);
    EXPECT_EQ(folder.crc, 0u);
    EXPECT_EQ(folder.internalAttributes, 0);
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

TEST_F(WriterRunTest, EventsComeInTheirOrder) {
    std::vector<std::string> log;
    w.OnRecursingFile = [&](TZipWriter&, const std::string& p) { log.push_back("walk " + p.substr(in.size())); };
    w.OnStartZipInfo = [&](TZipWriter&, int n, std::int64_t bytes, TEndCentral&, bool&) {
        log.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
    };
    w.OnStartZip = [&](TZipWriter&, const std::string& p, TZipHeaderInfo& h, bool&) {
        log.push_back("start " + p.substr(in.size()) + " " + h.storedName());
    };
    w.OnEndZip = [&](TZipWriter&, const std::string& p, std::int64_t u, std::int64_t, std::int64_t) {
        log.push_back("end " + p.substr(in.size()) + " " + std::to_string(u));
    };
    w.OnZipComplete = [&](TZipWriter&, int n) { log.push_back("complete " + std::to_string(n)); };
    w.FilesList = {in + "sub/c.txt", in + "e*.txt"};
    w.Zip();
    EXPECT_EQ(log, (std::vector<std::string>{"walk empty.txt", "info 2 4", "start sub/c.txt c.txt", "end sub/c.txt 4",
                                             "start empty.txt empty.txt", "end empty.txt 0", "complete 2"}));
}

TEST_F(WriterRunTest, ProgressRisesPerBlockToOneHundred) {
    const std::string big(200000, 'z');
    dir.write("in/big.txt", big);
    std::vector<int> file, total;
    w.OnFilePercentDone = [&](TZipReader&, int p) { file.push_back(p); };
    w.OnTotalPercentDone = [&](TZipReader&, int p) { total.push_back(p); };
    w.SetPackLevel(0);
    w.FilesList = {in + "big.txt", in + "sub/c.txt"};
    w.Zip();
    // 200000 bytes in 32 KiB blocks, then one block of the small file.
    ASSERT_EQ(file.size(), 8u);
    EXPECT_EQ(file[0], 16);
    EXPECT_EQ(file[6], 100);
    EXPECT_EQ(file[7], 100);
    ASSERT_EQ(total.size(), 8u);
    EXPECT_TRUE(std::is_sorted(total.begin(), total.end()));
    EXPECT_EQ(total[6], 100);  // 200000 of 200004, rounded
    EXPECT_EQ(total.back(), 100);
}

TEST_F(WriterRunTest, SkippedByTheHandlerLeavesTheFileOut) {
    w.OnStartZip = [&](TZipWriter&, const std::string& p, TZipHeaderInfo&, bool& skip) {
        skip = p.find("b.bin") != std::string::npos;
    };
    w.FilesList = {in + "a.txt", in + "b.bin", in + "sub/c.txt"};
    EXPECT_EQ(w.Zip(), 2);
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST_F(WriterRunTest, TheHandlerMayRenameAndDateAMember) {
    w.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo& h, bool&) {
        h.setStoredName("renamed/" + h.fileName());
        h.dosDateTime = 0x21210000;  // 1996-09-01 00:00
        h.setFileComment(std::string("said so"));
    };
    w.FilesList = {in + "sub/c.txt"};
    w.Zip();
    const auto m = listArchive(zip).members.at(0);
    EXPECT_EQ(m.name, "renamed/c.txt");
    EXPECT_EQ(m.dosTime, 0x21210000u);
    EXPECT_EQ(m.comment, "said so");
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

TEST_F(WriterRunTest, StopNowCancelsBeforeAnythingIsZipped) {
    w.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t, TEndCentral&, bool& stop) { stop = true; };
    w.FilesList = {in + "a.txt"};
    try {
        w.Zip();
        FAIL() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Zip operation");
    }
    EXPECT_FALSE(std::filesystem::exists(zip));
    EXPECT_TRUE(w.FilesList.empty());
}

TEST_F(WriterRunTest, CancelWhileWritingDeletesTheNewArchive) {
    dir.write("in/big.txt", std::string(300000, 'q'));
    bool completed = false;
    w.OnZipComplete = [&](TZipWriter&, int) { completed = true; };
    w.OnStartZip = [&](TZipWriter& sender, const std::string& p, TZipHeaderInfo&, bool&) {
        if (p.find("big") != std::string::npos) sender.CancelRequested = true;
    };
    w.FilesList = {in + "a.txt", in + "big.txt"};
    try {
        w.Zip();
        FAIL() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User Aborted Operation");
    }
    EXPECT_FALSE(completed);
    EXPECT_FALSE(w.CancelRequested.load());
    EXPECT_FALSE(std::filesystem::exists(zip));
}

TEST_F(WriterRunTest, CancelIsHonouredOnlyWhereMessagesAreProcessed) {
    int processed = 0;
    w.ProcessMessages = [&] { ++processed; };
    w.DoProcessMessages = false;
    w.OnStartZip = [&](TZipWriter& sender, const std::string&, TZipHeaderInfo&, bool&) {
        sender.CancelRequested = true;
    };
    w.FilesList = {in + "a.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(processed, 0);
    w.DoProcessMessages = true;
    w.OnStartZip = nullptr;
    std::filesystem::remove(zip);
    w.FilesList = {in + "a.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_GT(processed, 0);
}

TEST_F(WriterRunTest, CancelDuringTheWalkStopsBeforeWriting) {
    w.OnRecursingFile = [&](TZipWriter& sender, const std::string&) { sender.CancelRequested = true; };
    w.FilesList = {in + "*"};
    EXPECT_THROW(w.Zip(), EUserCanceled);
    EXPECT_FALSE(std::filesystem::exists(zip));
}

TEST_F(WriterRunTest, NoFileLeftGivesAnArchiveOfTheEndRecordOnly) {
    bool infoCalled = false;
    int completed = -1;
    w.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t, TEndCentral&, bool&) { infoCalled = true; };
    w.OnZipComplete = [&](TZipWriter&, int n) { completed = n; };
    w.SetExcludeList({"*"});
    w.FilesList = {in + "*", in + "a.txt"};
    EXPECT_EQ(w.Zip(), 0);
    EXPECT_FALSE(infoCalled);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(std::filesystem::file_size(zip), 22u);
    EXPECT_EQ(zb::test::pythonTest(zip).status, 0);
    EXPECT_EQ(zb::test::sevenZipTest(zip).status, 0);
}

TEST_F(WriterRunTest, DuplicateStoredNamesAreReportedAndLeftOut) {
    dir.write("other/a.txt", "another a");
    dir.write("other/A.txt", "a capital A");
    std::vector<std::pair<TSkipReason, std::string>> skipped;
    w.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& p, int index, bool&) {
        EXPECT_EQ(index, -1);
        skipped.emplace_back(r, p);
    };
    std::int64_t announced = 0;
    w.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t bytes, TEndCentral&, bool&) { announced = bytes; };
    const std::string other = (dir / "other").string() + "/";
    w.FilesList = {in + "a.txt", other + "a.txt", other + "A.txt"};
    EXPECT_EQ(w.Zip(), 2);
    EXPECT_EQ(announced, std::int64_t(text.size() + 9 + 11));
    // Letter case makes another name here.
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "A.txt"}));
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0], std::make_pair(skipNoOverwrite, other + "a.txt"));
}

// The check holds however many members come before: names met first, last and in
// between are found again after thousands of others.
TEST_F(WriterRunTest, DuplicatesAmongThousandsOfMembersAreFound) {
    for (int i = 0; i < 3000; ++i) dir.write("many/n" + std::to_string(i), "");
    for (int i : {0, 1777, 2999}) dir.write("again/n" + std::to_string(i), "x");
    int skipped = 0;
    w.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& p, int, bool&) {
        skipped += r == skipNoOverwrite && p.find("/again/") != std::string::npos;
    };
    w.FilesList = {(dir / "many/*").string(), (dir / "again/*").string()};
    EXPECT_EQ(w.Zip(), 3000);
    EXPECT_EQ(skipped, 3);
}

TEST_F(WriterRunTest, AFileThatVanishedIsReported) {
    std::vector<std::string> missing;
    w.OnNoSuchFile = [&](TZipWriter&, const std::string& p) { missing.push_back(p); };
    w.OnStartZipInfo = [&](TZipWriter&, int, std::int64_t, TEndCentral&, bool&) {
        std::filesystem::remove(in + "b.bin");
    };
    w.FilesList = {in + "a.txt", in + "b.bin", in + "gone.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(missing, (std::vector<std::string>{in + "gone.txt", in + "b.bin"}));
}

TEST_F(WriterRunTest, AFileThatCannotBeOpenedIsReportedAndMayBeRetried) {
    // Run as an unprivileged user, for whom a mode of 000 really refuses.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir / "in", std::filesystem::perms::all);
    chmod((in + "b.bin").c_str(), 0);
    const int rc = zb::test::runInChild(
        [&] {
            TZipWriter child;
            child.SetZipName(zip);
            int reports = 0;
            child.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& p, int, bool& retry) {
                if (r != skipOpenFailed || p != in + "b.bin") return;
                ++reports;
                retry = reports < 3;
            };
            child.FilesList = {in + "a.txt", in + "b.bin", in + "empty.txt"};
            const int n = child.Zip();
            if (n != 2 || reports != 3) return 10 + n;
            return memberNames(zip) == std::vector<std::string>{"a.txt", "empty.txt"} ? 0 : 20;
        },
        true);
    EXPECT_EQ(rc, 0);
}

TEST_F(WriterRunTest, SpecialFilesAndUnreadableFoldersAreReported) {
    ASSERT_EQ(mkfifo((in + "fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(in + "locked");
    dir.write("in/locked/x.txt", "x");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(dir / "in", std::filesystem::perms::all);
    chmod((in + "locked").c_str(), 0);
    const int rc = zb::test::runInChild(
        [&] {
            TZipWriter child;
            child.SetZipName((dir / "in" / "out.zip").string());
            child.SetRecurse(true);
            std::vector<std::pair<TPathSkipReason, std::string>> skipped;
            child.OnPathSkipped = [&](TZipWriter&, TPathSkipReason r, const std::string& p) {
                skipped.emplace_back(r, p);
            };
            child.FilesList = {in + "*"};
            if (child.Zip() != 4) return 1;
            const decltype(skipped) expect{{psSpecialFile, in + "fifo"}, {psFolderUnreadable, in + "locked/"}};
            return skipped == expect ? 0 : 2;
        },
        true);
    EXPECT_EQ(rc, 0);
}

TEST_F(WriterRunTest, TheArchiveBeingWrittenIsNotPackedIntoItself) {
    w.SetZipName(in + "self.zip");
    w.FilesList = {in + "*"};
    EXPECT_EQ(w.Zip(), 3);
    EXPECT_EQ(memberNames(in + "self.zip"), (std::vector<std::string>{"a.txt", "b.bin", "empty.txt"}));
    // Updated, the old archive is not packed either.
    w.FilesList = {in + "*"};
    w.SetZipAction(zaReplace);
    EXPECT_EQ(w.Zip(), 3);
    EXPECT_EQ(memberNames(in + "self.zip"), (std::vector<std::string>{"a.txt", "b.bin", "empty.txt"}));
}

}  // namespace
}  // namespace zb::zip
