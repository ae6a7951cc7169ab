// Parts as big as the room of their folder, named by the owner's handler: the free
// space (less what is kept free on the first part) and a bound on the part size
// decide where parts end; reading asks the same handler for the same parts.
#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"
#include "zip/SplitTestSupport.h"
#include "zip/ZipErrors.h"

using namespace zb::zip;
using namespace zb::test;

namespace {

class SplitSpan : public ::testing::Test {
protected:
    void SetUp() override {
        members_ = {{"one.txt", pattern(700, 11), ""}, {"two.txt", pattern(1300, 12), "note"}, {"three.txt", "", ""}};
        layout_ = buildPlainArchive(members_, "");
        std::filesystem::create_directories(dir_ / "media");
        name_ = (dir_ / "backup.zip").string();
    }

    std::string volume(int n) const { return (dir_ / "media" / ("vol-" + std::to_string(n) + ".bin")).string(); }

    SplitSetResult write(const TMultiZipInfo& info, std::uint64_t freeBytes) {
        return writeSet(info, name_, layout_.bytes, [&](SplitSetWriter& w) {
            w.NextPartName = [&](int n) {
                asked_.push_back(n);
                return volume(n);
            };
            w.PrepareNextPart = [&](int n) { prepared_.push_back(n); };
            w.FreeSpace = [&, freeBytes](const std::string& folder) {
                folders_.push_back(folder);
                return freeBytes;
            };
        });
    }

    TempDir dir_;
    std::vector<PlainMember> members_;
    PlainLayout layout_;
    std::string name_;
    std::vector<int> asked_, prepared_;
    std::vector<std::string> folders_;
};

}  // namespace

TEST_F(SplitSpan, PartSizeBoundAndHandlerNamesEveryPart) {
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 500;
    auto set = write(info, 1u << 30);
    ASSERT_GE(set.parts.size(), 5u);
    for (std::size_t i = 0; i < set.parts.size(); ++i) {
        EXPECT_EQ(set.parts[i], volume(int(i) + 1));
        EXPECT_LE(fileSize(set.parts[i]), 500u);
        EXPECT_EQ(asked_[i], int(i) + 1);
        EXPECT_EQ(prepared_[i], int(i) + 1);
    }
    EXPECT_EQ(asked_.size(), set.parts.size());
    EXPECT_EQ(folders_.front(), (dir_ / "media").string());
    EXPECT_FALSE(std::filesystem::exists(name_));

    // Reading asks the same handler, by the same numbers.
    std::vector<int> readAsked;
    auto got = readSetContents(set.parts.back(), [&](TZipReader& r) {
        r.OnGetNextDisk = [&](TZipReader&, int next, std::string& fname) {
            readAsked.push_back(next);
            fname = volume(next);
        };
    });
    ASSERT_EQ(got.size(), 3u);
    for (const PlainMember& m : members_) EXPECT_EQ(got[m.name], m.data);
    ASSERT_FALSE(readAsked.empty());
    for (int n : readAsked) EXPECT_TRUE(n >= 1 && n <= int(set.parts.size()));
}

TEST_F(SplitSpan, FreeSpaceLessWhatIsKeptFreeOnTheFirstPart) {
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.SaveOnFirstDisk = 250;
    auto set = write(info, 600);
    ASSERT_GE(set.parts.size(), 4u);
    EXPECT_LE(fileSize(set.parts[0]), 350u);
    EXPECT_EQ(fileSize(set.parts[1]), 600u);  // the data of "two.txt" fills it
    auto got = readSetContents(set.parts.back(), [&](TZipReader& r) {
        r.OnGetNextDisk = [&](TZipReader&, int next, std::string& fname) { fname = volume(next); };
    });
    EXPECT_EQ(got["two.txt"], members_[1].data);
}

TEST_F(SplitSpan, BoundaryCasesAsInNumberedParts) {
    // The second local header exactly at the end of the first part, and its central
    // header just past the end of a later one.
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = std::int64_t(layout_.local[1]);
    auto set = write(info, 1u << 30);
    TZipReader r;
    r.OnGetNextDisk = [&](TZipReader&, int next, std::string& fname) { fname = volume(next); };
    r.SetZipName(set.parts.back());
    r.ReadDirectory();
    ASSERT_EQ(r.MemberCount(), 3);
    EXPECT_EQ(r.Member(1).diskNumberStart, 1u);
    EXPECT_EQ(r.Member(1).relativeOffset, 0u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.local[1]);
    auto got = readSetContents(set.parts.back(), [&](TZipReader& rr) { rr.OnGetNextDisk = r.OnGetNextDisk; });
    EXPECT_EQ(got["two.txt"], members_[1].data);
}

TEST_F(SplitSpan, ExistingFileOfAPartNameIsReplaced) {
    std::filesystem::create_directories(dir_ / "media");
    { std::ofstream(volume(1)) << std::string(5000, 'x'); }
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 800;
    auto set = write(info, 1u << 30);
    EXPECT_LE(fileSize(volume(1)), 800u);
}

TEST_F(SplitSpan, EmptyNameCancelsAndRemovesTheParts) {
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 500;
    try {
        writeSet(info, name_, layout_.bytes, [&](SplitSetWriter& w) {
            w.NextPartName = [&](int n) { return n < 3 ? volume(n) : std::string(); };
            w.FreeSpace = [](const std::string&) { return std::uint64_t(1) << 30; };
        });
        FAIL() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Zip operation");
    }
    EXPECT_FALSE(std::filesystem::exists(volume(1)));
    EXPECT_FALSE(std::filesystem::exists(volume(2)));
}

TEST_F(SplitSpan, NoFreeSpaceIsNotEnoughRoom) {
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    EXPECT_THROW(write(info, 0), ENotEnoughRoom);
    info.SaveOnFirstDisk = 600;  // everything kept free
    EXPECT_THROW(write(info, 600), ENotEnoughRoom);
    EXPECT_FALSE(std::filesystem::exists(volume(1)));
}

TEST_F(SplitSpan, WithoutHandlerPartsAreNumberedFiles) {
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 900;
    auto set = writeSet(info, name_, layout_.bytes, [](SplitSetWriter& w) {
        w.FreeSpace = [](const std::string&) { return std::uint64_t(1) << 30; };
    });
    EXPECT_EQ(set.parts[0], (dir_ / "backup.001").string());
    auto got = readSetContents(set.parts.back());
    EXPECT_EQ(got["one.txt"], members_[0].data);
}
