// Directories that lie: member counts, directory offsets and sizes, local header
// offsets, name and extra lengths that run past the end of the file, and ZIP64 end
// records and locators that point nowhere. Where the members are still there to be
// found, the reader finds them; where they are not, it says so.
#include "support/AttackCorpus.h"
#include "zip/DamagedArchiveBuilder.h"
#include "zip/io/TMemoryStream.h"

namespace zb::test {
namespace {

// Every original member came back, and nothing was reported missing.
void expectAllRecovered(const DamagedOutcome& o, const std::string& what) {
    EXPECT_FALSE(o.refused) << what << ": " << o.error;
    EXPECT_EQ(o.recovered.size(), 4u) << what;
}

TEST(DamagedDirectoryTest, MemberCountTooHighIsRecoveredFromTheLocalHeaders) {
    const BuiltArchive a = ArchiveBuilder().build();
    std::string bytes = withField(a, "end", -1, "total entries", 0xFFFF);
    putField(bytes, fieldOf(a, "end", -1, "entries on disk"), 0xFFFF);
    expectAllRecovered(extractDamaged(bytes, a.members, "count 65535"), "count 65535");
}

TEST(DamagedDirectoryTest, MemberCountTooLowStillFindsTheRecordsThatFollow) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t count : {0, 1, 4}) {
        std::string bytes = withField(a, "end", -1, "total entries", count);
        putField(bytes, fieldOf(a, "end", -1, "entries on disk"), count);
        expectAllRecovered(extractDamaged(bytes, a.members, "count " + std::to_string(count)),
                           "count " + std::to_string(count));
    }
}

TEST(DamagedDirectoryTest, DirectoryOffsetThatLiesIsRecoveredFromTheLocalHeaders) {
    const BuiltArchive a = ArchiveBuilder().build();
    const std::uint64_t offsets[] = {0, 1, a.localOffsets[2] + 7, a.endOffset, a.bytes.size() + 1000, 0xFFFFFFFF};
    for (std::uint64_t offset : offsets) {
        const std::string what = "directory offset " + std::to_string(offset);
        expectAllRecovered(extractDamaged(withField(a, "end", -1, "directory offset", offset), a.members, what), what);
    }
}

TEST(DamagedDirectoryTest, DirectorySizeThatLiesChangesNothing) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t size : {0ull, 1ull, 0xFFFFFFFFull}) {
        const std::string what = "directory size " + std::to_string(size);
        expectAllRecovered(extractDamaged(withField(a, "end", -1, "directory size", size), a.members, what), what);
    }
}

// The end record of a split set's last part with a directory size of 4 GiB: the
// reader reads what the part holds instead of setting aside what the record claims.
TEST(DamagedDirectoryTest, SplitSetDirectorySizeThatLiesTakesNoMemory) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t disk : {1, 0xC2C2}) {
        std::string bytes = withField(a, "end", -1, "directory size", 0xFFFFFFFF);
        putField(bytes, fieldOf(a, "end", -1, "this disk"), disk);
        putField(bytes, fieldOf(a, "end", -1, "directory disk"), disk);
        TempDir tmp;
        const auto archive = tmp.write("set.zip", bytes);
        const long rss = peakRssMiB();
        zip::TZipReader reader;
        reader.SetZipName(archive.string());
        try {
            reader.ReadDirectory();
            std::set<std::string> listed;
            for (int i = 0; i < reader.MemberCount(); ++i) listed.insert(reader.Member(i).storedName());
            EXPECT_EQ(listed.size(), a.members.size()) << "disk " << disk;
        } catch (const zip::EZipError& e) {
            EXPECT_STRNE(e.what(), "") << "disk " << disk;
        }
        EXPECT_LT(peakRssMiB() - rss, 64 + kQuarantineMiB) << "memory grew with the stated size, disk " << disk;
    }
}

TEST(DamagedDirectoryTest, LocalHeaderOffsetPastTheEndSkipsThatMemberOnly) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t offset : {std::uint64_t(a.bytes.size()) + 5, std::uint64_t(0xFFFFFFF0)}) {
        const std::string what = "offset of member 2 at " + std::to_string(offset);
        const DamagedOutcome o = extractDamaged(withField(a, "central", 2, "relative offset", offset), a.members, what);
        EXPECT_FALSE(o.refused) << what << ": " << o.error;
        EXPECT_GE(o.events, 1) << what;
        EXPECT_FALSE(o.recovered.count(a.members[2].content)) << what;
        EXPECT_TRUE(o.recovered.count(a.members[0].content)) << what;
        EXPECT_TRUE(o.recovered.count(a.members[3].content)) << what;
    }
}

