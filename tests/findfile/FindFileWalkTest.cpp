// Searches on the caller's thread over real folder trees: which folders are walked and
// in what order, how folders are reported, which entries are found, and how the search
// copes with links, special files, folders it cannot read and handlers that intervene.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "FinderTestSupport.h"
#include "findfile/FindFile.h"
#include "support/TempDir.h"

namespace zb::findfile {
namespace {

namespace fs = std::filesystem;
using test::FinderLog;
using test::TempDir;
using Strings = std::vector<std::string>;

FinderLog search(TFindFile& finder) {
    FinderLog log;
    test::record(finder, log);
    finder.Execute();
    return log;
}

TEST(FindFileWalk, AMaskWithoutSubfoldersFindsOnlyTheFolderItself) {
    TempDir dir;
    dir.write("a.zip", "1");
    dir.write("B.ZIP", "22");
    dir.write("c.txt", "3");
    dir.write("sub/d.zip", "4");
    TFindFile finder;
    finder.SetFilename("*.zip");
    finder.SetSubfolders(false);
    finder.SetLocation(dir.path().string());
    const auto log = search(finder);
    EXPECT_EQ(log.foundBelow(dir.path()), (Strings{"B.ZIP", "a.zip"}));
    EXPECT_EQ(log.folders, (Strings{dir.path().string()}));
    EXPECT_EQ(log.completes, 1);
    EXPECT_FALSE(finder.Busy());
    EXPECT_FALSE(finder.Aborted());
    for (const auto& rec : log.records) {
        EXPECT_NE(rec.Name, ".");
        EXPECT_NE(rec.Name, "..");
    }
}

TEST(FindFileWalk, TheRecordDescribesTheFile) {
    TempDir dir;
    const auto path = dir.write("data.bin", std::string(1234, 'x'));
    test::setTimes(path, test::localTime(2021, 6, 1, 8, 0, 0), test::localTime(2022, 7, 14, 10, 30, 20));
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    const auto log = search(finder);
    ASSERT_EQ(log.records.size(), 1u);
    const auto& rec = log.records[0];
    EXPECT_EQ(rec.Name, "data.bin");
    EXPECT_EQ(rec.Size, 1234u);
    EXPECT_TRUE(rec.Attr & platform::faArchive);
    EXPECT_EQ(rec.FindData.lastWriteTime.seconds, test::localTime(2022, 7, 14, 10, 30, 20));
    EXPECT_EQ(rec.FindData.lastAccessTime.seconds, test::localTime(2021, 6, 1, 8, 0, 0));
    EXPECT_EQ(rec.Time, platform::fileTimeToDos(rec.FindData.lastWriteTime));
    // DOS form: 2022-07-14 10:30:20.
    EXPECT_EQ(rec.Time >> 16, ((2022u - 1980u) << 9) | (7u << 5) | 14u);
    EXPECT_EQ(rec.Time & 0xFFFF, (10u << 11) | (30u << 5) | 10u);
}

TEST(FindFileWalk, FilesComeFirstThenSubfoldersDepthFirst) {
    TempDir dir;
    dir.write("top.txt", "");
    dir.write("a/a1.txt", "");
    dir.write("a/deep/a2.txt", "");
    dir.write("b/b1.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    const auto log = search(finder);
    const std::string root = dir.path().string();
    EXPECT_EQ(log.foundBelow(dir.path()), (Strings{"a/a1.txt", "a/deep/a2.txt", "b/b1.txt", "top.txt"}));
    ASSERT_EQ(log.folders.size(), 4u);
    EXPECT_EQ(log.folders[0], root);
    EXPECT_EQ(log.found[0], root + "/top.txt");
    // Whatever order the system lists "a" and "b" in, "a/deep" comes right after "a".
    const auto a = std::find(log.folders.begin(), log.folders.end(), root + "/a");
    ASSERT_NE(a, log.folders.end());
    ASSERT_NE(a + 1, log.folders.end());
    EXPECT_EQ(*(a + 1), root + "/a/deep");
    // Each file is reported after its own folder's new-folder event and before the next.
    std::size_t folderIndex = 0;
    for (const auto& f : log.found) {
        const std::string folder = f.substr(0, f.rfind('/'));
        while (folderIndex < log.folders.size() && log.folders[folderIndex] != folder) ++folderIndex;
        EXPECT_LT(folderIndex, log.folders.size()) << f << " reported out of order";
    }
}

TEST(FindFileWalk, TheMaskAppliesInEverySubfolder) {
    TempDir dir;
    dir.write("x.log", "");
    dir.write("x.txt", "");
    dir.write("s/y.LOG", "");
    dir.write("s/t/z.log.old", "");
    TFindFile finder;
    finder.SetFilename("*.log");
    finder.SetLocation(dir.path().string());
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"s/y.LOG", "x.log"}));
}

