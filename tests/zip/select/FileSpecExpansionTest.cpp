// Expansion of include lines: entry kinds, the exclusion test, the walk options, the
// archive never packing itself, and every left-out path reported.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "support/TempDir.h"
#include "zip/select/FileSpecExpansion.h"

namespace zb::zip {
namespace {

using zb::test::TempDir;

std::string str(const std::filesystem::path& p) { return p.string(); }

TEST(FileSpecKindTest, FolderPatternAndPlainEntries) {
    EXPECT_EQ(classifySpec("/data/sub/"), SpecKind::Folder);
    EXPECT_EQ(classifySpec("/data/*.txt"), SpecKind::Pattern);
    EXPECT_EQ(classifySpec("/data/file?.txt"), SpecKind::Pattern);
    EXPECT_EQ(classifySpec("|/data/x"), SpecKind::Pattern);
    EXPECT_EQ(classifySpec(">/data/x"), SpecKind::Pattern);
    EXPECT_EQ(classifySpec("/data/report<0-9>.doc"), SpecKind::Pattern);
    EXPECT_EQ(classifySpec("/data/notes.txt"), SpecKind::Plain);
    EXPECT_EQ(classifySpec("notes"), SpecKind::Plain);
}

TEST(FileSpecListTest, NameEntriesMatchTheFileNameInAnyFolderAndCase) {
    const std::vector<std::string> list{"*.tmp"};
    EXPECT_TRUE(matchesSpecList(list, "/data/deep/down/X.TMP"));
    EXPECT_TRUE(matchesSpecList(list, "a.tmp"));
    EXPECT_FALSE(matchesSpecList(list, "/data/a.tmp.txt"));
    // The folder does not take part when the entry has none.
    EXPECT_FALSE(matchesSpecList({"data*"}, "/data/file.txt"));
}

TEST(FileSpecListTest, EntriesWithAFolderMatchTheWholePathAtAnyDepth) {
    const std::vector<std::string> list{"/srv/Data/Temp/*"};
    EXPECT_TRUE(matchesSpecList(list, "/srv/data/temp/a.txt"));
    EXPECT_TRUE(matchesSpecList(list, "/srv/data/temp/x/y/z.bin"));
    EXPECT_FALSE(matchesSpecList(list, "/srv/data/tempo/a.txt"));
    EXPECT_FALSE(matchesSpecList(list, "/other/srv/data/temp/a.txt"));
}

TEST(FileSpecListTest, EmptyListAndEmptyEntriesNeverMatch) {
    EXPECT_FALSE(matchesSpecList({}, "/a/b"));
    EXPECT_FALSE(matchesSpecList({""}, "/a/b"));
    EXPECT_TRUE(matchesSpecList({"", "b"}, "/a/b"));
}

class FileSpecExpandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("data/a.txt", "aaaa");
        dir.write("data/b.doc", "bb");
        dir.write("data/Makefile", "m");
        dir.write("data/.hidden", "hhh");
        dir.write("data/sub/c.txt", "ccccc");
        dir.write("data/sub/deeper/d.txt", "d");
        dir.write("data/.cache/e.txt", "ee");
        root = str(dir / "data") + "/";
    }
    std::vector<std::string> run(std::vector<std::string> list, std::uint64_t* total = nullptr) {
        const std::uint64_t t = spec.expand(list);
        if (total) *total = t;
        return list;
    }
    TempDir dir;
    std::string root;
    FileSpecExpansion spec;
};

TEST_F(FileSpecExpandTest, PatternWithoutRecursionTakesEveryFileOfTheFolderOnly) {
    std::uint64_t total = 0;
    const auto files = run({root + "*.*"}, &total);
    EXPECT_EQ(files, (std::vector<std::string>{root + ".hidden", root + "Makefile", root + "a.txt", root + "b.doc"}));
    EXPECT_EQ(total, 3u + 1u + 4u + 2u);
}

TEST_F(FileSpecExpandTest, RecursionEntersEveryFolderIncludingDotFoldersDepthFirst) {
    spec.recurse = true;
    const auto files = run({root + "*.txt"});
    EXPECT_EQ(files, (std::vector<std::string>{root + ".cache/e.txt", root + "a.txt", root + "sub/c.txt",
                                               root + "sub/deeper/d.txt"}));
}

