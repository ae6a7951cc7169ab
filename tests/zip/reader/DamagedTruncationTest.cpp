// An archive cut short: at every boundary between records and data blocks, one byte
// either side of it, and at a stride through everything between, read with each way
// of treating a missing end record. A cut archive is refused or yields the members
// that are whole, and what it loses is reported.
#include "zip/DamagedArchiveBuilder.h"

namespace zb::test {
namespace {

std::set<std::size_t> cutPoints(const BuiltArchive& a) {
    std::set<std::size_t> cuts;
    for (std::size_t b : a.boundaries) {
        for (std::size_t d : {std::size_t(0), std::size_t(1), std::size_t(2)}) {
            if (b >= d) cuts.insert(b - d);
            cuts.insert(b + d);
        }
    }
    for (std::size_t at = 0; at < a.bytes.size(); at += 61) cuts.insert(at);
    std::set<std::size_t> inside;
    // (An empty file is an archive without members; that is tested with the records.)
    for (std::size_t c : cuts)
        if (c > 0 && c < a.bytes.size()) inside.insert(c);
    return inside;
}

class DamagedTruncationTest : public ::testing::TestWithParam<zip::TIncompleteZipMode> {};

TEST_P(DamagedTruncationTest, CutAtEveryRecordBoundary) {
    const BuiltArchive a = ArchiveBuilder().build();
    const auto cuts = cutPoints(a);
    EXPECT_GT(cuts.size(), 60u);
    for (std::size_t cut : cuts) {
        const DamagedOutcome o =
            extractDamaged(a.bytes.substr(0, cut), a.members, "cut at " + std::to_string(cut), GetParam());
        if (cut < a.endOffset) {
            // Without the end record the archive is incomplete: refused, or rebuilt from
            // its local headers with every loss reported.
            EXPECT_TRUE(o.refused || GetParam() == zip::izAssumeBad) << "cut at " << cut;
        }
    }
}

TEST_P(DamagedTruncationTest, Zip64ArchiveCutAtEveryRecordBoundary) {
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), true).build();
    for (std::size_t cut : cutPoints(a)) {
        extractDamaged(a.bytes.substr(0, cut), a.members, "ZIP64 archive cut at " + std::to_string(cut), GetParam());
    }
}

TEST(DamagedTruncationMiddleTest, DataCutOutOfTheMiddle) {
    // The directory is whole but 200 bytes of a stored member's data are gone, so every
    // offset behind the gap lies by 200: members that lost their data must not pass as
    // restored, and the members in front of the gap are still there.
    const BuiltArchive a = ArchiveBuilder().build();
    const std::size_t gapAt = a.localOffsets[2] + 30 + a.members[2].name.size() + 1000;
    const std::string cut = a.bytes.substr(0, gapAt) + a.bytes.substr(gapAt + 200);
    const DamagedOutcome o = extractDamaged(cut, a.members, "data cut out of the middle");
    EXPECT_TRUE(o.refused || o.events > 0);
    EXPECT_FALSE(o.recovered.count(a.members[2].content));
}

INSTANTIATE_TEST_SUITE_P(DamagedEachMode, DamagedTruncationTest,
                         ::testing::Values(zip::izAssumeMulti, zip::izAssumeBad, zip::izAssumeNotAZip),
                         [](const auto& info) {
                             switch (info.param) {
                                 case zip::izAssumeMulti: return std::string("AssumeMulti");
                                 case zip::izAssumeBad: return std::string("AssumeBad");
                                 default: return std::string("AssumeNotAZip");
                             }
                         });

}  // namespace
}  // namespace zb::test
