// Extraction with workers decoding ahead against extraction on one thread, on one
// generated archive: for every case the same files in the destination, the same events
// in the same order with the same progress steps and skip details, the same count and
// the same error. The archive holds many small and empty files, a file over the limit
// of what is decoded in memory, a member whose data is damaged and an encrypted one;
// the cases skip members in the handler, cancel part-way, give no password and
// extract into memory.
#include <gtest/gtest.h>

#include <memory>

#include "support/TempDir.h"
#include "zip/ReaderTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/checksum/Crc32.h"
#include "zip/extract/DecodeAhead.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

struct ExtractCase {
    const char* name;
    const char* password = "secret";
    bool toBuffer = false;
    int skipEvery = 0;      // OnStartUnZip skips every n-th member
    int cancelAtEnd = 0;  // cancel requested at the n-th OnEndUnZip
};

const ExtractCase kExtractCases[] = {
    {"all"},
    {"noPassword", ""},
    {"skipByHandler", "secret", false, 7},
    {"cancel", "secret", false, 0, 150},
    {"toBuffer", "secret", true},
};

void put(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(content.data(), std::streamsize(content.size()));
}

// Flips bytes amid the data of the member `name` (its local header is the first
// place its name stands; the data follows within a few dozen bytes).
void damageMember(const fs::path& archive, const std::string& name) {
    std::string bytes = readFile(archive);
    const std::size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    for (std::size_t i = at + 2000; i < at + 2040; ++i) bytes[i] ^= 0x5a;
    std::ofstream(archive, std::ios::binary) << bytes;
}

class ParallelExtractTest : public ::testing::TestWithParam<ExtractCase> {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        const fs::path in = *dir_ / "in";
        for (int i = 0; i < 240; ++i) {
            const std::size_t size = i % 11 == 0 ? 0 : std::size_t(i * 131 % 20000);
            put(in / ("d" + std::to_string(i % 6)) / ("f" + std::to_string(i) + ".txt"),
                test::randomText(size, unsigned(i)));
        }
        const std::string block = test::randomText(1 << 20, 99);
        std::string big;
        while (big.size() <= DecodeAhead::kMemberLimit) big += block;
        put(in / "d4/huge.big", big);
        put(in / "d2/damaged.txt", test::randomText(60000, 7));
        archive_ = *dir_ / "test.zip";
        auto zip = [&](const fs::path& files, const char* password) {
            TZipWriter w;
            w.SetZipName(archive_.string());
            w.SetRootDir(in.string() + "/");
            w.SetRelativePaths(true);
            w.SetNoCompressList({"*.big", "*5.txt"});
            w.Password = password;
            w.FilesList = {files.string()};
            w.Zip();
        };
        zip(in / "*", "");
        damageMember(archive_, "d2/damaged.txt");
        put(in / "locked/secret.txt", test::randomText(50000, 8));
        zip(in / "locked/*", "secret");
    }
    static void TearDownTestSuite() { dir_.reset(); }

    struct Outcome {
        std::vector<std::string> events;
        std::map<std::string, std::string> files;
        int extracted = -1;
        std::string error;
    };

    static Outcome run(const ExtractCase& c, int threads) {
        TempDir dest;
        TZipReader r;
        r.SetThreads(threads);
        r.SetZipName(archive_.string());
        r.SetDestDir(dest.path().string());
        r.DoAll = true;
        r.RecreateDirs = true;
        r.OverwriteMode = Always;
        r.Password = c.password;
        Outcome o;
        auto log = [&](const std::string& what, auto... values) {
            std::string e = what;
            ((e += " " + std::to_string(values)), ...);
            o.events.push_back(e);
        };
        const std::string base = dest.path().string();
        int starts = 0, ends = 0;
        r.OnStartUnZipInfo = [&](TZipReader&, int n, std::int64_t bytes, bool&) { log("info", n, bytes); };
        r.OnStartUnZip = [&](TZipReader&, int i, std::string& name, bool& skip) {
            log("start " + name.substr(name.starts_with(base) ? base.size() : 0), i);
            skip = c.skipEvery > 0 && ++starts % c.skipEvery == 0;
        };
        r.OnEndUnZip = [&](TZipReader& sender, int i, const std::string&) {
            log("end", i);
            if (++ends == c.cancelAtEnd) sender.CancelRequested = true;
        };
        r.OnFilePercentDone = [&](TZipReader&, int pc) { log("file%", pc); };
        r.OnTotalPercentDone = [&](TZipReader&, int pc) { log("total%", pc); };
        r.OnSkippingFile = [&](TZipReader& sender, TSkipReason why, const std::string&, int i, bool&) {
            log("skip " + sender.LastSkipDetail(), i, int(why));
        };
        r.OnBadPassword = [&](TZipReader&, int i, std::string&) { log("password", i); };
        r.OnBadCRC = [&](TZipReader& sender, std::uint32_t calc, std::uint32_t stored, int i) {
            log("crc " + sender.LastSkipDetail(), i, calc, stored);
        };
        r.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* data, std::size_t size, const std::string& name, int n,
                                bool&) { log("buffer " + name, n, crc32(data, size)); };
        r.OnUnZipComplete = [&](TZipReader&, int n) { log("complete", n); };
        try {
            o.extracted = c.toBuffer ? r.UnZipToBuffer() : r.UnZip();
        } catch (const std::exception& e) {
            o.error = e.what();
        }
        o.files = test::treeContents(dest.path());
        return o;
    }

    static inline std::unique_ptr<TempDir> dir_;
    static inline fs::path archive_;
};

TEST_P(ParallelExtractTest, SameFilesAndEventsAsOneThread) {
    const ExtractCase& c = GetParam();
    const Outcome one = run(c, 1);
    const Outcome two = run(c, 2);
    EXPECT_EQ(one.error, two.error);
    EXPECT_EQ(one.extracted, two.extracted);
    EXPECT_TRUE(one.files == two.files) << "the extracted files differ";
    EXPECT_EQ(one.events, two.events);
    // The cases reach what they are about.
    auto logged = [&](const std::string& start) {
        return std::any_of(one.events.begin(), one.events.end(),
                           [&](const std::string& e) { return e.starts_with(start); });
    };
    EXPECT_TRUE(c.cancelAtEnd ? one.error == "User Aborted Operation" : logged("crc ")) << "cancel or damage";
    EXPECT_TRUE(*c.password || logged("password")) << "the encrypted member";
    EXPECT_TRUE(c.toBuffer || c.cancelAtEnd || one.files.at("d4/huge.big").size() > DecodeAhead::kMemberLimit);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelExtractTest, ::testing::ValuesIn(kExtractCases),
                         [](const ::testing::TestParamInfo<ExtractCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zb::zip
