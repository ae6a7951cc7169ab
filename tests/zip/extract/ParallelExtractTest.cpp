// Extraction with workers decoding ahead against extraction on one thread, on one
// generated archive: for every case the same files in the destination, the same events
// in the same order with the same progress steps and skip details, the same count and
// the same error. The archive holds many small and empty files, a file over the limit
// of what is decoded in memory, a member whose data is damaged and an encrypted one;
// the cases skip members in the handler, keep files that are there, cancel part-way,
// give no password and extract into memory.
#include <gtest/gtest.h>

#include <memory>

#include "support/TempDir.h"
#include "zip/ReaderTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/checksum/Crc32.h"
#include "zip/extract/DecodeAhead.h"
#include "zip/records/LocalHeader.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

struct ExtractCase {
    const char* name;
    const char* password = "secret";
    bool toBuffer = false;
    int skipEvery = 0;    // OnStartUnZip skips every n-th member
    int cancelAtEnd = 0;  // cancel requested at the n-th OnEndUnZip
    bool existing = false;  // files of folder d3 are there and kept
};

const ExtractCase kExtractCases[] = {
    {"all"},
    {"noPassword", ""},
    {"skipByHandler", "secret", false, 7},
    {"cancel", "secret", false, 0, 150},
    {"existingKept", "secret", false, 0, 0, true},
    {"toBuffer", "secret", true},
};

void PrintTo(const ExtractCase& c, std::ostream* os) { *os << c.name; }

void put(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary).write(content.data(), std::streamsize(content.size()));
}

// Flips bytes amid the data of the member `name`.
void damageMember(const fs::path& archive, const std::string& name) {
    std::string bytes = readFile(archive);
    LocalHeader h;
    for (std::size_t pos = 0; h.decodeFixed(reinterpret_cast<const std::uint8_t*>(bytes.data() + pos));) {
        const std::size_t data = pos + std::size_t(h.size());
        if (bytes.compare(pos + LocalHeader::kFixedSize, h.nameLength, name) == 0) {
            for (std::size_t i = h.compressedSize / 2; i < h.compressedSize / 2 + 40; ++i) bytes[data + i] ^= 0x5a;
            std::ofstream(archive, std::ios::binary) << bytes;
            return;
        }
        pos = data + h.compressedSize;
    }
    FAIL() << name << " not found";
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
        TZipWriter w;
        w.SetZipName(archive_.string());
        w.SetRootDir(in.string() + "/");
        w.SetRelativePaths(true);
        w.SetNoCompressList({"*.big"});
        w.FilesList = {(in / "*").string()};
        w.Zip();
        damageMember(archive_, "d2/damaged.txt");
        put(in / "locked/secret.txt", test::randomText(50000, 8));
        TZipWriter locked;
        locked.SetZipName(archive_.string());
        locked.SetRootDir(in.string() + "/");
        locked.SetRelativePaths(true);
        locked.Password = "secret";
        locked.FilesList = {(in / "locked/*").string()};
        locked.Zip();
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
        if (c.existing)
            for (int i = 3; i < 240; i += 6) put(dest / "d3" / ("f" + std::to_string(i) + ".txt"), "kept");
        TZipReader r;
        r.SetThreads(threads);
        r.SetZipName(archive_.string());
        r.SetDestDir(dest.path().string());
        r.DoAll = true;
        r.RecreateDirs = true;
        r.OverwriteMode = c.existing ? Never : Always;
        r.Password = c.password;
        Outcome o;
        auto& ev = o.events;
        int starts = 0, ends = 0;
        r.OnStartUnZipInfo = [&](TZipReader&, int n, std::int64_t bytes, bool&) {
            ev.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
        };
        r.OnStartUnZip = [&](TZipReader&, int i, std::string& name, bool& skip) {
            const std::string& base = dest.path().string();
            ev.push_back("start " + std::to_string(i) + " " + name.substr(name.starts_with(base) ? base.size() : 0));
            skip = c.skipEvery > 0 && ++starts % c.skipEvery == 0;
        };
        r.OnEndUnZip = [&](TZipReader& sender, int i, const std::string&) {
            ev.push_back("end " + std::to_string(i));
            if (++ends == c.cancelAtEnd) sender.CancelRequested = true;
        };
        r.OnFilePercentDone = [&](TZipReader&, int pc) { ev.push_back("file% " + std::to_string(pc)); };
        r.OnTotalPercentDone = [&](TZipReader&, int pc) { ev.push_back("total% " + std::to_string(pc)); };
        r.OnSkippingFile = [&](TZipReader& sender, TSkipReason why, const std::string&, int i, bool&) {
            ev.push_back("skip " + std::to_string(i) + " " + std::to_string(int(why)) + " " + sender.LastSkipDetail());
        };
        r.OnBadPassword = [&](TZipReader&, int i, std::string&) { ev.push_back("password " + std::to_string(i)); };
        r.OnBadCRC = [&](TZipReader& sender, std::uint32_t calc, std::uint32_t stored, int i) {
            ev.push_back("crc " + std::to_string(i) + " " + std::to_string(calc) + " " + std::to_string(stored) + " " +
                         sender.LastSkipDetail());
        };
        r.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* data, std::size_t size, const std::string& name, int n,
                                bool&) {
            ev.push_back("buffer " + name + " " + std::to_string(n) + " " + std::to_string(crc32(data, size)));
        };
        r.OnUnZipComplete = [&](TZipReader&, int n) { ev.push_back("complete " + std::to_string(n)); };
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
    std::string log;
    for (const std::string& e : one.events) log += e + "\n";
    if (c.cancelAtEnd) {
        EXPECT_EQ(one.error, "User Aborted Operation");
    } else {
        EXPECT_NE(log.find("crc "), std::string::npos) << "the damaged member";
    }
    if (!*c.password) {
        EXPECT_NE(log.find("password "), std::string::npos);
    }
    if (c.existing) {
        EXPECT_EQ(one.files.at("d3/f3.txt"), "kept");
    }
    if (!c.toBuffer && !c.cancelAtEnd) {
        EXPECT_GT(one.files.at("d4/huge.big").size(), DecodeAhead::kMemberLimit);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelExtractTest, ::testing::ValuesIn(kExtractCases),
                         [](const ::testing::TestParamInfo<ExtractCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zb::zip
