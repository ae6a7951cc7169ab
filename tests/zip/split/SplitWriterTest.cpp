// The writer in split mode: files packed (deflated, stored, encrypted) into numbered
// parts or spanned parts named by OnGetNextDisk, read back through the reader, the
// ".zfc" copy of the directory, a run given up while naming parts, and peers reading a set.
#include <gtest/gtest.h>

#include "support/FakeUi.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"
#include "zip/SplitTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"
#include "zip/split/SplitPartNames.h"

using namespace zb::zip;
using namespace zb::test;

namespace {

class SplitWriter : public ::testing::Test {
protected:
    void SetUp() override {
        in_ = (dir_ / "in").string() + "/";
        files_ = {{"big.bin", pattern(60000, 31)}, {"text.txt", std::string(20000, 'a') + "tail"}, {"empty.txt", ""}};
        for (auto& [name, data] : files_) dir_.write("in/" + name, data);
        std::filesystem::create_directories(dir_ / "out");
        zip_ = (dir_ / "out" / "set.zip").string();
    }

    int zip(TZipWriter& w, const TMultiZipInfo& info) {
        w.SetZipName(zip_);
        w.SetMultiZipInfo(info);
        for (auto& [name, data] : files_) w.FilesList.push_back(in_ + name);
        return w.Zip();
    }

    std::vector<std::string> existingParts() {
        std::vector<std::string> parts;
        for (int n = 1; std::filesystem::exists(splitPartFileName(zip_, n)); ++n)
            parts.push_back(splitPartFileName(zip_, n));
        return parts;
    }

    void expectContents(const std::map<std::string, std::string>& got) {
        ASSERT_EQ(got.size(), files_.size());
        for (auto& [name, data] : files_) EXPECT_EQ(got.at(name), data) << name;
    }

    TempDir dir_;
    std::string in_, zip_;
    std::map<std::string, std::string> files_;
};

}  // namespace

TEST_F(SplitWriter, NumberedPartsRoundTripDeflatedAndStored) {
    for (int level : {0, 6}) {
        TZipWriter w;
        w.SetPackLevel(level);
        TMultiZipInfo info;
        info.MultiMode = mmBlocks;
        info.FirstBlockSize = 7000;
        info.BlockSize = 9000;
        ASSERT_EQ(zip(w, info), 3);
        auto parts = existingParts();
        ASSERT_GE(parts.size(), 2u);
        EXPECT_LE(fileSize(parts[0]), 7000u);
        for (std::size_t i = 1; i < parts.size(); ++i) EXPECT_LE(fileSize(parts[i]), 9000u);
        EXPECT_FALSE(std::filesystem::exists(zip_));
        // No temporary file is left beside the set.
        for (auto& e : std::filesystem::directory_iterator(dir_ / "out")) {
            EXPECT_EQ(e.path().stem(), "set") << e.path();
            EXPECT_NE(e.path().extension(), ".zip");
        }
        expectContents(readSetContents(parts.back()));
        for (auto& p : parts) std::filesystem::remove(p);
    }
}

// The parts are a standard split archive: under the names other tools give their parts
// (.z01, .z02, ... and .zip last), 7-Zip reads the set and Info-ZIP joins and tests it.
TEST_F(SplitWriter, NumberedPartsAreReadByPeersUnderTheirPartNames) {
    TZipWriter w;
    w.SetPackLevel(6);
    TMultiZipInfo info;
    info.MultiMode = mmBlocks;
    info.FirstBlockSize = info.BlockSize = 8000;
    ASSERT_EQ(zip(w, info), 3);
    auto parts = existingParts();
    ASSERT_GE(parts.size(), 2u);
    const auto peer = dir_ / "peer";
    std::filesystem::create_directories(peer);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string number = (i + 1 < 10 ? "0" : "") + std::to_string(i + 1);
        std::filesystem::copy_file(parts[i], peer / (i + 1 == parts.size() ? "set.zip" : "set.z" + number));
    }
    const std::string in = "cd " + shellQuote(peer.string()) + " && ";
    auto r = runCommand(in + "7z x -y -bd -oseven set.zip 2>&1");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    r = runCommand(in + "zip -q -s 0 set.zip --out joined.zip 2>&1 && unzip -q -d info joined.zip 2>&1");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    for (const char* tool : {"seven", "info"}) {
        std::map<std::string, std::string> got;
        for (auto& [name, data] : files_) got[name] = readFile(peer / tool / name);
        expectContents(got);
    }
}