TEST(FindFileWalk, AFilenameWithoutDotAlsoFindsItWithAnyExtension) {
    TempDir dir;
    dir.write("readme", "");
    dir.write("readme.txt", "");
    dir.write("readme2.txt", "");
    TFindFile finder;
    finder.SetFilename("readme");
    finder.SetLocation(dir.path().string());
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"readme", "readme.txt"}));
}

TEST(FindFileWalk, FoldersAreReportedWithoutTheirTrailingSeparator) {
    TempDir dir;
    dir.write("s/f", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string() + "/");
    auto log = search(finder);
    EXPECT_EQ(log.folders, (Strings{dir.path().string(), dir.path().string() + "/s"}));
}

TEST(FindFileWalk, TheRootIsReportedUnchanged) {
    TFindFile finder;
    finder.SetSubfolders(false);
    finder.SetFilename("no-such-file-7f3e2d.none");
    finder.SetLocation("/");
    const auto log = search(finder);
    EXPECT_EQ(log.folders, (Strings{"/"}));
    EXPECT_TRUE(log.found.empty());
    EXPECT_EQ(log.completes, 1);
}

TEST(FindFileWalk, IgnoringAFolderSkipsItAndEverythingBelow) {
    TempDir dir;
    dir.write("keep/a.txt", "");
    dir.write("skip/b.txt", "");
    dir.write("skip/inner/c.txt", "");
    dir.write("d.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    const std::string skipped = (dir / "skip").string();
    finder.OnNewFolder = [&](TFindFile&, const std::string& folder, bool& ignore) {
        log.folders.push_back(folder);
        ignore = folder == skipped;
    };
    finder.Execute();
    EXPECT_EQ(log.foundBelow(dir.path()), (Strings{"d.txt", "keep/a.txt"}));
    EXPECT_EQ(std::count(log.folders.begin(), log.folders.end(), (dir / "skip" / "inner").string()), 0);
    EXPECT_EQ(std::count(log.folders.begin(), log.folders.end(), skipped), 1);
}

TEST(FindFileWalk, IgnoringTheStartFolderFindsNothing) {
    TempDir dir;
    dir.write("a.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    finder.OnNewFolder = [](TFindFile&, const std::string&, bool& ignore) { ignore = true; };
    finder.Execute();
    EXPECT_TRUE(log.found.empty());
    EXPECT_EQ(log.completes, 1);
}

TEST(FindFileWalk, FoldersBeginningWithADotAreEnteredAndTheirFilesFound) {
    TempDir dir;
    dir.write(".config/app/settings.ini", "");
    dir.write(".profile", "");
    dir.write("visible.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    const auto log = search(finder);
    const auto found = log.foundBelow(dir.path());
    EXPECT_TRUE(std::count(found.begin(), found.end(), ".config/app/settings.ini"));
    EXPECT_TRUE(std::count(found.begin(), found.end(), ".profile"));
    EXPECT_TRUE(std::count(found.begin(), found.end(), "visible.txt"));
    EXPECT_TRUE(std::count(log.folders.begin(), log.folders.end(), (dir / ".config" / "app").string()));
}

TEST(FindFileWalk, FoldersMatchingTheMaskAreReportedByTheirAttributes) {
    TempDir dir;
    fs::create_directories(dir / "plain");
    fs::create_directories(dir / ".hidden");
    dir.write("file.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    finder.SetSubfolders(false);
    // Default attributes: a plain folder shares nothing with them; a hidden one does.
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{".hidden", "file.txt"}));

    finder.SetAttributes({ffDirectory});
    finder.SetExactAttribute(true);
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"plain"}));
}

TEST(FindFileWalk, ALinkToAFolderIsReportedButNotEntered) {
    TempDir dir;
    dir.write("real/inside.txt", "");
    fs::create_directory_symlink(dir / "real", dir / "link");
    fs::create_directory_symlink(dir.path(), dir / "real" / "loop");  // a cycle
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    finder.SetAttributes({ffArchive, ffDirectory});
    const auto log = search(finder);
    EXPECT_EQ(log.foundBelow(dir.path()), (Strings{"link", "real", "real/inside.txt", "real/loop"}));
    EXPECT_EQ(log.folders, (Strings{dir.path().string(), (dir / "real").string()}));
}

