// Archives whose members share their bytes. The zip bomb of this kind points every
// member at one small block of compressed data (here through local extra fields that
// span the headers after them), so that each member alone looks honest while together
// they extract to far more than the archive could hold. Extraction refuses such an
// archive before it writes anything, with a message that says why; listing it stays
// possible.
#include "zip/DamagedArchiveBuilder.h"
#include "zip/reader/MemberOverlap.h"

namespace zb::test {
namespace {

// `count` members of `size` zero bytes each, all of whose data is one deflate stream.
std::string overlappingBomb(int count, std::size_t size) {
    const std::string plain(size, '\0');
    const std::string kernel = rawDeflate(plain);
    const std::uint32_t crc = zip::crc32(plain.data(), plain.size());
    std::vector<std::string> names;
    std::vector<std::size_t> headerSizes;
    for (int i = 0; i < count; ++i) {
        names.push_back("bomb" + std::to_string(1000 + i) + ".bin");
        headerSizes.push_back(30 + names.back().size());
    }
    std::string out, central;
    std::vector<std::size_t> offsets;
    for (int i = 0; i < count; ++i) {
        std::size_t spans = 0;
        for (int j = i + 1; j < count; ++j) spans += headerSizes[std::size_t(j)];
        offsets.push_back(out.size());
        zip::appendU32(out, zip::kLocalHeaderSignature);
        zip::appendU16(out, 20);
        zip::appendU16(out, 0);
        zip::appendU16(out, 8);
        zip::appendU32(out, 0x5A214C63);
        zip::appendU32(out, crc);
        zip::appendU32(out, std::uint32_t(kernel.size()));
        zip::appendU32(out, std::uint32_t(size));
        zip::appendU16(out, std::uint16_t(names[std::size_t(i)].size()));
        zip::appendU16(out, std::uint16_t(spans));
        out += names[std::size_t(i)];
    }
    out += kernel;
    for (int i = 0; i < count; ++i) {
        zip::appendU32(central, zip::kCentralHeaderSignature);
        zip::appendU16(central, 20);
        zip::appendU16(central, 20);
        zip::appendU16(central, 0);
        zip::appendU16(central, 8);
        zip::appendU32(central, 0x5A214C63);
        zip::appendU32(central, crc);
        zip::appendU32(central, std::uint32_t(kernel.size()));
        zip::appendU32(central, std::uint32_t(size));
        zip::appendU16(central, std::uint16_t(names[std::size_t(i)].size()));
        for (int k = 0; k < 4; ++k) zip::appendU16(central, 0);
        zip::appendU32(central, 0x20);
        zip::appendU32(central, std::uint32_t(offsets[std::size_t(i)]));
        central += names[std::size_t(i)];
    }
    const std::size_t centralAt = out.size();
    out += central;
    zip::appendU32(out, zip::kEndCentralSignature);
    zip::appendU16(out, 0);
    zip::appendU16(out, 0);
    zip::appendU16(out, std::uint16_t(count));
    zip::appendU16(out, std::uint16_t(count));
    zip::appendU32(out, std::uint32_t(central.size()));
    zip::appendU32(out, std::uint32_t(centralAt));
    zip::appendU16(out, 0);
    return out;
}

TEST(DamagedOverlapTest, OverlappingMemberBombIsRefusedBeforeAnythingIsWritten) {
    TempDir tmp;
    const std::string bomb = overlappingBomb(100, 1 << 20);  // 100 MiB from a few KiB
    ASSERT_LT(bomb.size(), 20000u);
    const auto archive = tmp.write("bomb.zip", bomb);
    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.SetDestDir((tmp / "dest").string());
    reader.DoAll = true;
    reader.OverwriteMode = zip::Always;
    int started = 0;
    int completeCount = -1;
    reader.OnStartUnZip = [&](zip::TZipReader&, int, std::string&, bool&) { ++started; };
    reader.OnUnZipComplete = [&](zip::TZipReader&, int n) { completeCount = n; };
    try {
        reader.UnZip();
        FAIL() << "the bomb was extracted";
    } catch (const zip::EBadZipFile& e) {
        EXPECT_NE(std::string(e.what()).find("overlapping members (possible zip bomb)"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("bomb1001.bin"), std::string::npos) << e.what();
    }
    EXPECT_EQ(started, 0);
    EXPECT_EQ(completeCount, 0);  // the run still ends with its completion event, counting nothing
    EXPECT_TRUE(!fs::exists(tmp / "dest") || fs::is_empty(tmp / "dest"));
}

TEST(DamagedOverlapTest, TestRunIntoMemoryRefusesTheBombToo) {
    TempDir tmp;
    zip::TZipReader reader;
    reader.SetZipName(tmp.write("bomb.zip", overlappingBomb(50, 1 << 20)).string());
    reader.DoAll = true;
    std::uint64_t decoded = 0;
    reader.OnGetNextBuffer = [&](zip::TZipReader&, const std::uint8_t*, std::size_t n, const std::string&, int, bool&) {
        decoded += n;
    };
    EXPECT_THROW(reader.UnZipToBuffer(), zip::EBadZipFile);
    EXPECT_EQ(decoded, 0u);
}

TEST(DamagedOverlapTest, TheBombCanStillBeListed) {
    TempDir tmp;
    zip::TZipReader reader;
    reader.SetZipName(tmp.write("bomb.zip", overlappingBomb(20, 4096)).string());
    reader.ReadDirectory();
    EXPECT_EQ(reader.MemberCount(), 20);
}

TEST(DamagedOverlapTest, PeerRefusesTheSameBomb) {
    // The careful peer refuses it too: our refusal is not a false alarm.
    TempDir tmp;
    const auto archive = tmp.write("bomb.zip", overlappingBomb(10, 100000));
    const auto r = runCommand("cd " + shellQuote(tmp.path()) + " && unzip -o -d out bomb.zip");
    EXPECT_NE(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("overlapped components"), std::string::npos) << r.output;
}

TEST(DamagedOverlapTest, CompressedSizeReachingIntoTheNextMemberIsRefused) {
    const BuiltArchive a = ArchiveBuilder().build();
    const std::uint64_t tooLong = a.localOffsets[3] - a.localOffsets[2];  // reaches member 3's header
    const DamagedOutcome o =
        extractDamaged(withField(a, "central", 2, "compressed size", tooLong), a.members, "overlapping sizes");
    EXPECT_TRUE(o.refused);
    EXPECT_NE(o.error.find("overlapping members"), std::string::npos) << o.error;
}

TEST(DamagedOverlapTest, MembersThatOnlyTouchAreAccepted) {
    // A member ending exactly where the next begins is the normal case.
    const BuiltArchive a = ArchiveBuilder().build();
    const DamagedOutcome o = extractDamaged(a.bytes, a.members, "touching members");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_EQ(o.recovered.size(), 4u);
}

TEST(DamagedOverlapTest, PeerArchivesWithDataDescriptorsAreNotMistakenForBombs) {
    // Streamed members put their sizes after the data; the stretch still ends before
    // the next member.
    TempDir tmp;
    tmp.write("in/a.txt", damagedText());
    tmp.write("in/b.bin", damagedBinary());
    const auto r =
        runCommand("cd " + shellQuote(tmp / "in") + " && cat a.txt | zip -q -fd ../dd.zip - && zip -q ../dd.zip b.bin");
    ASSERT_EQ(r.status, 0) << r.output;
    zip::TZipReader reader;
    reader.SetZipName((tmp / "dd.zip").string());
    reader.DoAll = true;
    int good = 0;
    reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string&) { ++good; };
    EXPECT_EQ(reader.UnZipToBuffer(), 2);
    EXPECT_EQ(good, 2);
}

}  // namespace
}  // namespace zb::test

