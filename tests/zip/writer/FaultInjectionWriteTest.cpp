// Zip runs while the disk fails: the archive being written stops taking bytes after N
// of them (a full disk), the old archive of an update stops giving bytes after N, or a
// file being packed cannot be read past N bytes, for N over everything a complete run
// moves (every N through the archive's records, then in odd steps). Whatever N: the
// run ends in the engine's words, no half-written archive is left where the archive
// belongs, no temporary file is left beside it, an archive that existed is untouched
// byte for byte, and (under the sanitizers) nothing leaks. A file that cannot be read
// is left out and reported; the archive then holds every other file whole.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/FailingStream.h"
#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"

namespace zb::test {
namespace {

namespace fs = std::filesystem;

std::string someText(std::size_t n, int seed) {
    std::string s;
    for (int i = 0; s.size() < n; ++i) s += "line " + std::to_string(i * seed) + " of the file\n";
    s.resize(n);
    return s;
}

// Every name in the folder (the archive and anything left beside it).
std::set<std::string> folderListing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// Member name -> contents, as the engine's own reader decodes them (CRC checked).
std::map<std::string, std::string> archiveContents(const fs::path& archive, const std::string& password = {}) {
    std::map<std::string, std::string> out;
    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.DoAll = true;
    reader.Password = password;
    std::map<std::string, std::string> pending;
    reader.OnGetNextBuffer = [&](zip::TZipReader&, const std::uint8_t* p, std::size_t n, const std::string& name, int,
                                 bool&) { pending[name].append(reinterpret_cast<const char*>(p), n); };
    reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) { out[name] = pending[name]; };
    int bad = 0;
    reader.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++bad; };
    reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string&, int, bool&) { ++bad; };
    reader.UnZipToBuffer();
    EXPECT_EQ(bad, 0) << archive;
    return out;
}

class FaultInjectionWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(out);
        files = {{"a.txt", someText(900, 1)},
                 {"b.bin", std::string(300, '\x07')},
                 {"sub/c.txt", "small\n"},
                 {"empty.txt", ""}};
        for (const auto& [name, content] : files) dir.write("in/" + name, content);
    }

    std::vector<std::string> inputPaths() const {
        std::vector<std::string> paths;
        for (const auto& [name, content] : files) paths.push_back((dir / "in" / name).string());
        return paths;
    }

    // A writer set up for one run into `archive`.
    void setUpWriter(zip::TZipWriter& w, const std::string& password = {}) {
        w.SetZipName(archive.string());
        w.SetStorePaths(true);
        w.SetRootDir((dir / "in").string());
        w.SetRelativePaths(true);
        w.Password = password;
        w.FilesList = inputPaths();
    }

    // Makes the archive that the update tests start from, and returns its bytes.
    std::string makeOldArchive() {
        dir.write("in/old-only.txt", someText(400, 7));
        zip::TZipWriter w;
        setUpWriter(w);
        w.FilesList = {(dir / "in/a.txt").string(), (dir / "in/old-only.txt").string()};
        EXPECT_EQ(w.Zip(), 2);
        // a.txt changes afterwards (and is newer), so the update replaces it.
        files["a.txt"] = someText(950, 3);
        dir.write("in/a.txt", files["a.txt"]);
        fs::last_write_time(dir / "in/a.txt", fs::last_write_time(dir / "in/a.txt") + std::chrono::seconds(10));
        return readFile(archive);
    }

    // Runs a zip with `plan` in force; true when it raised an engine error.
    bool zipWith(std::unique_ptr<FileFaultPlan> plan, std::string& error, const std::string& password = {}) {
        zip::TZipWriter w;
        setUpWriter(w, password);
        try {
            w.Zip();
        } catch (const zip::EZipError& e) {
            plan.reset();
            error = e.what();
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(w.FilesList.empty());
            return true;
        } catch (const std::exception& e) {
            plan.reset();
            ADD_FAILURE() << "raised something that is not an engine error: " << e.what();
            return true;
        }
        return false;
    }

    TempDir dir;
    fs::path out = dir / "out";
    fs::path archive = dir / "out/backup.zip";
    std::map<std::string, std::string> files;
};

TEST_F(FaultInjectionWriteTest, NewArchiveOnADiskThatFillsAfterEveryByte) {
    std::uint64_t total = 0;
    {
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Write, FileFaultPlan::kUnlimited, isInside(out));
        plan->reportTo(&total, nullptr);
        std::string error;
        ASSERT_FALSE(zipWith(std::move(plan), error)) << error;
    }
    const std::string good = readFile(archive);
    ASSERT_EQ(total, good.size());  // each byte written once
    fs::remove(archive);
    for (std::uint64_t n : faultPoints(total)) {
        bool tripped = false;
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Write, n, isInside(out));
        plan->reportTo(nullptr, &tripped);
        std::string error;
        EXPECT_TRUE(zipWith(std::move(plan), error)) << "a full disk after " << n << " bytes passed for success";
        EXPECT_TRUE(tripped);
        EXPECT_EQ(error, zip::msg::kNotEnoughRoom) << "after " << n << " bytes";
        EXPECT_TRUE(folderListing(out).empty()) << "something was left after a full disk at " << n << " bytes";
    }
}

