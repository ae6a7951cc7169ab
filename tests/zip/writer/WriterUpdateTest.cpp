// Updating an existing archive: members replaced in place, kept or added by the zip
// action, members of other tools copied byte for byte, the temporary file beside the
// archive, and an old archive left exactly as it was whenever the update fails.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using zb::test::listArchive;
using zb::test::memberNames;
using zb::test::readFile;
using zb::test::runCommand;
using zb::test::shellQuote;
using zb::test::TempDir;

void setMtime(const fs::path& p, std::time_t t) {
    utimbuf times{t, t};
    ASSERT_EQ(utime(p.c_str(), &times), 0);
}

std::vector<std::string> tempFilesIn(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind("KPZ", 0) == 0) found.push_back(e.path().string());
    return found;
}

class WriterUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        zip = dir / "arc.zip";
        in = (dir / "in").string() + "/";
        dir.write("in/a.txt", "old a");
        dir.write("in/b.txt", "bbb");
        setMtime(in + "a.txt", 1'600'000'000);
        setMtime(in + "b.txt", 1'600'000'000);
        TZipWriter first;
        first.SetZipName(zip.string());
        first.FilesList = {in + "a.txt", in + "b.txt"};
        ASSERT_EQ(first.Zip(), 2);
        original = readFile(zip);
        dir.write("in/c.txt", "new c");
        w.SetZipName(zip.string());
        w.OnUpdate = [&](TZipWriter&, TUpdateAction a, int index) {
            updates.push_back(std::to_string(int(a)) + ":" + std::to_string(index));
        };
    }
    void touchNewer(const std::string& name, const std::string& content) {
        dir.write("in/" + name, content);
        setMtime(in + name, 1'700'000'000);
    }
    TempDir dir;
    fs::path zip;
    std::string in, original;
    TZipWriter w;
    std::vector<std::string> updates;
};

TEST_F(WriterUpdateTest, ANewerFileReplacesItsMemberInPlaceAndNewFilesFollow) {
    touchNewer("a.txt", "new a, longer");
    w.FilesList = {in + "c.txt", in + "a.txt"};
    EXPECT_EQ(w.Zip(), 2);
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(updates, (std::vector<std::string>{"0:0"}));
    const auto list = listArchive(zip);
    EXPECT_EQ(list.members[0].uncompressedSize, 13u);
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " a.txt").output, "new a, longer");
    // The component describes the archive it just wrote.
    EXPECT_EQ(w.MemberCount(), 3);
}

TEST_F(WriterUpdateTest, AFileThatIsNotNewerKeepsTheOldMember) {
    dir.write("in/a.txt", "same age");
    setMtime(in + "a.txt", 1'600'000'000);
    w.FilesList = {in + "a.txt", in + "c.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(updates, (std::vector<std::string>{"1:0"}));
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " a.txt").output, "old a");
    // Kept members are the same bytes as before, at the same place.
    const std::string now = readFile(zip);
    const auto oldList = listArchive(dir / "arc.zip");
    EXPECT_EQ(now.substr(0, std::size_t(oldList.members[2].localOffset)),
              original.substr(0, std::size_t(oldList.members[2].localOffset)));
}

TEST_F(WriterUpdateTest, ReplaceTakesTheFileWhateverItsAge) {
    dir.write("in/b.txt", "older b");
    setMtime(in + "b.txt", 1'500'000'000);
    w.SetZipAction(zaReplace);
    w.FilesList = {in + "b.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(updates, (std::vector<std::string>{"0:1"}));
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " b.txt").output, "older b");
}

TEST_F(WriterUpdateTest, FreshenReplacesNewerMembersAndAddsNothing) {
    touchNewer("a.txt", "fresh a");
    w.SetZipAction(zaFreshen);
    w.FilesList = {in + "*.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " a.txt").output, "fresh a");
}

TEST_F(WriterUpdateTest, AReplacementThatCannotBeZippedKeepsTheOldMember) {
    touchNewer("a.txt", "newer but gone");
    std::vector<std::string> missing;
    w.OnNoSuchFile = [&](TZipWriter&, const std::string& p) { missing.push_back(p); };
    w.OnUpdate = [&](TZipWriter&, TUpdateAction a, int) {
        if (a == upReplacing) fs::remove(in + "a.txt");
    };
    w.FilesList = {in + "a.txt"};
    EXPECT_EQ(w.Zip(), 0);
    EXPECT_EQ(missing, (std::vector<std::string>{in + "a.txt"}));
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " a.txt").output, "old a");
}