TEST_F(SplitWriter, EncryptedMembersAcrossParts) {
    TZipWriter w;
    w.Password = "secret";
    TMultiZipInfo info;
    info.MultiMode = mmBlocks;
    info.FirstBlockSize = info.BlockSize = 5000;
    ASSERT_EQ(zip(w, info), 3);
    auto parts = existingParts();
    expectContents(readSetContents(parts.back(), [](TZipReader& r) { r.Password = "secret"; }));
}

TEST_F(SplitWriter, SpannedPartsNamedByTheHandlerAndReadWithIt) {
    std::filesystem::create_directories(dir_ / "media");
    auto volume = [&](int n) { return (dir_ / "media" / ("disk" + std::to_string(n) + ".part")).string(); };
    TZipWriter w;
    w.SetPackLevel(0);
    std::vector<int> asked, prepared;
    bool writing = true;
    int lastPart = 0;
    w.OnGetNextDisk = [&](TZipReader&, int n, std::string& fname) {
        // The writer offers the archive's name; the reader the part it has open.
        if (writing)
            EXPECT_EQ(fname, zip_);
        else
            EXPECT_EQ(fname, volume(lastPart));
        asked.push_back(n);
        fname = volume(n);
    };
    w.OnPrepareNextDisk = [&](TZipWriter&, int n) { prepared.push_back(n); };
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 16384;
    ASSERT_EQ(zip(w, info), 3);
    ASSERT_GE(asked.size(), 5u);
    EXPECT_EQ(asked, prepared);
    for (std::size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(asked[i], int(i) + 1);
        EXPECT_LE(fileSize(volume(int(i) + 1)), 16384u);
    }
    EXPECT_FALSE(std::filesystem::exists(volume(int(asked.size()) + 1)));
    writing = false;
    lastPart = int(asked.size());
    // The same handler on a reader finds every part.
    auto got = readSetContents(volume(int(asked.size())), [&](TZipReader& r) { r.OnGetNextDisk = w.OnGetNextDisk; });
    expectContents(got);
}

TEST_F(SplitWriter, HandlerGivingNoNameCancelsAndLeavesNothing) {
    TZipWriter w;
    w.SetPackLevel(0);
    w.OnGetNextDisk = [&](TZipReader&, int n, std::string& fname) {
        fname = n < 3 ? (dir_ / "out" / ("p" + std::to_string(n))).string() : std::string();
    };
    TMultiZipInfo info;
    info.MultiMode = mmSpan;
    info.MaxSpanPartSize = 10000;
    try {
        zip(w, info);
        FAIL() << "no exception";
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Zip operation");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir_ / "out"));
    EXPECT_TRUE(w.FilesList.empty());
}

TEST_F(SplitWriter, ZipInfoFileBesideTheSetAndItsFailureShown) {
    TMultiZipInfo info;
    info.MultiMode = mmBlocks;
    info.SaveZipInfoOnFirstDisk = true;
    info.FirstBlockSize = 3 * 58 + 2070 + 4000;
    info.BlockSize = 8000;
    {
        TZipWriter w;
        w.SetPackLevel(0);
        w.SetZipName(zip_);  // a comment set before the name would belong to the previous archive
        w.SetArchiveComment("backup of in/");
        ASSERT_EQ(zip(w, info), 3);
        auto parts = existingParts();
        EXPECT_LE(fileSize(parts[0]), 4000u);
        ASSERT_TRUE(std::filesystem::exists(zipInfoFileName(zip_)));
        // Without the last part the set is still listed, with its comment.
        std::filesystem::remove(parts.back());
        TZipReader r;
        r.SetZipName(parts[0]);
        r.ReadDirectory();
        EXPECT_EQ(r.MemberCount(), 3);
        EXPECT_EQ(r.ArchiveComment(), "backup of in/");
        for (auto& p : parts) std::filesystem::remove(p);
        std::filesystem::remove(zipInfoFileName(zip_));
    }
    std::filesystem::create_directories(zipInfoFileName(zip_));
    TZipWriter w;
    FakeUi ui;
    w.Ui = &ui;
    w.SetPackLevel(0);
    ASSERT_EQ(zip(w, info), 3);  // the set itself is fine
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Unable to create Zip Configuration File to disk");
    expectContents(readSetContents(existingParts().back()));
}