TEST(DamagedDirectoryTest, LocalHeaderOffsetIntoAnotherMembersDataIsReported) {
    const BuiltArchive a = ArchiveBuilder().build();
    const std::uint64_t intoData = a.localOffsets[2] + 30 + a.members[2].name.size() + 100;
    const DamagedOutcome o =
        extractDamaged(withField(a, "central", 4, "relative offset", intoData), a.members, "offset into data");
    EXPECT_TRUE(o.refused || o.events > 0);
}

TEST(DamagedDirectoryTest, CentralNameLengthPastTheEndOfTheFile) {
    const BuiltArchive a = ArchiveBuilder().build();
    const DamagedOutcome o =
        extractDamaged(withField(a, "central", 4, "name length", 0xFFFF), a.members, "central name length 65535");
    // The local headers still tell every member.
    expectAllRecovered(o, "central name length 65535");
}

TEST(DamagedDirectoryTest, LocalNameLengthPastTheEndOfTheFile) {
    const BuiltArchive a = ArchiveBuilder().build();
    const DamagedOutcome o =
        extractDamaged(withField(a, "local", 3, "name length", 0xFFFF), a.members, "local name length 65535");
    EXPECT_TRUE(o.refused || o.events > 0);
    EXPECT_FALSE(o.recovered.count(a.members[3].content));
}

TEST(DamagedDirectoryTest, ExtraLengthPastTheEndOfTheFile) {
    const BuiltArchive a = ArchiveBuilder().build();
    extractDamaged(withField(a, "central", 4, "extra length", 0xFFFF), a.members, "central extra length 65535");
    const DamagedOutcome o =
        extractDamaged(withField(a, "local", 0, "extra length", 0xFFFF), a.members, "local extra length 65535");
    EXPECT_TRUE(o.refused || o.events > 0);
}

TEST(DamagedDirectoryTest, MemberWithoutANameIsReportedNotTakenForAFolder) {
    // A name length of 0 leaves a record that would pass for a folder entry.
    const BuiltArchive a = ArchiveBuilder().build();
    for (int m : {0, 2, 4}) {
        const std::string what = "central name length 0 for member " + std::to_string(m);
        const DamagedOutcome o = extractDamaged(withField(a, "central", m, "name length", 0), a.members, what);
        EXPECT_TRUE(o.refused || o.events > 0) << what;
    }
}

TEST(DamagedDirectoryTest, ArchiveCommentLengthPastTheEnd) {
    const BuiltArchive a = ArchiveBuilder().build();
    const std::string bytes = withField(a, "end", -1, "comment length", 0xFFFF);
    expectAllRecovered(extractDamaged(bytes, a.members, "comment length 65535"), "comment length 65535");
    TempDir tmp;
    zip::TZipReader reader;
    reader.SetZipName(tmp.write("a.zip", bytes).string());
    reader.ReadDirectory();
    EXPECT_EQ(reader.ArchiveComment(), "archive comment");  // what the file holds, no more
}

TEST(DamagedDirectoryTest, Zip64LocatorPointingNowhereFallsBackToTheRecordBeforeIt) {
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), true).build();
    const std::uint64_t nowhere[] = {0,
                                     1,
                                     a.bytes.size() + 100,
                                     0x7FFFFFFFFFFFFFFFull,
                                     0x8000000000000000ull,
                                     0xFFFFFFFFFFFFFFF0ull,
                                     0xFFFFFFFFFFFFFFFFull};
    for (std::uint64_t at : nowhere) {
        const std::string what = "ZIP64 locator to " + std::to_string(at);
        expectAllRecovered(extractDamaged(withField(a, "zip64 locator", -1, "end record offset", at), a.members, what),
                           what);
    }
}

TEST(DamagedDirectoryTest, EndRecordSearchAnswersForAnyLocatorValue) {
    // The search for the end record answers found or not found; a locator value near
    // 2^64 once wrapped round in a bounds check and ended in a seek error.
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), true).build();
    for (std::uint64_t at : {0xFFFFFFFFFFFFFFC8ull, 0xFFFFFFFFFFFFFFF0ull, 0xFFFFFFFFFFFFFFFEull}) {
        zip::TMemoryStream s(withField(a, "zip64 locator", -1, "end record offset", at));
        zip::TEndCentral end;
        bool found = false;
        EXPECT_NO_THROW(found = end.find(s)) << at;
        EXPECT_TRUE(found);
        EXPECT_TRUE(end.zip64) << "the record right before the locator is still taken";
        EXPECT_EQ(end.totalEntries, a.members.size());
        EXPECT_EQ(end.centralOffset, a.centralOffset);
    }
}

