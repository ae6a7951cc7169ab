// Numbered part files of a fixed size: where each record lands when it meets a part
// boundary exactly or just past it, the bytes of the end record, and round trips of
// every layout through the reader.
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "zip/SplitTestSupport.h"
#include "zip/ZipErrors.h"
#include "zip/records/WriterRecords.h"
#include "zip/split/SplitPartNames.h"

using namespace zb::zip;
using namespace zb::test;

namespace {

class SplitBlocks : public ::testing::Test {
protected:
    void SetUp() override {
        members_ = {
            {"a.txt", pattern(200, 1), ""}, {"docs/b.bin", pattern(150, 2), "second"}, {"c.txt", pattern(90, 3), ""}};
        layout_ = buildPlainArchive(members_, "set comment");
        name_ = (dir_ / "backup.zip").string();
    }

    SplitSetResult write(std::int64_t first, std::int64_t block = 100000) {
        TMultiZipInfo info;
        info.MultiMode = mmBlocks;
        info.FirstBlockSize = first;
        info.BlockSize = block;
        return writeSet(info, name_, layout_.bytes);
    }

    // Part number and offset of each member's local header, as the reader sees them.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> places(const std::string& lastPart) {
        TZipReader r;
        r.SetZipName(lastPart);
        r.ReadDirectory();
        std::vector<std::pair<std::uint32_t, std::uint64_t>> out;
        for (int i = 0; i < r.MemberCount(); ++i)
            out.emplace_back(r.Member(i).diskNumberStart, r.Member(i).relativeOffset);
        return out;
    }

    void expectRoundTrip(const SplitSetResult& set) {
        auto got = readSetContents(set.parts.back());
        ASSERT_EQ(got.size(), members_.size());
        for (const PlainMember& m : members_) EXPECT_EQ(got[m.name], m.data) << m.name;
    }

    // The end record at the end of the last part.
    struct End {
        std::uint16_t thisDisk, startDisk, entriesHere, total;
        std::uint32_t size, offset;
    };
    End endOf(const SplitSetResult& set) {
        std::string last = readFile(set.parts.back());
        const std::size_t at = last.size() - 22 - 11;
        EXPECT_EQ(getU32(&last[at]), kEndCentralSignature);
        EXPECT_EQ(last.substr(at + 22), "set comment");
        return {getU16(&last[at + 4]),  getU16(&last[at + 6]),  getU16(&last[at + 8]),
                getU16(&last[at + 10]), getU32(&last[at + 12]), getU32(&last[at + 16])};
    }

    TempDir dir_;
    std::vector<PlainMember> members_;
    PlainLayout layout_;
    std::string name_;
};

}  // namespace