TEST(FindFileWalk, ALinkToAFileIsReportedAsTheFileItNames) {
    TempDir dir;
    dir.write("target.dat", "twelve bytes");
    fs::create_symlink(dir / "target.dat", dir / "alias.dat");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    finder.SetContaining("TWELVE");
    const auto log = search(finder);
    ASSERT_EQ(log.foundBelow(dir.path()), (Strings{"alias.dat", "target.dat"}));
    for (const auto& rec : log.records) EXPECT_EQ(rec.Size, 12u);
}

TEST(FindFileWalk, SpecialFilesAreReportedButNeverOpened) {
    TempDir dir;
    dir.write("text.txt", "hello");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = (dir / "sock").string();
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    TFindFile finder;
    finder.SetLocation(dir.path().string());
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"dangling", "pipe", "sock", "text.txt"}));

    // With a contents test the FIFO would block a reader for ever; it is not opened.
    finder.SetContaining("hello");
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"text.txt"}));
    ::close(sock);
}

TEST(FindFileWalk, AMissingFolderFindsNothingWithoutError) {
    TempDir dir;
    TFindFile finder;
    finder.SetLocation((dir / "gone").string());
    const auto log = search(finder);
    EXPECT_TRUE(log.found.empty());
    EXPECT_EQ(log.completes, 1);
    EXPECT_FALSE(finder.Aborted());
}

TEST(FindFileWalk, SeveralLocationsAreSearchedInOrderAndEachFolderOnce) {
    TempDir dir;
    dir.write("one/a.txt", "");
    dir.write("two/b.txt", "");
    dir.write("One/c.txt", "");
    TFindFile finder;
    finder.SetSubfolders(false);
    const std::string one = (dir / "one").string(), two = (dir / "two").string();
    finder.SetLocation(two + ";" + one + ";" + one + "/;" + two + "/../one;" + (dir / "One").string());
    const auto log = search(finder);
    EXPECT_EQ(log.folders, (Strings{two, one, (dir / "One").string()}));
    EXPECT_EQ(log.found, (Strings{two + "/b.txt", one + "/a.txt", (dir / "One" / "c.txt").string()}));
}

TEST(FindFileWalk, IncludeLinesReplaceLocationAndFilename) {
    TempDir dir;
    dir.write("a/x.txt", "");
    dir.write("a/x.doc", "");
    dir.write("b/y.doc", "");
    dir.write("b/z/w.doc", "");
    TFindFile finder;
    finder.SetLocation((dir / "a").string());
    finder.SetFilename("*.txt");
    finder.SetIncludeFiles({(dir / "a" / "*.doc").string(), (dir / "b" / "*.doc").string()});
    EXPECT_EQ(search(finder).foundBelow(dir.path()), (Strings{"a/x.doc", "b/y.doc", "b/z/w.doc"}));
}

TEST(FindFileWalk, APropertyChangedByAHandlerDoesNotAffectTheRunningSearch) {
    TempDir dir;
    dir.write("a.txt", "");
    dir.write("s/b.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    finder.OnNewFolder = [&](TFindFile& sender, const std::string& folder, bool&) {
        log.folders.push_back(folder);
        sender.SetSubfolders(false);
        sender.SetFilename("*.none");
    };
    finder.Execute();
    EXPECT_EQ(log.foundBelow(dir.path()), (Strings{"a.txt", "s/b.txt"}));
}