TEST_F(WriterUpdateTest, TheTemporaryFileLivesBesideTheArchiveAndTakesItsPlace) {
    chmod(zip.c_str(), 0640);
    std::vector<std::string> seen;
    w.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) { seen = tempFilesIn(dir.path()); };
    w.FilesList = {in + "c.txt"};
    const auto inodeBefore = fs::status(zip).permissions();
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    EXPECT_EQ(fs::status(zip).permissions(), inodeBefore);
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(WriterUpdateTest, ATempPathElsewhereIsUsedAndLeftClean) {
    fs::create_directory(dir / "tmp");
    w.SetTempPath((dir / "tmp").string());
    std::vector<std::string> seen;
    w.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) { seen = tempFilesIn(dir / "tmp"); };
    w.FilesList = {in + "c.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(tempFilesIn(dir / "tmp").empty());
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    EXPECT_EQ(zb::test::unzipTest(zip).status, 0);
}

TEST_F(WriterUpdateTest, AnArchiveReachedThroughALinkIsUpdatedWhereItLies) {
    fs::create_symlink(zip, dir / "link.zip");
    w.SetZipName((dir / "link.zip").string());
    w.FilesList = {in + "c.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link.zip"));
    EXPECT_EQ(memberNames(zip), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(WriterUpdateTest, ACancelledUpdateLeavesTheArchiveByteIdentical) {
    dir.write("in/big.txt", std::string(400000, 'x'));
    w.OnStartZip = [&](TZipWriter& sender, const std::string& p, TZipHeaderInfo&, bool&) {
        if (p.find("big") != std::string::npos) sender.CancelRequested = true;
    };
    w.FilesList = {in + "c.txt", in + "big.txt"};
    EXPECT_THROW(w.Zip(), EUserCanceled);
    EXPECT_EQ(readFile(zip), original);
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
    EXPECT_TRUE(w.FilesList.empty());
}

TEST_F(WriterUpdateTest, AFileThatIsNoArchiveIsNeverReplaced) {
    const fs::path notZip = dir.write("notes.zip", "these are my notes, not an archive");
    w.SetZipName(notZip.string());
    w.FilesList = {in + "c.txt"};
    EXPECT_THROW(w.Zip(), ENotAZipFile);
    EXPECT_EQ(readFile(notZip), "these are my notes, not an archive");
    EXPECT_TRUE(tempFilesIn(dir.path()).empty());
}

TEST_F(WriterUpdateTest, AnEmptyFileIsTakenAsAnEmptyArchive) {
    const fs::path empty = dir.write("empty.zip", "");
    w.SetZipName(empty.string());
    w.FilesList = {in + "c.txt"};
    EXPECT_EQ(w.Zip(), 1);
    EXPECT_EQ(memberNames(empty), (std::vector<std::string>{"c.txt"}));
}

TEST_F(WriterUpdateTest, DisposeDeletesWhatWasPackedOnlyAfterSuccess) {
    touchNewer("a.txt", "new a");
    w.SetDispose(true);
    std::vector<std::string> asked;
    w.OnDisposeFile = [&](TZipWriter&, const std::string& p, bool& skip) {
        asked.push_back(p);
        skip = p == in + "c.txt";
    };
    w.FilesList = {in + "a.txt", in + "b.txt", in + "c.txt"};
    EXPECT_EQ(w.Zip(), 2);
    // b.txt was not newer: its member stays and the file counts as packed.
    EXPECT_EQ(asked, (std::vector<std::string>{in + "a.txt", in + "b.txt", in + "c.txt"}));
    EXPECT_FALSE(fs::exists(in + "a.txt"));
    EXPECT_FALSE(fs::exists(in + "b.txt"));
    EXPECT_TRUE(fs::exists(in + "c.txt"));
    // A failed run disposes of nothing.
    dir.write("in/d.txt", "d");
    w.OnStartZipInfo = [](TZipWriter&, int, std::int64_t, TEndCentral&, bool& stop) { stop = true; };
    w.FilesList = {in + "d.txt"};
    EXPECT_THROW(w.Zip(), EUserCanceled);
    EXPECT_TRUE(fs::exists(in + "d.txt"));
}

// Archives made by other tools, updated with one more file: each old member must read
// back exactly as before (name, times, sizes, CRC, flags, extra data, comment, bytes).
class WriterForeignUpdateTest : public ::testing::Test {
protected:
    std::string describe(const fs::path& zip) {
        const std::string script =
            "import sys, zipfile\n"
            "z = zipfile.ZipFile(sys.argv[1])\n"
            "for i in z.infolist():\n"
            "    if i.filename == 'added.txt': continue\n"
            "    data = z.read(i)\n"
            "    print(repr((i.filename, i.date_time, i.CRC, i.file_size, i.compress_size, i.compress_type,\n"
            "                i.flag_bits, i.extra, i.comment, i.create_system, i.create_version,\n"
            "                i.extract_version, i.external_attr, data)))\n";
        const auto r = runCommand(zb::test::pythonExe() + " -c " + shellQuote(script) + " " + shellQuote(zip));
        EXPECT_EQ(r.status, 0) << r.output;
        return r.output;
    }
    void updateAndCompare(const fs::path& zip) {
        const std::string before = describe(zip);
        ASSERT_FALSE(before.empty());
        const std::string oldBytes = readFile(zip);
        TFileStream stream(zip, TFileMode::OpenRead);
        TEndCentral end;
        ASSERT_TRUE(end.find(stream));
        const std::size_t membersEnd = std::size_t(end.centralOffset);
        dir.write("added.txt", "one more");
        TZipWriter w;
        w.SetZipName(zip.string());
        w.FilesList = {(dir / "added.txt").string()};
        EXPECT_EQ(w.Zip(), 1);
        EXPECT_EQ(describe(zip), before);
        // Headers, data and data descriptors of the old members are the same bytes.
        EXPECT_EQ(readFile(zip).substr(0, membersEnd), oldBytes.substr(0, membersEnd));
        EXPECT_EQ(zb::test::unzipTest(zip).status, 0) << zb::test::unzipTest(zip).output;
        EXPECT_EQ(zb::test::sevenZipTest(zip).status, 0);
        EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " added.txt").output, "one more");
    }
    TempDir dir;
};

