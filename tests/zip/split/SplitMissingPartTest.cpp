// Sets with a part gone: the handler's empty name gives up, a handler that keeps
// naming a missing file is not asked forever, and the ".zfc" copy of the directory
// lists a set whose last part is lost.
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "zip/SplitTestSupport.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"
#include "zip/split/SplitPartNames.h"
#include "zip/split/ZipInfoFile.h"

using namespace zb::zip;
using namespace zb::test;

namespace {

class SplitMissing : public ::testing::Test {
protected:
    void SetUp() override {
        members_ = {
            {"a.txt", pattern(300, 21), "first"}, {"b.txt", pattern(300, 22), ""}, {"c.txt", pattern(900, 23), ""}};
        layout_ = buildPlainArchive(members_, "kept");
        name_ = (dir_ / "backup.zip").string();
    }

    // Parts of 250 bytes: every member runs over at least one boundary.
    SplitSetResult writeSmallParts() {
        TMultiZipInfo info;
        info.MultiMode = mmBlocks;
        info.FirstBlockSize = info.BlockSize = 250;
        return writeSet(info, name_, layout_.bytes);
    }

    // With the ".zfc" file: the first two members exactly fill the first part (after
    // the room kept for the directory), the third and the directory follow.
    SplitSetResult writeWithZipInfo(bool storePaths = false) {
        TMultiZipInfo info;
        info.MultiMode = mmBlocks;
        info.SaveZipInfoOnFirstDisk = true;
        reserve_ = 3 * (storePaths ? 83 : 58) + 4 + 2070;
        info.FirstBlockSize = std::int64_t(reserve_ + layout_.local[2]);
        info.BlockSize = 400;
        return writeSet(info, name_, layout_.bytes, [&](SplitSetWriter& w) {
            w.StorePaths = storePaths;
            w.Message = [&](const std::string& text) { messages_.push_back(text); };
        });
    }

    TempDir dir_;
    std::vector<PlainMember> members_;
    PlainLayout layout_;
    std::string name_;
    std::uint64_t reserve_ = 0;
    std::vector<std::string> messages_;
};

std::string canceledMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const EUserCanceled& e) {
        return e.what();
    } catch (const EBadZipFile& e) {
        return std::string("bad: ") + e.what();
    }
    return "no EUserCanceled";
}

}  // namespace

TEST_F(SplitMissing, HandlerGivingNoNameCancelsLoading) {
    auto set = writeSmallParts();
    int asked = 0;
    auto what = canceledMessage([&] {
        readSetContents(set.parts.back(), [&](TZipReader& r) {
            r.OnGetNextDisk = [&](TZipReader&, int, std::string& fname) {
                ++asked;
                fname.clear();
            };
        });
    });
    EXPECT_EQ(what, "User canceled loading new disk.");
    EXPECT_EQ(asked, 1);
}

TEST_F(SplitMissing, MiddlePartGoneStopsTheMemberThatRunsThroughIt) {
    auto set = writeSmallParts();
    ASSERT_GE(set.parts.size(), 5u);
    std::filesystem::remove(set.parts[1]);
    TZipReader r;
    r.SetZipName(set.parts.back());
    r.ReadDirectory();  // the directory does not need the second part
    EXPECT_EQ(r.MemberCount(), 3);
    std::vector<int> done;
    r.OnEndUnZip = [&](TZipReader&, int i, const std::string&) { done.push_back(i); };
    r.DoAll = true;
    // A missing part is a fault of the set, not a cancel by the user.
    EXPECT_EQ(canceledMessage([&] { r.UnZipToBuffer(); }),
              "bad: Part 2 of the split archive is missing (" + std::string(set.parts[1]) + ")");
    EXPECT_TRUE(done.empty());  // "a.txt" runs on into the second part
}

TEST_F(SplitMissing, HandlerNamingTheSameMissingFileTwiceGivesUp) {
    auto set = writeSmallParts();
    int asked = 0;
    auto what = canceledMessage([&] {
        readSetContents(set.parts.back(), [&](TZipReader& r) {
            r.OnGetNextDisk = [&](TZipReader&, int, std::string& fname) {
                ++asked;
                fname = (dir_ / "nowhere.bin").string();
            };
        });
    });
    EXPECT_EQ(what.rfind("bad: Part ", 0), 0u) << what;
    EXPECT_NE(what.find("nowhere.bin"), std::string::npos) << what;
    EXPECT_EQ(asked, 2);
}

TEST_F(SplitMissing, HandlerMayNameAnotherFileOnTheSecondAsking) {
    auto set = writeSmallParts();
    int asked = 0;
    auto got = readSetContents(set.parts.back(), [&](TZipReader& r) {
        r.OnGetNextDisk = [&](TZipReader&, int next, std::string& fname) {
            // First a wrong guess, then the right file (as a user would find it).
            fname = (asked++ % 2 == 0) ? (dir_ / "wrong.bin").string() : splitPartFileName(name_, next);
        };
    });
    EXPECT_EQ(got["c.txt"], members_[2].data);
}

