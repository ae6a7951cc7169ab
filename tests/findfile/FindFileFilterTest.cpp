// The finder's filters over real files: attributes, size bounds (beyond 4 GiB too), the
// three kinds of date bounds, the exclusion list and the contents test, and the order
// in which they apply.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "FinderTestSupport.h"
#include "findfile/FindFile.h"
#include "platform/DateTime.h"
#include "support/TempDir.h"

namespace zb::findfile {
namespace {

namespace fs = std::filesystem;
using platform::encodeDate;
using platform::encodeTime;
using test::FinderLog;
using test::TempDir;
using Strings = std::vector<std::string>;

class FindFileFilter : public ::testing::Test {
protected:
    void SetUp() override {
        finder.SetLocation(dir.path().string());
        test::record(finder, log);
    }
    Strings run() {
        log = FinderLog();
        finder.Execute();
        EXPECT_EQ(log.completes, 1);
        return log.foundBelow(dir.path());
    }

    TempDir dir;
    TFindFile finder;
    FinderLog log;
};

TEST_F(FindFileFilter, SharedAttributesNeedOneMemberInCommon) {
    dir.write("normal.txt", "");
    const auto ro = dir.write("readonly.txt", "");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    dir.write(".hidden", "");
    finder.SetAttributes({ffReadonly});
    EXPECT_EQ(run(), (Strings{"readonly.txt"}));
    finder.SetAttributes({ffHidden});
    EXPECT_EQ(run(), (Strings{".hidden"}));
    finder.SetAttributes({ffSystem});
    EXPECT_EQ(run(), Strings{});
    finder.SetAttributes({ffArchive});
    EXPECT_EQ(run(), (Strings{".hidden", "normal.txt", "readonly.txt"}));
}

TEST_F(FindFileFilter, ExactAttributesMustBeEqual) {
    dir.write("normal.txt", "");
    const auto ro = dir.write("readonly.txt", "");
    fs::permissions(ro, fs::perms::owner_read, fs::perm_options::replace);
    finder.SetExactAttribute(true);
    finder.SetAttributes({ffArchive});
    EXPECT_EQ(run(), (Strings{"normal.txt"}));
    finder.SetAttributes({ffArchive, ffReadonly});
    EXPECT_EQ(run(), (Strings{"readonly.txt"}));
    finder.SetAttributes({ffArchive, ffReadonly, ffHidden, ffSystem});
    EXPECT_EQ(run(), Strings{});
}

TEST_F(FindFileFilter, AnEntryWithoutAttributesPassesUnlessExact) {
    dir.write("normal.txt", "");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);  // a FIFO has no attribute at all
    finder.SetAttributes({ffSystem});
    EXPECT_EQ(run(), (Strings{"pipe"}));
    finder.SetExactAttribute(true);
    EXPECT_EQ(run(), Strings{});
    finder.SetAttributes({});
    EXPECT_EQ(run(), (Strings{"pipe"}));
}

TEST_F(FindFileFilter, SizeBoundsAreInclusiveAndZeroMeansNone) {
    dir.write("s0", "");
    dir.write("s10", std::string(10, 'x'));
    dir.write("s100", std::string(100, 'x'));
    dir.write("s1000", std::string(1000, 'x'));
    finder.SetSizeMin(10);
    EXPECT_EQ(run(), (Strings{"s10", "s100", "s1000"}));
    finder.SetSizeMax(100);
    EXPECT_EQ(run(), (Strings{"s10", "s100"}));
    finder.SetSizeMin(0);
    EXPECT_EQ(run(), (Strings{"s0", "s10", "s100"}));
    finder.SetSizeMin(101);
    EXPECT_EQ(run(), Strings{});
}

TEST_F(FindFileFilter, SizeBoundsDoNotApplyToFolders) {
    fs::create_directory(dir / "folder");
    dir.write("small", "x");
    finder.SetAttributes({ffDirectory, ffArchive});
    finder.SetSizeMin(5);
    EXPECT_EQ(run(), (Strings{"folder"}));
}

TEST_F(FindFileFilter, SizesBeyondFourGigabytesAreCompared) {
    const std::uint64_t big = (std::uint64_t(5) << 30) + 7;  // 5 GiB + 7, sparse
    const auto path = dir / "huge.bin";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(big)), 0);
    ::close(fd);
    dir.write("small.bin", "x");

    finder.SetSizeMin(std::uint64_t(4) << 30);
    EXPECT_EQ(run(), (Strings{"huge.bin"}));
    ASSERT_EQ(log.records.size(), 1u);
    EXPECT_EQ(log.records[0].Size, big);
    finder.SetSizeMin(big + 1);
    EXPECT_EQ(run(), Strings{});
    finder.SetSizeMin(0);
    finder.SetSizeMax(big - 1);
    EXPECT_EQ(run(), (Strings{"small.bin"}));
    // A bound that a 32-bit size would wrap (4 GiB + 1 is 1 in 32 bits).
    finder.SetSizeMax((std::uint64_t(4) << 30) + 1);
    EXPECT_EQ(run(), (Strings{"small.bin"}));
}

