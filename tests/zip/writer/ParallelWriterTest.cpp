// The writer with several threads against the writer with one, on a generated tree:
// for every case the same archive bytes (with a password every byte outside the
// encrypted data, whose random header differs from run to run, and the same decrypted
// contents), the same events in the same order with the same progress steps, the same
// outcome and the same files left in the output folder. The cases: many small and
// empty files, a file spanning several of the workers' pieces, storing and both kinds
// of deflate walk, files that change, vanish or are replaced by others while the run
// goes on, members a handler skips or renames, a handler that changes the level, the
// cancel, a file that cannot be read, and archive writes that fail (also of an update,
// whose old archive must stay as it was). Beside them, the pool keeps its memory in
// flight within its budget while a file several times that size goes through it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "support/FailingStream.h"
#include "support/TempDir.h"
#include "zip/ReaderTestSupport.h"
#include "zip/SplitTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"
#include "zip/records/LocalHeader.h"
#include "zip/writer/PackingPool.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using test::FaultSide;
using test::FileFaultPlan;
using test::readFile;
using test::TempDir;

constexpr std::uint64_t kNoFault = ~std::uint64_t(0);

// What the handlers do to the tree and the run.
enum class Act { None, SkipRename, ChangeLater, ChangeOwn, DeleteLater, ReplaceLater, Cancel, LevelChange, Unreadable };

struct Case {
    const char* name;
    int level = 6;
    const char* password = "";
    Act act = Act::None;
    std::uint64_t failWriteAfter = kNoFault;  // archive bytes written before the disk fails
    bool update = false;                      // an archive of the tree is there already
};

const Case kCases[] = {
    {"level6"},
    {"level0", 0},
    {"level1", 1},
    {"password", 6, "secret"},
    {"passwordStored", 0, "secret"},
    {"skipRename", 6, "", Act::SkipRename},
    {"changeLater", 6, "", Act::ChangeLater},
    {"changeOwn", 1, "secret", Act::ChangeOwn},
    {"deleteLater", 6, "", Act::DeleteLater},
    {"replaceLater", 6, "", Act::ReplaceLater},
    {"cancel", 6, "", Act::Cancel},
    {"levelChange", 6, "", Act::LevelChange},
    {"unreadable", 6, "secret", Act::Unreadable},
    {"diskFullEarly", 6, "", Act::None, 3000},
    {"diskFullLate", 1, "", Act::None, 500000},
    {"updateDiskFull", 6, "", Act::None, 200000, true},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr std::time_t kOldTime = 1700000000;
constexpr std::time_t kNewTime = 1700003600;

void setTime(const fs::path& p, std::time_t t) {
    const timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0) << p;
}

// Many small files in seven folders (every ninth empty, every fifth binary), one file
// over several pieces and one that does not compress; all dated alike.
void makeTree(const fs::path& root) {
    for (int i = 0; i < 140; ++i) {
        const std::size_t size = i % 9 == 0 ? 0 : std::size_t(i * 97 % 7000);
        const bool binary = i % 5 == 0;
        const fs::path p =
            root / ("d" + std::to_string(i % 7)) / ("f" + std::to_string(i) + (binary ? ".bin" : ".txt"));
        fs::create_directories(p.parent_path());
        const std::string content =
            binary ? test::randomBinary(size, unsigned(i)) : test::randomText(size, unsigned(i));
        std::ofstream(p, std::ios::binary).write(content.data(), std::streamsize(content.size()));
    }
    fs::create_directories(root / "big");
    std::ofstream(root / "big/large.txt", std::ios::binary) << test::randomText(700 * 1024, 7);
    std::ofstream(root / "big/noise.bin", std::ios::binary) << test::randomBinary(300 * 1024, 8);
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) setTime(e.path(), kOldTime);
}

// Every file of a folder of the tree, changed as `act` says.
void touchFolder(const fs::path& folder, Act act) {
    for (const auto& e : fs::directory_iterator(folder)) {
        const fs::path p = e.path();
        if (act == Act::DeleteLater) {
            fs::remove(p);
            continue;
        }
        if (act == Act::ReplaceLater) {
            // Another file of the same size and date takes its name: only the file's
            // identity tells it apart.
            std::string content = readFile(p);
            for (char& c : content) c = char(c ^ 0x20);
            const fs::path fresh = p.string() + ".new";
            std::ofstream(fresh, std::ios::binary) << content;
            setTime(fresh, kOldTime);
            fs::rename(fresh, p);
            continue;
        }
        std::ofstream(p, std::ios::binary | std::ios::app) << "changed\n";
        setTime(p, kNewTime);
    }
}

