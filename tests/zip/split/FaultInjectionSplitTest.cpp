// Split sets while the disk fails: writing a set of numbered parts on a disk that fills
// after N bytes (the whole archive written first, then laid onto the parts), and
// testing a set whose parts stop giving bytes after N of them. Whatever N, the write
// ends in the engine's words with no part and no temporary file left, and the read
// raises, reports the loss, or gives every member whole.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "support/FailingStream.h"
#include "support/TempDir.h"
#include "zip/SplitTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"
#include "zip/split/SplitPartNames.h"

namespace zb::test {
namespace {

namespace fs = std::filesystem;

class FaultInjectionSplitTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = {{"a.bin", pattern(900, 5)}, {"b.txt", std::string(700, 'b') + "end"}, {"c.txt", "small\n"}};
        for (const auto& [name, content] : files) dir.write("in/" + name, content);
        fs::create_directories(out);
        info.MultiMode = zip::mmBlocks;
        info.FirstBlockSize = 700;
        info.BlockSize = 800;
    }

    // Zips the files into a set with `plan` in force; true when it raised an engine error.
    bool zipSet(std::unique_ptr<FileFaultPlan> plan, std::string& error) {
        zip::TZipWriter w;
        w.SetZipName(archive.string());
        w.SetPackLevel(0);  // stored: the set's bytes do not depend on the compressor
        w.SetMultiZipInfo(info);
        for (const auto& [name, content] : files) w.FilesList.push_back((dir / "in" / name).string());
        try {
            w.Zip();
        } catch (const zip::EZipError& e) {
            plan.reset();
            error = e.what();
            return true;
        } catch (const std::exception& e) {
            plan.reset();
            ADD_FAILURE() << "raised something that is not an engine error: " << e.what();
            return true;
        }
        return false;
    }

    std::set<std::string> listing() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(out)) names.insert(e.path().filename().string());
        return names;
    }

    TempDir dir;
    fs::path out = dir / "out";
    fs::path archive = dir / "out/set.zip";
    std::map<std::string, std::string> files;
    zip::TMultiZipInfo info;
};

TEST_F(FaultInjectionSplitTest, SetOnADiskThatFillsAfterEveryByteLeavesNothing) {
    std::uint64_t total = 0;
    {
        auto plan = std::make_unique<FileFaultPlan>(FaultSide::Write, FileFaultPlan::kUnlimited, isInside(out));
        plan->reportTo(&total, nullptr);
        std::string error;
        ASSERT_FALSE(zipSet(std::move(plan), error)) << error;
    }
    const std::set<std::string> parts = listing();
    ASSERT_GE(parts.size(), 3u);
    std::uint64_t setSize = 0;
    for (const auto& p : parts) setSize += fs::file_size(out / p);
    ASSERT_GT(total, setSize);  // the archive whole, then its parts
    for (const auto& p : parts) fs::remove(out / p);
    for (std::uint64_t n : faultPoints(total, 600, 500)) {
        std::string error;
        EXPECT_TRUE(zipSet(std::make_unique<FileFaultPlan>(FaultSide::Write, n, isInside(out)), error))
            << "a full disk after " << n << " bytes passed for success";
        EXPECT_EQ(error, zip::msg::kNotEnoughRoom) << "after " << n << " bytes";
        EXPECT_TRUE(listing().empty()) << "parts or a temporary file were left after a full disk at " << n;
    }
}

TEST_F(FaultInjectionSplitTest, SetWhosePartsFailToReadAfterEveryByte) {
    std::string error;
    ASSERT_FALSE(zipSet(nullptr, error)) << error;
    std::uint64_t setSize = 0;
    int count = 0;
    for (; fs::exists(zip::splitPartFileName(archive.string(), count + 1)); ++count)
        setSize += fs::file_size(zip::splitPartFileName(archive.string(), count + 1));
    ASSERT_GE(count, 3);
    ASSERT_EQ(listing().size(), std::size_t(count));
    const std::string last = zip::splitPartFileName(archive.string(), count);
    std::uint64_t total = 0;
    {
        FileFaultPlan measure(FaultSide::Read, FileFaultPlan::kUnlimited, isInside(out));
        ASSERT_EQ(readSetContents(last), files);
        total = measure.used();
    }
    ASSERT_GE(total, setSize);
    int refused = 0, whole = 0;
    for (std::uint64_t n = 0; n <= total; ++n) {
        int events = 0;
        std::map<std::string, std::string> got;
        bool raised = false;
        try {
            FileFaultPlan plan(FaultSide::Read, n, isInside(out));
            got = readSetContents(last, [&](zip::TZipReader& r) {
                r.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string&, int, bool&) {
                    ++events;
                };
                r.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++events; };
                r.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) { ++events; };
            });
        } catch (const zip::EZipError&) {
            raised = true;
            ++refused;
        }
        for (const auto& [name, content] : got) {
            ASSERT_TRUE(files.count(name)) << name << " at " << n;
            EXPECT_EQ(content, files[name]) << name << " passed with other contents at " << n;
        }
        if (!raised && events == 0) {
            EXPECT_EQ(got, files) << "members went missing without a word at " << n;
        }
        whole += got == files;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(whole, 0);
}

}  // namespace
}  // namespace zb::test