TEST_F(WriterForeignUpdateTest, InfoZipMembersWithExtraFieldsAndAComment) {
    dir.write("src/one.txt", std::string(5000, 'o'));
    dir.write("src/sub/two.bin", std::string(3000, '\x02'));
    const fs::path zip = dir / "infozip.zip";
    ASSERT_EQ(runCommand("cd " + shellQuote(dir / "src") + " && zip -q -r " + shellQuote(zip) + " . && " +
                         "echo 'archive note' | zip -q -z " + shellQuote(zip))
                  .status,
              0);
    updateAndCompare(zip);
    EXPECT_NE(listArchive(zip).comment.find("archive note"), std::string::npos);
}

TEST_F(WriterForeignUpdateTest, StreamedMembersWithDataDescriptorsAndZip64Sizes) {
    // Written to a pipe, so every member has a data descriptor; two with ZIP64 sizes.
    const std::string script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.stdout.buffer, 'w', zipfile.ZIP_DEFLATED)\n"
        "z.writestr('plain.txt', 'p' * 10000)\n"
        "with z.open('wide.txt', 'w', force_zip64=True) as f: f.write(b'w' * 7000)\n"
        "with z.open('stored.bin', 'w', force_zip64=True) as f: f.write(bytes(range(256)) * 20)\n"
        "z.close()\n";
    const fs::path zip = dir / "streamed.zip";
    ASSERT_EQ(runCommand(zb::test::pythonExe() + " -c " + shellQuote(script) + " | cat > " + shellQuote(zip)).status,
              0);
    ASSERT_NE(listArchive(zip).members[0].flags & 8, 0);
    updateAndCompare(zip);
}

TEST_F(WriterForeignUpdateTest, Utf8NamesFromAnotherHost) {
    const std::string script =
        "import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
        "z.writestr('Über/naïve – 日本.txt', 'unicode ' * 100)\n"
        "z.writestr('ascii.txt', 'a')\n"
        "z.comment = b'made elsewhere'\n"
        "z.close()\n";
    const fs::path zip = dir / "utf8.zip";
    ASSERT_EQ(runCommand(zb::test::pythonExe() + " -c " + shellQuote(script) + " " + shellQuote(zip)).status, 0);
    updateAndCompare(zip);
    EXPECT_EQ(listArchive(zip).comment, "made elsewhere");
}

TEST_F(WriterForeignUpdateTest, SevenZipMembers) {
    dir.write("src/x.txt", std::string(20000, 'x'));
    dir.write("src/y.txt", "y");
    const fs::path zip = dir / "seven.zip";
    ASSERT_EQ(
        runCommand("cd " + shellQuote(dir / "src") + " && 7z a -bd -tzip " + shellQuote(zip) + " x.txt y.txt").status,
        0);
    updateAndCompare(zip);
}

}  // namespace
}  // namespace zb::zip
