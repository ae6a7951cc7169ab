// Listing, extraction and testing while the disk fails: the archive's file stops giving
// bytes after N of them, or the files being extracted stop taking bytes after N of
// them, for every N through the archive (or through everything the extracted files
// take). Whatever N, the run ends in the engine's words or goes on with the loss
// reported; a file that was being written when the failure came is removed, nothing
// unreported stays behind, and (under the sanitizers) nothing leaks.
#include "support/FailingStream.h"
#include "zip/DamagedArchiveBuilder.h"

namespace zb::test {
namespace {

// Small, so that every N can be tried: one member of each kind.
std::vector<SourceMember> smallMembers() {
    std::string text;
    for (int i = 0; text.size() < 700; ++i) text += "entry " + std::to_string(i) + " of a text\n";
    return {
        {"text.txt", text, 8, false},
        {"folder/", "", 0, false},
        {"folder/raw.bin", damagedBinary().substr(0, 300), 0, false},
        {"locked.txt", "under a password\n", 0, true},
        {"empty.txt", "", 0, false},
    };
}

// A plan for one extraction: the archive's reads or the destination's writes.
FaultsFactory planFor(FaultSide side, std::uint64_t budget, std::uint64_t* used, bool* tripped) {
    return [=](const fs::path& archive, const fs::path& dest) {
        auto plan =
            std::make_unique<FileFaultPlan>(side, budget, side == FaultSide::Read ? isFile(archive) : isInside(dest));
        plan->reportTo(used, tripped);
        return plan;
    };
}

void failAfterEveryByte(FaultSide side, zip::TIncompleteZipMode mode) {
    const BuiltArchive a = ArchiveBuilder(smallMembers()).build();
    std::uint64_t total = 0;
    const DamagedOutcome whole = extractDamaged(a.bytes, a.members, "measuring", mode,
                                                planFor(side, FileFaultPlan::kUnlimited, &total, nullptr));
    ASSERT_FALSE(whole.refused) << whole.error;
    ASSERT_EQ(whole.recovered.size(), 4u);
    ASSERT_GE(total, side == FaultSide::Read ? a.bytes.size() : 1000u);
    int refused = 0;
    for (std::uint64_t n : faultPoints(total, total)) {
        bool tripped = false;
        const std::string what = std::string(side == FaultSide::Read ? "archive read" : "target write") +
                                 " failing after " + std::to_string(n) + " of " + std::to_string(total) + " bytes";
        const DamagedOutcome o = extractDamaged(a.bytes, a.members, what, mode, planFor(side, n, nullptr, &tripped));
        // The failure came (the budget is below what a run needs) and was noticed, or
        // it hit bytes read ahead that nothing needed.
        EXPECT_TRUE(tripped) << what;
        EXPECT_TRUE(o.refused || o.events > 0 || o.recovered.size() == 4) << what;
        refused += o.refused;
    }
    EXPECT_GT(refused, 0);
}

TEST(FaultInjectionReadTest, ArchiveReadsFailAfterEveryByte) { failAfterEveryByte(FaultSide::Read, zip::izAssumeBad); }

TEST(FaultInjectionReadTest, ArchiveReadsFailAfterEveryByteWithoutSalvage) {
    failAfterEveryByte(FaultSide::Read, zip::izAssumeNotAZip);
}

TEST(FaultInjectionReadTest, ExtractedFilesFailAfterEveryByte) {
    failAfterEveryByte(FaultSide::Write, zip::izAssumeBad);
}

TEST(FaultInjectionReadTest, FullDiskEndsTheRunWithTheEnginesMessageAndRemovesTheHalfFile) {
    const BuiltArchive a = ArchiveBuilder(smallMembers()).build();
    TempDir tmp;
    const auto archive = tmp.write("a.zip", a.bytes);
    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.SetDestDir((tmp / "dest").string());
    reader.DoAll = true;
    reader.RecreateDirs = true;
    reader.OverwriteMode = zip::Always;
    int complete = -1;
    reader.OnUnZipComplete = [&](zip::TZipReader&, int n) { complete = n; };
    {
        FileFaultPlan plan(FaultSide::Write, 100, isInside(tmp / "dest"));  // text.txt is 700 bytes
        try {
            reader.UnZip();
            ADD_FAILURE() << "a full disk passed for success";
        } catch (const zip::ECantWriteUCF& e) {
            EXPECT_STREQ(e.what(), zip::msg::kCantWriteUcf);
        }
        EXPECT_TRUE(plan.tripped());
    }
    EXPECT_EQ(complete, 0);
    EXPECT_FALSE(fs::exists(tmp / "dest/text.txt"));
}

TEST(FaultInjectionReadTest, ListingWithReadsFailingAfterEveryByte) {
    const BuiltArchive a = ArchiveBuilder(smallMembers()).build();
    std::set<std::string> names;
    for (const auto& m : a.members) names.insert(m.name);
    TempDir tmp;
    const auto archive = tmp.write("a.zip", a.bytes);
    int refused = 0, reported = 0, whole = 0;
    for (std::uint64_t n = 0; n <= a.bytes.size(); ++n) {
        zip::TZipReader reader;
        int incomplete = 0;
        reader.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) { ++incomplete; };
        std::set<std::string> listed;
        try {
            FileFaultPlan plan(FaultSide::Read, n, isFile(archive));
            reader.SetZipName(archive.string());
            reader.ReadDirectory();
            for (int i = 0; i < reader.MemberCount(); ++i) listed.insert(reader.Member(i).storedName());
        } catch (const zip::EZipError& e) {
            EXPECT_NE(std::string(e.what()), "") << n;
            ++refused;
            continue;
        }
        // What is listed is the archive's own; a shorter list was reported as such.
        for (const auto& name : listed) EXPECT_TRUE(names.count(name)) << "an invented member " << name << " at " << n;
        if (incomplete == 0) {
            EXPECT_EQ(listed, names) << "members went missing from the list without a word at " << n;
        }
        whole += listed == names;
        reported += incomplete > 0;
    }
    EXPECT_GT(refused + reported, 0);
    EXPECT_GT(whole, 0);
}

// Testing the archive into memory: every member reported good decoded to its own
// contents; fewer of them than a sound run finds came with a report.
TEST(FaultInjectionReadTest, TestRunIntoMemoryWithReadsFailingAfterEveryByte) {
    const BuiltArchive a = ArchiveBuilder(smallMembers()).build();
    std::map<std::string, std::string> originals;
    for (const auto& m : a.members) originals[m.name] = m.content;
    TempDir tmp;
    const auto archive = tmp.write("a.zip", a.bytes);
    auto testRun = [&](std::uint64_t budget, int& events, std::map<std::string, std::string>& good) {
        zip::TZipReader reader;
        reader.DoAll = true;
        reader.Password = kDamagedPassword;
        reader.IncompleteZipMode = zip::izAssumeBad;
        std::map<std::string, std::string> got;
        reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string&, int, bool&) { ++events; };
        reader.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++events; };
        reader.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) { ++events; };
        reader.OnGetNextBuffer = [&](zip::TZipReader&, const std::uint8_t* p, std::size_t k, const std::string& name,
                                     int, bool&) { got[name].append(reinterpret_cast<const char*>(p), k); };
        reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) { good[name] = got[name]; };
        FileFaultPlan plan(FaultSide::Read, budget, isFile(archive));
        reader.SetZipName(archive.string());
        return reader.UnZipToBuffer();
    };
    int events = 0;
    std::map<std::string, std::string> sound;
    const int count = testRun(FileFaultPlan::kUnlimited, events, sound);
    ASSERT_EQ(events, 0);
    ASSERT_EQ(std::size_t(count), sound.size());
    ASSERT_GE(sound.size(), 4u);
    int refused = 0;
    for (std::uint64_t n = 0; n <= a.bytes.size(); ++n) {
        events = 0;
        std::map<std::string, std::string> good;
        bool raised = false;
        try {
            const int k = testRun(n, events, good);
            EXPECT_EQ(std::size_t(k), good.size()) << n;
        } catch (const zip::EZipError&) {
            raised = true;
            ++refused;
        }
        for (const auto& [name, content] : good) {
            ASSERT_TRUE(originals.count(name)) << name << " at " << n;
            EXPECT_EQ(content, originals[name]) << name << " passed a test with other contents at " << n;
        }
        if (!raised && events == 0) {
            EXPECT_EQ(good.size(), sound.size()) << "members went missing without a word at " << n;
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace zb::test
