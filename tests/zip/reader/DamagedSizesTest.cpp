// Sizes that lie about what a member holds, the way a decompression bomb lies: a
// member that decodes to far more than it states, one that states gigabytes and holds
// a few bytes, stored data that claims to run on past the end of the file. Each ends
// with the member refused or the run stopped in the engine's words, the file that was
// being written removed, and memory kept to what the data really needs.
#include "zip/DamagedArchiveBuilder.h"

namespace zb::test {
namespace {

std::vector<SourceMember> membersWithBomb() {
    auto members = defaultDamagedMembers();
    members.insert(members.begin() + 1, {"zeros.bin", std::string(4 << 20, '\0'), 8, false});
    return members;
}

void setBothSizes(std::string& bytes, const BuiltArchive& a, int member, const char* field, std::uint64_t value) {
    putField(bytes, fieldOf(a, "local", member, field), value);
    putField(bytes, fieldOf(a, "central", member, field), value);
}

TEST(DamagedSizesTest, MemberDecodingToMoreThanItStatesIsStoppedAtTheStatedSize) {
    const BuiltArchive a = ArchiveBuilder(membersWithBomb()).build();
    ASSERT_LT(a.bytes.size(), 20000u);  // 4 MiB of zeros in a few KiB
    std::string bytes = a.bytes;
    setBothSizes(bytes, a, 1, "uncompressed size", 100);
    const long rss = peakRssMiB();
    const DamagedOutcome o = extractDamaged(bytes, a.members, "4 MiB stated as 100 bytes");
    EXPECT_FALSE(o.refused) << o.error;  // one member fails, the run goes on
    EXPECT_GE(o.events, 1);
    EXPECT_FALSE(o.recovered.count(a.members[1].content));
    EXPECT_TRUE(o.recovered.count(a.members[0].content));
    EXPECT_TRUE(o.recovered.count(a.members[3].content));
    EXPECT_LT(peakRssMiB() - rss, 64 + kQuarantineMiB);
}

TEST(DamagedSizesTest, MemberStatingGigabytesThatHoldsLittleFailsWithoutReservingThem) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t stated : {0xFFFFFFFEull, 0x7FFFFFFFull}) {
        std::string bytes = a.bytes;
        setBothSizes(bytes, a, 0, "uncompressed size", stated);
        const long rss = peakRssMiB();
        const std::string what = "text member stated as " + std::to_string(stated) + " bytes";
        const DamagedOutcome o = extractDamaged(bytes, a.members, what);
        EXPECT_FALSE(o.refused) << what << ": " << o.error;
        EXPECT_GE(o.events, 1) << what;
        EXPECT_FALSE(o.recovered.count(a.members[0].content)) << what;
        EXPECT_LT(peakRssMiB() - rss, 64 + kQuarantineMiB) << what;
    }
}

TEST(DamagedSizesTest, Zip64SizesOfExabytesAreNotReserved) {
    // The member's sizes in a ZIP64 extra field claim 2^62 bytes.
    const BuiltArchive a = ArchiveBuilder().build();
    std::string b = a.bytes;
    putField(b, fieldOf(a, "central", 0, "uncompressed size"), 0xFFFFFFFF);
    putField(b, fieldOf(a, "central", 0, "extra length"), 12);
    std::string extra;
    zip::appendU16(extra, zip::kExtraZip64);
    zip::appendU16(extra, 8);
    zip::appendU64(extra, 1ull << 62);
    const FieldSpot& name = fieldOf(a, "central", 0, "name");
    b.insert(name.offset + name.width, extra);
    putField(b, FieldSpot{"end", -1, "directory size", a.endOffset + 12 + 12, 4}, a.endOffset - a.centralOffset + 12);
    const long rss = peakRssMiB();
    const DamagedOutcome o = extractDamaged(b, a.members, "ZIP64 size 2^62");
    EXPECT_FALSE(o.recovered.count(a.members[0].content));
    EXPECT_TRUE(o.refused || o.events > 0);
    EXPECT_LT(peakRssMiB() - rss, 64 + kQuarantineMiB);
}

TEST(DamagedSizesTest, StoredDataClaimingToRunPastTheEndStopsTheRun) {
    // The last member's data would run on past the end of the file.
    const BuiltArchive a = ArchiveBuilder().build();
    std::string bytes = a.bytes;
    setBothSizes(bytes, a, 4, "compressed size", 0x7FFFFFF0);
    setBothSizes(bytes, a, 4, "uncompressed size", 0x7FFFFFF0);
    const DamagedOutcome o = extractDamaged(bytes, a.members, "stored data past the end");
    EXPECT_TRUE(o.refused);
    EXPECT_EQ(o.error, zip::msg::kPrematureEnd);
}

TEST(DamagedSizesTest, HonestHighRatioMemberIsExtracted) {
    // A member that really is 4 MiB of zeros is no bomb: it comes back whole.
    const BuiltArchive a = ArchiveBuilder(membersWithBomb()).build();
    const DamagedOutcome o = extractDamaged(a.bytes, a.members, "honest zeros");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_EQ(o.events, 0);
    EXPECT_TRUE(o.recovered.count(a.members[1].content));
}

}  // namespace
}  // namespace zb::test