TEST(DamagedDirectoryTest, Zip64EndRecordThatLies) {
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), true).build();
    const std::pair<const char*, std::uint64_t> lies[] = {
        {"total entries", 0xFFFFFFFFFFFFFFFFull},    {"total entries", 0x8000000000000000ull},
        {"entries on disk", 0xFFFFFFFFFFFFFFFFull},  {"directory offset", 0xFFFFFFFFFFFFFFFFull},
        {"directory offset", 0x8000000000000000ull}, {"directory offset", a.bytes.size() + 1},
        {"directory size", 0xFFFFFFFFFFFFFFFFull},   {"record size", 0xFFFFFFFFFFFFFFFFull},
    };
    for (const auto& [field, value] : lies) {
        const std::string what = std::string("ZIP64 ") + field + " " + std::to_string(value);
        expectAllRecovered(extractDamaged(withField(a, "zip64 end", -1, field, value), a.members, what), what);
    }
}

TEST(DamagedDirectoryTest, Zip64ExtraFieldWithHugeOffsetSkipsThatMemberOnly) {
    // A member whose offset is in a ZIP64 extra field that says 2^63 or more.
    const BuiltArchive a = ArchiveBuilder().build();
    std::string bytes = a.bytes;
    const FieldSpot& off = fieldOf(a, "central", 2, "relative offset");
    const FieldSpot& extraLen = fieldOf(a, "central", 2, "extra length");
    const FieldSpot& name = fieldOf(a, "central", 2, "name");
    for (std::uint64_t huge : {0x8000000000000000ull, 0xFFFFFFFFFFFFFFFFull}) {
        std::string b = bytes;
        putField(b, off, 0xFFFFFFFF);
        putField(b, extraLen, 12);
        std::string extra;
        zip::appendU16(extra, zip::kExtraZip64);
        zip::appendU16(extra, 8);
        zip::appendU64(extra, huge);
        b.insert(name.offset + name.width, extra);
        // The directory grew by 12 bytes: the end record's size follows.
        const std::size_t endAt = a.endOffset + 12;
        putField(b, FieldSpot{"end", -1, "directory size", endAt + 12, 4}, a.endOffset - a.centralOffset + 12);
        const std::string what = "ZIP64 offset " + std::to_string(huge);
        const DamagedOutcome o = extractDamaged(b, a.members, what);
        EXPECT_FALSE(o.refused) << what << ": " << o.error;
        EXPECT_GE(o.events, 1) << what;
        EXPECT_TRUE(o.recovered.count(a.members[0].content)) << what;
        EXPECT_TRUE(o.recovered.count(a.members[3].content)) << what;
    }
}

// What the reader had to repair, or found to disagree, is told as a warning that names
// it; a sound archive gives none. Read and tested in memory, as "test" does.
TEST(DamagedDirectoryTest, RepairsAreReportedAsWarnings) {
    const BuiltArchive a = ArchiveBuilder(defaultDamagedMembers(), false, "").build();
    using Change = std::tuple<const char*, int, const char*, std::uint64_t>;  // record, member, field, value
    auto with = [&](std::initializer_list<Change> changes, const char* renamed = nullptr) {
        std::string b = a.bytes;
        for (const auto& [record, member, field, value] : changes)
            putField(b, fieldOf(a, record, member, field), value);
        if (renamed) b[fieldOf(a, renamed, renamed[0] == 'l' ? 0 : 4, "name").offset] = 'X';
        return b;
    };
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // the archive, the warnings
        {a.bytes, {}},
        {withDirectoryRepeated(a.bytes, 3),
         {"rebuilt from the local headers", "record of \"readme.txt\" repeats a member",
          "record of \"empty.txt\" repeats"}},
        {with({}, "local"), {"local header of \"readme.txt\" disagrees with its central record on name"}},
        {with({{"local", 2, "crc", 1}, {"local", 2, "uncompressed size", 7}}),
         {"local header of \"data/random.bin\" disagrees with its central record on CRC and sizes"}},
        {with({{"end", -1, "total entries", 1}}), {"the end record states 1 members; the directory holds 5"}},
        {with({{"end", -1, "directory offset", 1}}), {"wrong offset for the central directory"}},
        {a.bytes.substr(0, a.endOffset), {"end of the central directory is missing"}},
        {with({{"end", -1, "total entries", 0xFFFF}, {"central", 4, "relative offset", 99999}}, "central"),
         {"rebuilt", "central record of \"Xmpty.txt\" matches no local header and was dropped"}},
    };
    for (const auto& [bytes, warned] : cases) {
        TempDir tmp;
        zip::TZipReader reader;
        reader.SetZipName(tmp.write("a.zip", bytes).string());
        reader.IncompleteZipMode = zip::izAssumeBad;
        reader.Password = kDamagedPassword;
        reader.DoAll = true;
        reader.UnZipToBuffer();
        std::string all;
        for (const std::string& w : reader.DirectoryWarnings()) all += w + "\n";
        EXPECT_EQ(all.empty(), warned.empty()) << all;
        for (const std::string& text : warned) EXPECT_NE(all.find(text), std::string::npos) << text << "\n" << all;
    }
}

}  // namespace
}  // namespace zb::test
