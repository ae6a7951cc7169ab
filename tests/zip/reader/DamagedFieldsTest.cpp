// Every field of every record of a small archive, damaged one at a time in the ways
// damage and forgery take: every bit flipped, zero, all ones, one more and one less.
// Each damaged archive must be refused in the engine's words or extracted with every
// loss accounted for (see DamagedArchiveBuilder.h for the full judgement).
#include "zip/DamagedArchiveBuilder.h"

namespace zb::test {
namespace {

std::vector<std::pair<std::string, std::uint64_t>> mutations(const std::string& bytes, const FieldSpot& f) {
    const std::uint64_t mask = f.width >= 8 ? ~0ull : (1ull << (8 * f.width)) - 1;
    const std::uint64_t v = getField(bytes, f);
    return {{"flipped", ~v & mask},
            {"zero", 0},
            {"all ones", mask},
            {"plus one", (v + 1) & mask},
            {"minus one", (v - 1) & mask}};
}

void damageEveryField(const BuiltArchive& a) {
    ASSERT_FALSE(a.fields.empty());
    const long rssBefore = peakRssMiB();
    int runs = 0;
    for (const FieldSpot& f : a.fields) {
        if (f.width > 8) {
            // Names and comments: every byte flipped, and the text cut to NUL bytes.
            std::string flipped = a.bytes;
            for (std::size_t i = 0; i < f.width; ++i) flipped[f.offset + i] = char(~flipped[f.offset + i]);
            extractDamaged(flipped, a.members, f.label() + " flipped");
            std::string zeroed = a.bytes;
            for (std::size_t i = 0; i < f.width; ++i) zeroed[f.offset + i] = '\0';
            extractDamaged(zeroed, a.members, f.label() + " zeroed");
            runs += 2;
            continue;
        }
        for (const auto& [how, value] : mutations(a.bytes, f)) {
            std::string damaged = a.bytes;
            putField(damaged, f, value);
            if (damaged == a.bytes) continue;
            extractDamaged(damaged, a.members, f.label() + " " + how);
            ++runs;
        }
    }
    EXPECT_GT(runs, 100);
    // A damaged size or count must never turn into an allocation of that size.
    EXPECT_LT(peakRssMiB() - rssBefore, 256 + kQuarantineMiB) << "memory grew with the damage";
}

TEST(DamagedFieldsTest, UndamagedArchiveExtractsEveryMember) {
    const BuiltArchive a = ArchiveBuilder().build();
    const DamagedOutcome o = extractDamaged(a.bytes, a.members, "undamaged");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_EQ(o.count, int(a.members.size()));
    EXPECT_EQ(o.events, 0);
    EXPECT_EQ(o.recovered.size(), 4u);  // the four distinct contents (the folder and empty file share "")
}

TEST(DamagedFieldsTest, UndamagedZip64ArchiveExtractsEveryMember) {
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), true).build();
    ASSERT_NE(a.locatorOffset, 0u);
    const DamagedOutcome o = extractDamaged(a.bytes, a.members, "undamaged ZIP64");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_EQ(o.count, int(a.members.size()));
    EXPECT_EQ(o.events, 0);
}

TEST(DamagedFieldsTest, EveryFieldOfEveryRecordDamaged) { damageEveryField(ArchiveBuilder().build()); }

TEST(DamagedFieldsTest, EveryFieldOfEveryZip64RecordDamaged) {
    damageEveryField(ArchiveBuilder(defaultDamagedMembers(), true).build());
}

TEST(DamagedFieldsTest, BytesOfTheMemberDataFlipped) {
    // A bit error inside the data is what the CRC is for: the member fails, loudly,
    // unless the flip hit bits that carry nothing (the padding after the last block).
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::size_t m = 0; m < a.members.size(); ++m) {
        const std::size_t dataStart = a.localOffsets[m] + 30 + a.members[m].name.size();
        const std::size_t dataEnd = m + 1 < a.localOffsets.size() ? a.localOffsets[m + 1] : a.centralOffset;
        for (std::size_t at = dataStart; at < dataEnd; at += 1 + (dataEnd - dataStart) / 40) {
            std::string damaged = a.bytes;
            damaged[at] = char(damaged[at] ^ 0x10);
            extractDamaged(damaged, a.members, a.members[m].name + " data byte " + std::to_string(at - dataStart));
        }
    }
}

}  // namespace
}  // namespace zb::test