TEST_F(FileSpecExpandTest, LeadingBarAndAngleOverrideTheRecurseSetting) {
    spec.recurse = true;
    EXPECT_EQ(run({"|" + root + "*.txt"}), (std::vector<std::string>{root + "a.txt"}));
    spec.recurse = false;
    EXPECT_EQ(run({">" + root + "*.txt"}).size(), 4u);
}

TEST_F(FileSpecExpandTest, MaskWithTrailingDotSelectsFilesWithoutExtension) {
    EXPECT_EQ(run({root + "*."}), (std::vector<std::string>{root + "Makefile"}));
    EXPECT_EQ(run({root + "*"}).size(), 4u);
    EXPECT_EQ(run({root + "A.TXT*"}), (std::vector<std::string>{root + "a.txt"}));
}

TEST_F(FileSpecExpandTest, FolderEntriesOnlyWithAddDirEntriesWhileRecursing) {
    spec.recurse = true;
    spec.addDirEntriesOnRecurse = true;
    const auto files = run({root + "*.doc"});
    EXPECT_EQ(files, (std::vector<std::string>{root + ".cache/", root + "b.doc", root + "sub/", root + "sub/deeper/"}));
    spec.recurse = false;
    EXPECT_EQ(run({root + "*.doc"}), (std::vector<std::string>{root + "b.doc"}));
}

TEST_F(FileSpecExpandTest, PlainPathsComeFirstThenPatternFilesAndFolderEntriesStayInPlace) {
    const auto files = run({root + "*.doc", root + "sub/c.txt", root + "sub/", root + "a.txt"});
    EXPECT_EQ(files, (std::vector<std::string>{root + "sub/c.txt", root + "sub/", root + "a.txt", root + "b.doc"}));
}

TEST_F(FileSpecExpandTest, NamesWithoutFolderAreTakenFromRootDir) {
    spec.rootDir = root;
    EXPECT_EQ(run({"a.txt", "*.doc"}), (std::vector<std::string>{root + "a.txt", root + "b.doc"}));
}

TEST_F(FileSpecExpandTest, ExcludedFilesLeaveNoBytesInTheTotal) {
    spec.recurse = true;
    spec.excludeList = {"*.TXT", root + "sub/*"};
    std::uint64_t total = 0;
    const auto files = run({root + "*", root + "a.txt", root + "sub/deeper/d.txt"}, &total);
    EXPECT_EQ(files, (std::vector<std::string>{root + ".hidden", root + "Makefile", root + "b.doc"}));
    EXPECT_EQ(total, 6u);
}

TEST_F(FileSpecExpandTest, MissingPlainFilesAreReportedAndDropped) {
    std::vector<std::string> missing;
    spec.onNoSuchFile = [&](const std::string& p) { missing.push_back(p); };
    const auto files = run({root + "nothere.txt", root + "a.txt", "alsonothere"});
    EXPECT_EQ(files, (std::vector<std::string>{root + "a.txt"}));
    EXPECT_EQ(missing, (std::vector<std::string>{root + "nothere.txt", "alsonothere"}));
}

TEST_F(FileSpecExpandTest, MissingFolderOfAPatternYieldsNothingAndIsReported) {
    std::vector<std::pair<TPathSkipReason, std::string>> skipped;
    spec.onPathSkipped = [&](TPathSkipReason r, const std::string& p) { skipped.emplace_back(r, p); };
    EXPECT_TRUE(run({root + "nofolder/*.txt"}).empty());
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].first, psFolderMissing);
    EXPECT_EQ(skipped[0].second, root + "nofolder/");
}

TEST_F(FileSpecExpandTest, APlainPathNamingAFolderBecomesAFolderEntry) {
    EXPECT_EQ(run({root + "sub"}), (std::vector<std::string>{root + "sub/"}));
}