namespace zb::test {
namespace {

// The overlap rule on hand-made member lists.
struct MemberList {
    zip::TSortedZip list{zip::ByNone, zip::TDuplicates::Reject, true};
    zip::TZipHeaderInfo* add(const std::string& name, std::uint64_t offset, std::uint64_t packed,
                             std::uint32_t disk = 0) {
        auto* h = new zip::TZipHeaderInfo;
        h->setStoredName(name);
        h->relativeOffset = offset;
        h->compressedSize = packed;
        h->diskNumberStart = disk;
        list.add(h);
        return h;
    }
};

const auto kEveryMember = [](const zip::TZipHeaderInfo&) { return true; };

TEST(DamagedOverlapRuleTest, MembersBackToBackDoNotOverlap) {
    MemberList m;
    m.add("a.txt", 0, 100);         // 30 + 5 + 100 = 135
    m.add("b.txt", 135, 0);         // 35
    m.add("c.txt", 170, 1u << 20);  // runs far, nothing after it
    EXPECT_FALSE(zip::findOverlappingMembers(m.list, kEveryMember));
}

TEST(DamagedOverlapRuleTest, HeaderInsideAnotherMembersStretchOverlaps) {
    MemberList m;
    auto* a = m.add("a.txt", 0, 100);
    auto* b = m.add("b.txt", 134, 10);  // one byte inside a's data
    const auto o = zip::findOverlappingMembers(m.list, kEveryMember);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->first, a);
    EXPECT_EQ(o->second, b);
    EXPECT_NE(zip::overlapMessage(*o).find("\"b.txt\" lies inside \"a.txt\""), std::string::npos);
}

TEST(DamagedOverlapRuleTest, AWideMemberIsRememberedPastShortOnes) {
    // a spans everything; b sits after a's header only if a is forgotten.
    MemberList m;
    auto* a = m.add("a.txt", 0, 10000);
    m.add("b.txt", 20000, 5);
    m.add("c.txt", 5000, 5);
    const auto o = zip::findOverlappingMembers(m.list, kEveryMember);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->first, a);
    EXPECT_EQ(o->second->storedName(), "c.txt");
}

TEST(DamagedOverlapRuleTest, MembersOnOtherPartsAreNotCompared) {
    MemberList m;
    m.add("a.txt", 0, 10000, 0);
    m.add("b.txt", 50, 10, 1);  // the same offset range, but on the next part
    EXPECT_FALSE(zip::findOverlappingMembers(m.list, kEveryMember));
}

TEST(DamagedOverlapRuleTest, MembersLeftOutDoNotCount) {
    MemberList m;
    m.add("a.txt", 0, 10000);  // say: no local header where it points
    m.add("b.txt", 50, 10);
    EXPECT_FALSE(
        zip::findOverlappingMembers(m.list, [](const zip::TZipHeaderInfo& h) { return h.storedName() != "a.txt"; }));
}

TEST(DamagedOverlapRuleTest, SizesNearTheTopOfTheRangeDoNotWrapRound) {
    MemberList m;
    m.add("a.txt", 100, 0xFFFFFFFFFFFFFFF0ull);
    m.add("b.txt", 1000, 1);
    EXPECT_EQ(zip::memberStretchEnd(*m.list[0]), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_TRUE(zip::findOverlappingMembers(m.list, kEveryMember));
}

}  // namespace
}  // namespace zb::test