TEST(FindFileWalk, AStartFromAHandlerIsIgnored) {
    TempDir dir;
    dir.write("a.txt", "");
    dir.write("b.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    int starts = 0;
    finder.OnFound = [&](TFindFile& sender, const std::string&, TSearchRec& rec) {
        log.found.push_back(rec.Name);
        EXPECT_TRUE(sender.Busy());
        sender.Execute();
        ++starts;
    };
    finder.Execute();
    EXPECT_EQ(log.found.size(), 2u);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(log.completes, 1);
}

TEST(FindFileWalk, AbortFromAHandlerEndsTheSearchAndStillCompletes) {
    TempDir dir;
    for (int i = 0; i < 20; ++i) dir.write("f" + std::to_string(i), "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    finder.OnFound = [&](TFindFile& sender, const std::string&, TSearchRec& rec) {
        log.found.push_back(rec.Name);
        if (log.found.size() == 3) sender.Abort();
    };
    finder.Execute();
    EXPECT_EQ(log.found.size(), 3u);
    EXPECT_EQ(log.completes, 1);
    EXPECT_TRUE(finder.Aborted());
    EXPECT_FALSE(finder.Busy());

    // The next search starts afresh.
    finder.OnFound = [&](TFindFile&, const std::string&, TSearchRec& rec) { log.found.push_back(rec.Name); };
    log.found.clear();
    finder.Execute();
    EXPECT_EQ(log.found.size(), 20u);
    EXPECT_FALSE(finder.Aborted());
}

TEST(FindFileWalk, AHandlerErrorEndsTheSearchQuietly) {
    TempDir dir;
    dir.write("a.txt", "");
    dir.write("b.txt", "");
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    FinderLog log;
    test::record(finder, log);
    finder.OnFound = [&](TFindFile&, const std::string&, TSearchRec& rec) {
        log.found.push_back(rec.Name);
        throw std::runtime_error("handler failed");
    };
    EXPECT_NO_THROW(finder.Execute());
    EXPECT_EQ(log.found.size(), 1u);
    EXPECT_EQ(log.completes, 1);
    EXPECT_TRUE(finder.Aborted());
    EXPECT_FALSE(finder.Busy());
}

TEST(FindFileWalk, AFolderThatCannotBeReadIsPassedOver) {
    TempDir dir;
    dir.write("open/a.txt", "");
    dir.write("locked/b.txt", "");
    dir.write("z.txt", "");
    fs::permissions(dir / "locked", fs::perms::owner_all, fs::perm_options::replace);
    const int result = test::runAsNobody([&] {
        TFindFile finder;
        finder.SetLocation(dir.path().string());
        const auto log = search(finder);
        if (finder.Aborted()) return 1;
        if (log.foundBelow(dir.path()) != Strings{"open/a.txt", "z.txt"}) return 2;
        if (log.completes != 1) return 3;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST(FindFileWalk, AFileThatCannotBeReadDoesNotContainTheText) {
    TempDir dir;
    dir.write("a.txt", "needle");
    dir.write("secret.txt", "needle");
    dir.write("z.txt", "needle");
    fs::permissions(dir / "secret.txt", fs::perms::owner_read, fs::perm_options::replace);
    const int result = test::runAsNobody([&] {
        TFindFile finder;
        finder.SetLocation(dir.path().string());
        finder.SetContaining("needle");
        const auto log = search(finder);
        if (finder.Aborted()) return 1;
        if (log.foundBelow(dir.path()) != Strings{"a.txt", "z.txt"}) return 2;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

TEST(FindFileWalk, ADeepTreeIsWalkedToTheBottom) {
    TempDir dir;
    fs::path p = dir.path();
    std::string rel;
    for (int level = 1; level <= 25; ++level) {
        p /= "level" + std::to_string(level);
        rel += (rel.empty() ? "" : "/") + ("level" + std::to_string(level));
        dir.write(rel + "/file" + std::to_string(level) + ".txt", "");
    }
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    finder.SetFilename("*.txt");
    const auto log = search(finder);
    EXPECT_EQ(log.found.size(), 25u);
    EXPECT_EQ(log.folders.size(), 26u);
    EXPECT_EQ(log.folders.back(), p.string());
    EXPECT_EQ(log.found.back(), (p / "file25.txt").string());
    for (std::size_t i = 1; i < log.folders.size(); ++i) {
        EXPECT_EQ(log.folders[i].rfind(log.folders[i - 1] + "/", 0), 0u) << "not depth first at " << i;
    }
}

TEST(FindFileWalk, ATreeOfTenThousandFilesIsFoundWhole) {
    TempDir dir;
    std::set<std::string> expected;
    for (int folder = 0; folder < 100; ++folder) {
        for (int file = 0; file < 100; ++file) {
            const std::string rel = "d" + std::to_string(folder / 10) + "/e" + std::to_string(folder) + "/f" +
                                    std::to_string(file) + (file % 2 ? ".dat" : ".txt");
            dir.write(rel, std::to_string(file));
            expected.insert(rel);
        }
    }
    TFindFile finder;
    finder.SetLocation(dir.path().string());
    const auto log = search(finder);
    const auto found = log.foundBelow(dir.path());
    EXPECT_EQ(found.size(), 10000u);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
    EXPECT_EQ(log.folders.size(), 1u + 10u + 100u);

    finder.SetFilename("*.dat");
    finder.SetSizeMin(2);
    std::size_t expectedBig = 0;
    for (const auto& e : expected) {
        const auto name = e.substr(e.rfind('/') + 2);
        if (e.ends_with(".dat") && std::stoi(name) >= 10) ++expectedBig;
    }
    EXPECT_EQ(search(finder).found.size(), expectedBig);
}

}  // namespace
}  // namespace zb::findfile