TEST_F(FileSpecExpandTest, TheArchiveNeverPacksItself) {
    dir.write("data/backup.zip", "PK");
    spec.zipName = root + "sub/../backup.zip";  // another spelling of the same file
    const auto files = run({root + "*.zip", root + "backup.zip"});
    EXPECT_TRUE(files.empty());
    // Reached through a link to it, it is still the archive.
    std::filesystem::create_symlink(root + "backup.zip", root + "link.zip");
    EXPECT_TRUE(run({root + "link.zip"}).empty());
}

TEST_F(FileSpecExpandTest, FreshenKeepsOnlyFilesThatAreMembers) {
    spec.zipAction = zaFreshen;
    spec.isMember = [&](const std::string& p) { return p == root + "b.doc" || p == root + "sub/c.txt"; };
    spec.recurse = true;
    EXPECT_EQ(run({root + "*", root + "a.txt"}), (std::vector<std::string>{root + "b.doc", root + "sub/c.txt"}));
    spec.zipAction = zaUpdate;
    EXPECT_EQ(run({root + "a.txt"}), (std::vector<std::string>{root + "a.txt"}));
}

TEST_F(FileSpecExpandTest, EveryWalkedPathIsAnnounced) {
    std::vector<std::string> walked;
    spec.onRecursingFile = [&](const std::string& p) { walked.push_back(p); };
    spec.recurse = true;
    spec.excludeList = {"*.txt"};
    run({root + "*"});
    // Excluded files and folders are walked paths too.
    EXPECT_EQ(walked.size(), 10u);
    EXPECT_NE(std::find(walked.begin(), walked.end(), root + "sub/"), walked.end());
    EXPECT_NE(std::find(walked.begin(), walked.end(), root + "sub/c.txt"), walked.end());
}

TEST_F(FileSpecExpandTest, CancelDuringTheWalkEndsTheExpansion) {
    int calls = 0;
    spec.processMessages = [&] {
        if (++calls == 2) throw std::runtime_error("cancelled");
    };
    std::vector<std::string> list{root + "*"};
    EXPECT_THROW(spec.expand(list), std::runtime_error);
    EXPECT_EQ(calls, 2);
}

TEST_F(FileSpecExpandTest, SpecialFilesAreReportedNotOpened) {
    ASSERT_EQ(mkfifo((root + "pipe.txt").c_str(), 0644), 0);
    std::filesystem::create_symlink(root + "gone", root + "dangling.txt");
    std::vector<std::pair<TPathSkipReason, std::string>> skipped;
    spec.onPathSkipped = [&](TPathSkipReason r, const std::string& p) { skipped.emplace_back(r, p); };
    const auto files = run({root + "*.txt", root + "pipe.txt"});
    EXPECT_EQ(files, (std::vector<std::string>{root + "a.txt"}));
    ASSERT_EQ(skipped.size(), 3u);
    EXPECT_EQ(skipped[0], std::make_pair(psSpecialFile, root + "pipe.txt"));
    EXPECT_EQ(skipped[1], std::make_pair(psSpecialFile, root + "dangling.txt"));
    EXPECT_EQ(skipped[2], std::make_pair(psSpecialFile, root + "pipe.txt"));
}

TEST_F(FileSpecExpandTest, LinksToFilesArePackedLinksToFoldersNotFollowed) {
    std::filesystem::create_symlink(root + "a.txt", root + "alias.txt");
    std::filesystem::create_directory_symlink(root, root + "sub/loop");
    std::vector<std::pair<TPathSkipReason, std::string>> skipped;
    spec.onPathSkipped = [&](TPathSkipReason r, const std::string& p) { skipped.emplace_back(r, p); };
    spec.recurse = true;
    std::uint64_t total = 0;
    const auto files = run({root + "*.txt"}, &total);
    EXPECT_EQ(files, (std::vector<std::string>{root + ".cache/e.txt", root + "a.txt", root + "alias.txt",
                                               root + "sub/c.txt", root + "sub/deeper/d.txt"}));
    EXPECT_EQ(total, 2u + 4u + 4u + 5u + 1u);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0], std::make_pair(psFolderLink, root + "sub/loop"));
}

}  // namespace
}  // namespace zb::zip