TEST_F(SplitMissing, ZipInfoFileHoldsTheDirectoryAndRoomWasKept) {
    auto set = writeWithZipInfo();
    ASSERT_TRUE(set.zipInfoSaved);
    EXPECT_TRUE(messages_.empty());
    ASSERT_GE(set.parts.size(), 2u);
    // The first part holds the first two members and nothing more.
    EXPECT_EQ(fileSize(set.parts[0]), layout_.local[2]);
    const std::string zfc = readFile(zipInfoFileName(name_));
    EXPECT_EQ(zfc, set.directory);
    // Byte for byte the end of the set.
    std::string tail;
    for (const auto& p : set.parts) tail += readFile(p);
    EXPECT_EQ(tail.substr(tail.size() - zfc.size()), zfc);
}

TEST_F(SplitMissing, StorePathsKeepsMoreRoomPerFile) {
    auto set = writeWithZipInfo(true);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.local[2]);
}

TEST_F(SplitMissing, LastPartGoneReadsTheZipInfoFile) {
    auto set = writeWithZipInfo();
    std::filesystem::remove(set.parts.back());
    TZipReader r;
    r.SetZipName(set.parts.front());
    r.ReadDirectory();
    ASSERT_EQ(r.MemberCount(), 3);
    EXPECT_EQ(r.MemberFileName(2), "c.txt");
    EXPECT_EQ(r.MemberComment(0), "first");
    EXPECT_EQ(r.ArchiveComment(), "kept");

    // The members on the parts that are left still come out.
    std::map<std::string, std::string> got;
    r.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* b, std::size_t n, const std::string& f, int, bool&) {
        got[f].append(reinterpret_cast<const char*>(b), n);
    };
    int good = 0;
    r.OnEndUnZip = [&](TZipReader&, int, const std::string&) { ++good; };
    r.FilesList = {"a.txt", "b.txt"};
    EXPECT_EQ(r.UnZipToBuffer(), 2);
    EXPECT_EQ(got["a.txt"], members_[0].data);
    EXPECT_EQ(got["b.txt"], members_[1].data);

    // The one whose data was on the lost part cannot.
    r.FilesList = {"c.txt"};
    std::string what = canceledMessage([&] { r.UnZipToBuffer(); });
    EXPECT_EQ(what.rfind("bad: Part 4 of the split archive is missing", 0), 0u) << what;
}

TEST_F(SplitMissing, WithoutZipInfoFileThePartIsIncomplete) {
    TMultiZipInfo info;
    info.MultiMode = mmBlocks;
    info.FirstBlockSize = info.BlockSize = 500;
    auto set = writeSet(info, name_, layout_.bytes);
    TZipReader r;
    r.SetZipName(set.parts.front());
    r.IncompleteZipMode = izAssumeNotAZip;
    EXPECT_THROW(r.ReadDirectory(), ENotAZipFile);
}

TEST_F(SplitMissing, ZipInfoFileThatCannotBeCreatedIsReported) {
    std::filesystem::create_directories(zipInfoFileName(name_));  // a folder in its place
    auto set = writeWithZipInfo();
    EXPECT_FALSE(set.zipInfoSaved);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Unable to create Zip Configuration File to disk");
    // The set itself is whole.
    auto got = readSetContents(set.parts.back());
    EXPECT_EQ(got["c.txt"], members_[2].data);
}

TEST_F(SplitMissing, ZipInfoFileThatCannotBeWrittenWholeIsReportedAndRemoved) {
    // Long member comments make the directory copy larger than the file-size limit,
    // while every part stays below it.
    members_ = {};
    for (int i = 0; i < 8; ++i)
        members_.push_back({"m" + std::to_string(i), pattern(50, unsigned(i)), std::string(600, 'k')});
    layout_ = buildPlainArchive(members_, "");
    const std::string name = name_;
    const std::string archive = layout_.bytes;
    int status = runInChild(
        [&] {
            TMultiZipInfo info;
            info.MultiMode = mmBlocks;
            info.SaveZipInfoOnFirstDisk = true;
            info.FirstBlockSize = 8 * 58 + 2070 + 1000;
            info.BlockSize = 1000;
            std::vector<std::string> said;
            auto set = writeSet(info, name, archive, [&](SplitSetWriter& w) {
                w.Message = [&](const std::string& t) { said.push_back(t); };
            });
            if (said.size() != 1 || said[0] != "Unable to save Zip Configuration File to disk") return 1;
            if (set.zipInfoSaved || std::filesystem::exists(zipInfoFileName(name))) return 2;
            return 0;
        },
        false, 4096);
    EXPECT_EQ(status, 0);
}