TEST_F(FindFileFilter, ModifiedBoundsCompareTheLastWriteTime) {
    test::setTimes(dir.write("march14", ""), -1, test::localTime(2024, 3, 14, 23, 59, 59));
    test::setTimes(dir.write("march15am", ""), -1, test::localTime(2024, 3, 15, 9, 0, 0));
    test::setTimes(dir.write("march15pm", ""), -1, test::localTime(2024, 3, 15, 18, 30, 0));
    test::setTimes(dir.write("march16", ""), -1, test::localTime(2024, 3, 16, 0, 0, 0));

    // A before bound of midnight takes in the whole of that day.
    finder.SetModifiedBefore(encodeDate(2024, 3, 15));
    EXPECT_EQ(run(), (Strings{"march14", "march15am", "march15pm"}));
    finder.SetModifiedAfter(encodeDate(2024, 3, 15));
    EXPECT_EQ(run(), (Strings{"march15am", "march15pm"}));

    // Full date and time.
    finder.SetModifiedAfter(encodeDate(2024, 3, 15) + encodeTime(9, 0, 0));
    finder.SetModifiedBefore(encodeDate(2024, 3, 15) + encodeTime(18, 29, 59));
    EXPECT_EQ(run(), (Strings{"march15am"}));

    // Time of day only, on any date.
    finder.SetModifiedAfter(encodeTime(18, 0, 0));
    finder.SetModifiedBefore(0);
    EXPECT_EQ(run(), (Strings{"march14", "march15pm"}));
}

TEST_F(FindFileFilter, AccessedBoundsCompareTheLastAccessTime) {
    test::setTimes(dir.write("old", ""), test::localTime(2020, 1, 10, 12, 0, 0), test::localTime(2024, 1, 1));
    test::setTimes(dir.write("new", ""), test::localTime(2023, 5, 5, 12, 0, 0), test::localTime(2019, 1, 1));
    finder.SetAccessedAfter(encodeDate(2021, 1, 1));
    EXPECT_EQ(run(), (Strings{"new"}));
    finder.SetAccessedAfter(0);
    finder.SetAccessedBefore(encodeDate(2020, 1, 10));
    EXPECT_EQ(run(), (Strings{"old"}));
}

TEST_F(FindFileFilter, CreatedBoundsCompareTheCreationTime) {
    // The creation time cannot be set; the files here were made just now.
    dir.write("made-now", "");
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const platform::DateTime today = platform::fileTimeToLocalDateTime({now, 0});
    const platform::DateTime yesterday = std::floor(today) - 1;
    finder.SetCreatedAfter(yesterday);
    EXPECT_EQ(run(), (Strings{"made-now"}));
    finder.SetCreatedAfter(0);
    finder.SetCreatedBefore(yesterday);
    EXPECT_EQ(run(), Strings{});
    // A file written long ago but made today is still created today.
    test::setTimes(dir / "made-now", test::localTime(2001, 1, 1), test::localTime(2001, 1, 1));
    finder.SetCreatedBefore(0);
    finder.SetCreatedAfter(yesterday);
    EXPECT_EQ(run(), (Strings{"made-now"}));
}

TEST_F(FindFileFilter, ExcludedEntriesAreNotReported) {
    dir.write("keep.txt", "");
    dir.write("drop.tmp", "");
    dir.write("cache/a.txt", "");
    dir.write("cache/b.dat", "");
    dir.write("other/c.txt", "");
    finder.SetExcludeFiles({"*.TMP", "cache/*.txt", ""});
    EXPECT_EQ(run(), (Strings{"cache/b.dat", "keep.txt", "other/c.txt"}));
    finder.SetExcludeFiles({(dir / "other").string() + "/"});
    EXPECT_EQ(run(), (Strings{"cache/a.txt", "cache/b.dat", "drop.tmp", "keep.txt"}));
    EXPECT_EQ(log.folders.size(), 3u);  // an excluded folder's entries are left out; it is still walked
}

TEST_F(FindFileFilter, ContentsAreSearchedWithOrWithoutCase) {
    dir.write("upper.txt", "a line with NEEDLE in it");
    dir.write("lower.txt", "a line with needle in it");
    dir.write("none.txt", "nothing here");
    dir.write("sub/straddle.bin", std::string(4093, '.') + "needle" + std::string(100, '.'));
    fs::create_directory(dir / "needle-folder");
    finder.SetAttributes({ffArchive, ffDirectory});
    finder.SetContaining("Needle");
    // Folders are not opened by the contents test.
    EXPECT_EQ(run(), (Strings{"lower.txt", "needle-folder", "sub", "sub/straddle.bin", "upper.txt"}));
    finder.SetIgnoreCase(false);
    finder.SetContaining("needle");
    finder.SetAttributes({ffArchive});
    EXPECT_EQ(run(), (Strings{"lower.txt", "sub/straddle.bin"}));
}

TEST_F(FindFileFilter, FiltersApplyInOrderSoARejectedFileIsNeverOpened) {
    // Reading a file moves its access time when that is older than a day: that shows
    // whether the contents test opened it.
    const auto path = dir.write("file.txt", "needle");
    const std::time_t old = test::localTime(2001, 1, 1);
    auto accessTime = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        return st.st_atime;
    };
    finder.SetContaining("needle");
    test::setTimes(path, old, -1);
    EXPECT_EQ(run(), (Strings{"file.txt"}));
    if (accessTime() == old) GTEST_SKIP() << "this file system does not record reads";

    test::setTimes(path, old, -1);
    finder.SetExcludeFiles({"file.txt"});
    EXPECT_EQ(run(), Strings{});
    EXPECT_EQ(accessTime(), old);

    finder.SetExcludeFiles({});
    finder.SetSizeMin(100);
    EXPECT_EQ(run(), Strings{});
    EXPECT_EQ(accessTime(), old);

    finder.SetSizeMin(0);
    finder.SetModifiedBefore(encodeDate(2000, 1, 1));
    EXPECT_EQ(run(), Strings{});
    EXPECT_EQ(accessTime(), old);
}

}  // namespace
}  // namespace zb::findfile