TEST_F(SplitBlocks, PartsAreNumberedFromOne) {
    auto set = write(300, 300);
    ASSERT_GE(set.parts.size(), 3u);
    for (std::size_t i = 0; i < set.parts.size(); ++i) EXPECT_EQ(set.parts[i], splitPartFileName(name_, int(i) + 1));
    EXPECT_FALSE(std::filesystem::exists(name_));
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, LocalHeaderExactlyAtBoundaryStartsTheNextPart) {
    auto set = write(std::int64_t(layout_.local[1]));
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.local[1]);
    auto p = places(set.parts.back());
    EXPECT_EQ(p[0], std::make_pair(0u, std::uint64_t(0)));
    EXPECT_EQ(p[1], std::make_pair(1u, std::uint64_t(0)));
    EXPECT_EQ(p[2], std::make_pair(1u, layout_.local[2] - layout_.local[1]));
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, LocalHeaderJustPastBoundaryMovesWhole) {
    auto set = write(std::int64_t(layout_.local[1] + layout_.localSize[1] - 1));
    ASSERT_EQ(set.parts.size(), 2u);
    // The part ends early rather than cut the header.
    EXPECT_EQ(fileSize(set.parts[0]), layout_.local[1]);
    EXPECT_EQ(places(set.parts.back())[1], std::make_pair(1u, std::uint64_t(0)));
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, LocalHeaderThatJustFitsLeavesItsDataToTheNextPart) {
    const std::int64_t first = std::int64_t(layout_.local[1] + layout_.localSize[1]);
    auto set = write(first);
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), std::uint64_t(first));
    EXPECT_EQ(places(set.parts.back())[1], std::make_pair(0u, layout_.local[1]));
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, CentralHeaderExactlyAtBoundary) {
    auto set = write(std::int64_t(layout_.central[0]));
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.central[0]);
    End e = endOf(set);
    EXPECT_EQ(e.thisDisk, 1);
    EXPECT_EQ(e.startDisk, 1);
    EXPECT_EQ(e.entriesHere, 3);
    EXPECT_EQ(e.total, 3);
    EXPECT_EQ(e.offset, 0u);
    EXPECT_EQ(e.size, layout_.end - layout_.central[0]);
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, CentralHeaderJustPastBoundaryMovesWhole) {
    auto set = write(std::int64_t(layout_.central[1] + layout_.centralSize[1] - 1));
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.central[1]);
    End e = endOf(set);
    EXPECT_EQ(e.thisDisk, 1);
    EXPECT_EQ(e.startDisk, 0);
    EXPECT_EQ(e.entriesHere, 2);  // the second and third central headers
    EXPECT_EQ(e.offset, layout_.central[0]);
    EXPECT_EQ(e.size, layout_.end - layout_.central[0]);
    // The second part starts with the second central header.
    std::string second = readFile(set.parts[1]);
    EXPECT_EQ(second.substr(0, layout_.centralSize[1]).substr(46, 10), "docs/b.bin");
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, EndRecordExactlyAtBoundaryHandChecked) {
    auto set = write(std::int64_t(layout_.end));
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.end);
    std::string expected;
    appendU32(expected, 0x06054B50);
    appendU16(expected, 1);  // this part
    appendU16(expected, 0);  // the directory starts on the first part
    appendU16(expected, 0);  // no central header on this part
    appendU16(expected, 3);
    appendU32(expected, std::uint32_t(layout_.end - layout_.central[0]));
    appendU32(expected, std::uint32_t(layout_.central[0]));
    appendU16(expected, 11);
    expected += "set comment";
    EXPECT_EQ(readFile(set.parts[1]), expected);
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, EndRecordJustPastBoundaryMovesWhole) {
    auto set = write(std::int64_t(layout_.end + 22 + 11 - 1));
    ASSERT_EQ(set.parts.size(), 2u);
    EXPECT_EQ(fileSize(set.parts[0]), layout_.end);
    EXPECT_EQ(fileSize(set.parts[1]), 22u + 11u);
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, ArchiveThatFitsTheFirstPartIsOnePlainArchive) {
    auto set = write(std::int64_t(layout_.bytes.size()));
    ASSERT_EQ(set.parts.size(), 1u);
    // Byte for byte the one-file archive.
    EXPECT_EQ(readFile(set.parts[0]), layout_.bytes);
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, MemberLargerThanSeveralParts) {
    members_ = {{"big.bin", pattern(5000, 9), ""}, {"small.txt", "tiny", ""}};
    layout_ = buildPlainArchive(members_, "set comment");
    auto set = write(700, 1000);
    EXPECT_GE(set.parts.size(), 6u);
    EXPECT_LE(fileSize(set.parts[0]), 700u);
    for (std::size_t i = 1; i < set.parts.size(); ++i) EXPECT_LE(fileSize(set.parts[i]), 1000u);
    // Nothing but the records' moves leaves a part short.
    EXPECT_EQ(fileSize(set.parts[1]), 1000u);
    expectRoundTrip(set);
}

TEST_F(SplitBlocks, RecordBiggerThanAPartIsCutAndStillRead) {
    // Parts smaller than one central header (the member comment makes it long).
    members_ = {{"a.txt", pattern(40, 4), std::string(120, 'c')}, {"b.txt", pattern(30, 5), ""}};
    layout_ = buildPlainArchive(members_, "set comment");
    auto set = write(64, 64);
    EXPECT_GT(set.parts.size(), 4u);
    expectRoundTrip(set);
    TZipReader r;
    r.SetZipName(set.parts.back());
    r.ReadDirectory();
    EXPECT_EQ(r.MemberComment(0), std::string(120, 'c'));
}

TEST_F(SplitBlocks, CommentsOfASetAreRead) {
    auto set = write(300, 300);
    TZipReader r;
    r.SetZipName(set.parts.back());
    r.ReadDirectory();
    ASSERT_EQ(r.MemberCount(), 3);
    EXPECT_EQ(r.MemberComment(1), "second");
    EXPECT_EQ(r.MemberComment(0), "");
    EXPECT_EQ(r.ArchiveComment(), "set comment");
    EXPECT_EQ(r.MemberPath(1), "docs/");
}

TEST_F(SplitBlocks, EmptyArchiveIsOnePartWithTheEndRecord) {
    members_.clear();
    layout_ = buildPlainArchive(members_, "set comment");
    auto set = write(1000);
    ASSERT_EQ(set.parts.size(), 1u);
    EXPECT_EQ(readFile(set.parts[0]), layout_.bytes);
}

TEST_F(SplitBlocks, ZeroBlockSizeIsRefusedAndLeavesNoPart) {
    EXPECT_THROW(write(0), ENotEnoughRoom);
    EXPECT_FALSE(std::filesystem::exists(splitPartFileName(name_, 1)));
    // A later part without room: what was written is removed again.
    EXPECT_THROW(write(300, 0), ENotEnoughRoom);
    EXPECT_FALSE(std::filesystem::exists(splitPartFileName(name_, 1)));
}

TEST_F(SplitBlocks, SecondSplitRunReplacesTheParts) {
    write(300, 300);
    members_[0].data = pattern(200, 77);
    layout_ = buildPlainArchive(members_, "set comment");
    auto set = write(300, 300);
    expectRoundTrip(set);
}