// A disk that cannot read one file past its first bytes, on every attempt.
class UnreadableFile : public FileFaults {
public:
    explicit UnreadableFile(fs::path path) : path_(std::move(path)) { setFileFaults(this); }
    ~UnreadableFile() override { setFileFaults(nullptr); }
    std::size_t allowRead(const fs::path& path, std::size_t size) override { return path == path_ ? size / 2 : size; }
    std::size_t allowWrite(const fs::path&, std::size_t size) override { return size; }

private:
    fs::path path_;
};

struct Outcome {
    std::vector<std::string> events;
    std::string error;
    int zipped = -1;
    std::string archive;                         // encrypted data blanked out
    std::map<std::string, std::string> members;  // decrypted
    std::set<std::string> outFolder;
};

// The archive's bytes with each member's data (its encryption header and what follows)
// blanked out: the records around it must still be the same.
std::string withoutMemberData(std::string bytes) {
    LocalHeader h;
    for (std::size_t pos = 0; pos + LocalHeader::kFixedSize <= bytes.size() &&
                              h.decodeFixed(reinterpret_cast<const std::uint8_t*>(bytes.data() + pos));) {
        const std::size_t data = pos + std::size_t(h.size());
        std::fill_n(bytes.begin() + std::ptrdiff_t(data), std::min<std::size_t>(h.compressedSize, bytes.size() - data),
                    '\0');
        pos = data + h.compressedSize;
    }
    return bytes;
}

Outcome runCase(const Case& c, int threads) {
    TempDir dir;
    const fs::path in = dir / "in";
    const fs::path out = dir / "out";
    makeTree(in);
    fs::create_directories(out);
    const fs::path archive = out / "backup.zip";
    Outcome o;
    if (c.update) {
        TZipWriter first;
        first.SetZipName(archive.string());
        first.FilesList = {(in / "d1/*").string(), (in / "d2/*").string()};
        first.Zip();
        touchFolder(in / "d2", Act::ChangeLater);  // newer files: replaced in the update
    }
    const std::string before = c.update ? readFile(archive) : std::string();

    TZipWriter w;
    w.SetThreads(threads);
    w.SetZipName(archive.string());
    w.SetRootDir(in.string() + "/");
    w.SetRelativePaths(true);
    w.SetPackLevel(c.level);
    w.Password = c.password;
    w.FilesList = {(in / "*").string()};
    w.SetNoCompressList({"*.bin"});
    auto& ev = o.events;
    auto rel = [&](const std::string& p) { return fs::path(p).lexically_relative(in).string(); };
    int starts = 0, ends = 0, messages = 0;
    w.OnStartZipInfo = [&](TZipWriter&, int n, std::int64_t bytes, TEndCentral&, bool&) {
        ev.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
    };
    w.OnStartZip = [&](TZipWriter& sender, const std::string& p, TZipHeaderInfo& h, bool& skip) {
        ev.push_back("start " + rel(p) + " " + h.storedName());
        ++starts;
        if (c.act == Act::SkipRename && starts % 7 == 3) skip = true;
        if (c.act == Act::SkipRename && starts % 5 == 1) h.setStoredName("renamed/" + h.storedName());
        if (c.act == Act::ChangeOwn && rel(p).starts_with("d2/")) touchFolder(in / "d2", Act::ChangeLater);
        if (c.act == Act::LevelChange && starts == 30) sender.SetPackLevel(1);
        if (c.act == Act::LevelChange && starts == 60) sender.SetNoCompressList({});
    };
    w.OnEndZip = [&](TZipWriter&, const std::string& p, std::int64_t u, std::int64_t s, std::int64_t size) {
        ev.push_back("end " + rel(p) + " " + std::to_string(u) + " " + std::to_string(s) + " " + std::to_string(size));
        if (++ends == 12 && (c.act == Act::ChangeLater || c.act == Act::DeleteLater || c.act == Act::ReplaceLater))
            touchFolder(in / "d5", c.act);
    };
    w.OnFilePercentDone = [&](TZipReader&, int pc) { ev.push_back("file% " + std::to_string(pc)); };
    w.OnTotalPercentDone = [&](TZipReader&, int pc) { ev.push_back("total% " + std::to_string(pc)); };
    w.ProcessMessages = [&] {
        ev.push_back("messages");
        if (c.act == Act::Cancel && ++messages == 70) w.CancelRequested = true;
    };
    w.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& p, int, bool&) {
        ev.push_back("skipping " + std::to_string(int(r)) + " " + rel(p));
    };
    w.OnNoSuchFile = [&](TZipWriter&, const std::string& p) { ev.push_back("no such " + rel(p)); };
    w.OnFileChanged = [&](TZipWriter&, const std::string& p) { ev.push_back("changed " + rel(p)); };
    w.OnZipComplete = [&](TZipWriter&, int n) { ev.push_back("complete " + std::to_string(n)); };
    try {
        std::optional<FileFaultPlan> full;
        if (c.failWriteAfter != kNoFault) full.emplace(FaultSide::Write, c.failWriteAfter, test::isInside(out));
        std::optional<UnreadableFile> unreadable;
        if (c.act == Act::Unreadable) unreadable.emplace(in / "d4/f11.txt");
        o.zipped = w.Zip();
    } catch (const std::exception& e) {
        o.error = e.what();
    }
    for (const auto& e : fs::directory_iterator(out)) o.outFolder.insert(e.path().filename().string());
    if (fs::exists(archive)) {
        const std::string bytes = readFile(archive);
        if (c.update && !o.error.empty()) {
            EXPECT_EQ(bytes, before) << "the old archive changed";
        }
        o.archive = *c.password ? withoutMemberData(bytes) : bytes;
        o.members = test::readSetContents(archive.string(), [&](TZipReader& r) { r.Password = c.password; });
    }
    return o;
}

class ParallelWriterTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParallelWriterTest, SameArchiveAndEventsAsOneThread) {
    const Case& c = GetParam();
    const Outcome one = runCase(c, 1);
    const Outcome many = runCase(c, 3);
    ASSERT_FALSE(one.events.empty());
    EXPECT_EQ(one.error, many.error);
    EXPECT_EQ(one.zipped, many.zipped);
    EXPECT_EQ(one.outFolder, many.outFolder);
    EXPECT_TRUE(one.archive == many.archive) << "the archives differ";
    EXPECT_TRUE(one.members == many.members) << "the decrypted contents differ";
    EXPECT_EQ(one.events, many.events);
    // The cases reach what they are about.
    std::string log;
    for (const std::string& e : one.events) log += e + "\n";
    switch (c.act) {
        case Act::ChangeOwn: EXPECT_NE(log.find("changed d2/"), std::string::npos); break;
        case Act::DeleteLater: EXPECT_NE(log.find("no such d5/"), std::string::npos); break;
        case Act::Unreadable: EXPECT_NE(log.find("skipping 2 d4/f11.txt"), std::string::npos); break;
        case Act::Cancel: EXPECT_EQ(one.error, "User Aborted Operation"); break;
        default: break;
    }
    if (c.failWriteAfter != kNoFault) {
        EXPECT_EQ(one.error, "Not enough room to write archive");
        EXPECT_EQ(one.outFolder, c.update ? std::set<std::string>{"backup.zip"} : std::set<std::string>{});
    } else if (c.act != Act::Cancel) {
        EXPECT_GT(one.members.size(), 100u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelWriterTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A file six times the budget goes through the pool in pieces while the members after
// it wait for room: what is in flight never passes the budget by more than a piece.
TEST(PackingPoolTest, MemoryInFlightStaysWithinTheBudget) {
    TempDir dir;
    const std::string huge = test::randomBinary(6 << 20, 5);
    const fs::path hugePath = dir.write("huge.bin", huge);
    std::vector<fs::path> small;
    for (int i = 0; i < 4; ++i) small.push_back(dir.write("s" + std::to_string(i), test::randomBinary(900 << 10, i)));
    constexpr std::size_t kBudget = 1 << 20;
    constexpr std::size_t kPieceMargin = 300 << 10;
    PackingPool pool(3, kBudget);
    pool.submit(hugePath.string(), 0, false, false);
    for (const fs::path& p : small) pool.submit(p.string(), 0, false, false);
    std::size_t peak = 0;
    auto drain = [&](std::string& data, std::uint64_t& read, bool waitForRunAhead) {
        PackedPiece piece;
        while (pool.nextPiece(piece)) {
            // Give the workers time to run ahead into whatever room there is.
            for (int i = 0; waitForRunAhead && i < 100 && pool.inFlight() < kBudget / 2; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            peak = std::max(peak, pool.inFlight());
            data.append(reinterpret_cast<const char*>(piece.data.data()), piece.data.size());
            for (const PackedStep& s : piece.steps) read += s.write ? 0 : s.size;
        }
    };
    for (int member = 0; member < 5; ++member) {
        const PackedMember& packed = pool.take();
        ASSERT_TRUE(packed.opened);
        std::string data;
        std::uint64_t read = 0;
        drain(data, read, member == 0);
        const std::string& expected = member == 0 ? huge : readFile(small[std::size_t(member - 1)]);
        EXPECT_TRUE(data == expected) << "member " << member;
        EXPECT_EQ(read, expected.size());
        EXPECT_EQ(packed.crc, crc32(expected.data(), expected.size()));
        pool.drop();
    }
    EXPECT_LE(peak, kBudget + kPieceMargin);
    EXPECT_GT(peak, kBudget / 2);  // the later members did run ahead
}

}  // namespace
}  // namespace zb::zip