TEST_F(FaultInjectionWriteTest, UpdateOnADiskThatFillsAfterEveryByteLeavesTheOldArchive) {
    const std::string old = makeOldArchive();
    std::uint64_t total = 0;
    {
        // Measure on a copy, then put the old archive back.
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Write, FileFaultPlan::kUnlimited, isInside(out));
        plan->reportTo(&total, nullptr);
        std::string error;
        ASSERT_FALSE(zipWith(std::move(plan), error)) << error;
        const auto contents = archiveContents(archive);
        EXPECT_EQ(contents.size(), 5u);
        EXPECT_EQ(contents.at("a.txt"), files["a.txt"]);
        EXPECT_EQ(contents.at("old-only.txt"), someText(400, 7));
        fs::remove(archive);
    }
    ASSERT_GT(total, 0u);
    const auto before = std::set<std::string>{"backup.zip"};
    for (std::uint64_t n : faultPoints(total)) {
        dir.write("out/backup.zip", old);
        std::string error;
        EXPECT_TRUE(zipWith(std::make_unique<FileFaultPlan>(FaultSide::Write, n, isInside(out)), error))
            << "a full disk after " << n << " bytes passed for success";
        EXPECT_EQ(readFile(archive), old) << "the old archive changed (full disk after " << n << " bytes)";
        EXPECT_EQ(folderListing(out), before) << "a temporary file was left (full disk after " << n << " bytes)";
    }
}

TEST_F(FaultInjectionWriteTest, UpdateWhoseOldArchiveFailsToReadAfterEveryByte) {
    const std::string old = makeOldArchive();
    std::uint64_t total = 0;
    {
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Read, FileFaultPlan::kUnlimited, isFile(archive));
        plan->reportTo(&total, nullptr);
        std::string error;
        ASSERT_FALSE(zipWith(std::move(plan), error)) << error;
    }
    const auto expected = archiveContents(archive);
    ASSERT_EQ(expected.size(), 5u);
    ASSERT_GT(total, old.size());
    int failed = 0;
    for (std::uint64_t n : faultPoints(total)) {
        dir.write("out/backup.zip", old);
        std::string error;
        const bool raised = zipWith(std::make_unique<FileFaultPlan>(FaultSide::Read, n, isFile(archive)), error);
        EXPECT_EQ(folderListing(out), std::set<std::string>{"backup.zip"}) << "after " << n << " bytes";
        if (raised) {
            ++failed;
            EXPECT_EQ(readFile(archive), old) << "the old archive changed (reads failing after " << n << " bytes)";
        } else {
            // The failure hit bytes nothing needed: then the update must be complete.
            EXPECT_EQ(archiveContents(archive), expected) << "an update with failing reads lost members at " << n;
        }
    }
    EXPECT_GT(failed, 0);
}

class FaultInjectionSourceTest : public FaultInjectionWriteTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FaultInjectionSourceTest, FileThatCannotBeReadPastEveryByteIsLeftOutAndReported) {
    const std::string password = GetParam() ? "secret" : "";
    std::uint64_t total = 0;
    {
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Read, FileFaultPlan::kUnlimited, isInside(dir / "in"));
        plan->reportTo(&total, nullptr);
        std::string error;
        ASSERT_FALSE(zipWith(std::move(plan), error, password)) << error;
        fs::remove(archive);
    }
    ASSERT_GE(total, 1200u);
    for (std::uint64_t n : faultPoints(total, 256, 300)) {
        zip::TZipWriter w;
        setUpWriter(w, password);
        std::vector<std::string> skipped, ended;
        w.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason r, const std::string& p, int, bool&) {
            EXPECT_EQ(r, zip::skipOpenFailed);
            skipped.push_back(p);
        };
        w.OnEndZip = [&](zip::TZipWriter&, const std::string& p, std::int64_t, std::int64_t, std::int64_t) {
            ended.push_back(p);
        };
        int count = -1;
        {
            FileFaultPlan plan(FaultSide::Read, n, isInside(dir / "in"));
            count = w.Zip();
            EXPECT_TRUE(plan.tripped());
        }
        EXPECT_GE(skipped.size(), 1u) << "an unreadable file was not reported (reads failing after " << n << ")";
        EXPECT_EQ(std::size_t(count), ended.size());
        EXPECT_EQ(std::size_t(count) + skipped.size(), files.size()) << "after " << n;
        const auto contents = archiveContents(archive, password);
        EXPECT_EQ(contents.size(), std::size_t(count));
        for (const auto& [name, content] : contents) EXPECT_EQ(content, files.at(name)) << name << " after " << n;
        if (n % 32 == 0) {
            EXPECT_EQ(unzipTest(archive, password).status, 0) << "after " << n;
        }
        fs::remove(archive);
    }
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, FaultInjectionSourceTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Encrypted" : "Plain"; });

}  // namespace
}  // namespace zb::test
