// Damaged and hostile archives: truncation at every kind of place, flipped bytes,
// wrong passwords, headers that disagree, members that overlap, and names that try to
// lead outside the destination. Each must end in a clear engine exception or in
// skipped members, never in a crash, a hang, or a file outside the destination.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "zip/ReaderTestSupport.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/records/LocalHeader.h"

namespace zb::zip {
namespace {

using namespace zb::test;

// Every path below `root`.
std::set<std::string> allPaths(const fs::path& root) {
    std::set<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root)) out.insert(fs::relative(e.path(), root).string());
    return out;
}

// Extracts `bytes` as an archive into a fresh folder inside a sandbox, in both read
// modes; returns whether every attempt ended cleanly, and checks that nothing appears
// in the sandbox outside the destination and that every extracted file is one of the
// sources, whole.
void extractDamaged(const std::string& bytes, const std::map<std::string, std::string>& sources,
                    const std::string& password = {}) {
    for (TIncompleteZipMode mode : {izAssumeMulti, izAssumeBad}) {
        TempDir sandbox;
        const fs::path archive = sandbox / "d.zip";
        std::ofstream(archive, std::ios::binary) << bytes;
        ExtractAll x(archive, sandbox / "dest", password);
        x.reader.IncompleteZipMode = mode;
        try {
            x.reader.UnZip();
        } catch (const EZipError&) {
            // A clear engine exception is an acceptable end.
        }
        for (const std::string& p : allPaths(sandbox.path())) {
            EXPECT_TRUE(p == "d.zip" || p == "dest" || p.starts_with("dest/")) << p;
        }
        // A damaged name may put a member under another name, but what was reported
        // as extracted is always one of the sources, whole.
        std::set<std::string> contents;
        for (auto& [name, content] : sources) contents.insert(content);
        for (const std::string& done : x.ended) {
            EXPECT_TRUE(fs::relative(done, sandbox / "dest").string().find("..") == std::string::npos) << done;
            EXPECT_TRUE(contents.count(readFile(done))) << done;
        }
        TempDir other;
        ExtractAll t(archive, other / "dest", password);
        t.reader.IncompleteZipMode = mode;
        try {
            t.reader.UnZipToBuffer();
        } catch (const EZipError&) {}
        EXPECT_FALSE(fs::exists(other / "dest"));
    }
}

struct Sample {
    TempDir dir;
    std::map<std::string, std::string> sources;
    std::string bytes;
    explicit Sample(const std::string& zipArgs = "-9") {
        makeSourceTree(dir / "src");
        sources = treeContents(dir / "src");
        EXPECT_EQ(runCommand("cd " + shellQuote(dir / "src") + " && zip -q -r " + zipArgs + " " +
                             shellQuote(dir / "s.zip") + " .")
                      .status,
                  0);
        bytes = readFile(dir / "s.zip");
    }
};

TEST(DamagedArchive, TruncatedAnywhere) {
    Sample s;
    std::vector<std::size_t> cuts = {0, 1, 4, 21, 22, 29, 30, 31, 100, 1000, 5000, 40000};
    for (std::size_t at = 0; at < s.bytes.size(); at += s.bytes.size() / 23 + 1) cuts.push_back(at);
    std::size_t cd = s.bytes.find("PK\x01\x02");
    for (std::size_t d : {0, 10, 46, 60}) cuts.push_back(cd + d);
    for (std::size_t d : {1, 10, 21}) cuts.push_back(s.bytes.size() - d);
    for (std::size_t cut : cuts) {
        if (cut > s.bytes.size()) continue;
        SCOPED_TRACE("cut at " + std::to_string(cut));
        extractDamaged(s.bytes.substr(0, cut), s.sources);
    }
}

TEST(DamagedArchive, FlippedBytes) {
    Sample s;
    std::mt19937 rng(12345);
    for (int round = 0; round < 40; ++round) {
        std::string b = s.bytes;
        std::size_t at = rng() % b.size();
        b[at] = char(b[at] ^ (1 << (rng() % 8)));
        SCOPED_TRACE("flip at " + std::to_string(at));
        extractDamaged(b, s.sources);
    }
    // And in the places that steer the reader: the directory and the end record.
    std::size_t cd = s.bytes.find("PK\x01\x02");
    for (std::size_t off = cd; off < s.bytes.size(); off += 17) {
        std::string b = s.bytes;
        b[off] = char(b[off] ^ 0xFF);
        SCOPED_TRACE("directory byte " + std::to_string(off));
        extractDamaged(b, s.sources);
    }
}

TEST(DamagedArchive, FlippedBytesInEncryptedArchive) {
    Sample s("-9 -P pw");
    std::mt19937 rng(777);
    for (int round = 0; round < 20; ++round) {
        std::string b = s.bytes;
        std::size_t at = rng() % b.size();
        b[at] = char(b[at] ^ 0x41);
        SCOPED_TRACE("flip at " + std::to_string(at));
        extractDamaged(b, s.sources, "pw");
    }
}

// Whether `password` passes the one-byte check of some encrypted member's header. A
// wrong password does for one member in 256, and then that member is no longer refused
// for its password (an empty one even extracts): the headers' random bytes come from
// the peer that wrote the archive, so the test picks a password that fails them all.
bool passesSomeCheck(const std::string& bytes, const std::string& password) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = bytes.find("PK\x03\x04"); at != std::string::npos; at = bytes.find("PK\x03\x04", at + 4)) {
        LocalHeader local;
        if (at + LocalHeader::kFixedSize > bytes.size() || !local.decodeFixed(raw + at)) continue;
        if ((local.flags & kFlagEncrypted) == 0) continue;
        const std::size_t header = at + std::size_t(local.size());
        if (header + kCryptHeaderSize > bytes.size()) continue;
        std::uint8_t h[kCryptHeaderSize];
        std::copy_n(raw + header, kCryptHeaderSize, h);
        ZipCrypto cipher;
        if (checkCryptHeader(cipher, password, h, cryptCheckByte(local.flags, local.dosTime, local.crc))) return true;
    }
    return false;
}

TEST(DamagedArchive, WrongPasswordSkipsEveryEncryptedMember) {
    Sample s("-9 -P right");
    std::string wrong = "wrong";
    for (int n = 2; passesSomeCheck(s.bytes, wrong); ++n) wrong = "wrong" + std::to_string(n);
    ASSERT_TRUE(passesSomeCheck(s.bytes, "right")) << "the headers were not found";
    TempDir out;
    ExtractAll x(s.dir / "s.zip", out / "dest", wrong);
    EXPECT_EQ(x.reader.UnZip(), 5);  // the folder entries only
    for (auto& [reason, name] : x.skipped) EXPECT_EQ(reason, skipBadPassword) << name;
    EXPECT_EQ(x.skipped.size(), 7u);
    EXPECT_TRUE(treeContents(out / "dest").empty());
}

// The central record of the member stored under `name`.
std::size_t centralRecordOf(const std::string& bytes, const std::string& name) {
    for (std::size_t at = bytes.find("PK\x01\x02"); at != std::string::npos; at = bytes.find("PK\x01\x02", at + 4)) {
        if (bytes.compare(at + 46, name.size(), name) == 0) return at;
    }
    return std::string::npos;
}

TEST(DamagedArchive, CentralSizesThatDisagreeWithTheData) {
    Sample s("-0");
    std::size_t cd = centralRecordOf(s.bytes, "data/random.bin");
    ASSERT_NE(cd, std::string::npos);
    // Sizes far beyond the end of the file: the member runs into the end of the file.
    std::string b = s.bytes;
    b[cd + 23] = char(0x7F);
    b[cd + 27] = char(0x7F);
    extractDamaged(b, s.sources);
    {
        TempDir t;
        std::ofstream(t / "a.zip", std::ios::binary) << b;
        ExtractAll y(t / "a.zip", t / "dest");
        try {
            y.reader.UnZip();
            ADD_FAILURE() << "expected the end of the file inside a member";
        } catch (const EFatalUnzipError& e) {
            EXPECT_STREQ(e.what(), "Premature end of file reached");
        }
    }
    // An uncompressed size larger than the data: the member is complete but short.
    std::string c = s.bytes;
    c[cd + 27] = char(0x10);
    extractDamaged(c, s.sources);
}

TEST(DamagedArchive, LocalHeaderMissingWhereTheDirectoryPoints) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"one.txt", "first"}, {"two.txt", "second"}}, "stored");
    std::string b = readFile(dir / "a.zip");
    b[0] = 'X';  // the first local header's signature
    std::ofstream(dir / "a.zip", std::ios::binary) << b;
    ExtractAll x(dir / "a.zip", dir / "out");
    EXPECT_EQ(x.reader.UnZip(), 1);
    ASSERT_EQ(x.skipped.size(), 1u);
    EXPECT_EQ(x.skipped[0].first, skipBadHeader);
    EXPECT_EQ(readFile(dir / "out/two.txt"), "second");
}

TEST(DamagedArchive, OverlappingMembers) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"one.txt", "first member"}, {"two.txt", "second member"}}, "stored");
    std::string b = readFile(dir / "a.zip");
    // The second central record points at the first local header: the directory is
    // refused and rebuilt from the local headers.
    std::size_t cd1 = b.find("PK\x01\x02");
    std::size_t cd2 = b.find("PK\x01\x02", cd1 + 4);
    std::string same = b;
    same.replace(cd2 + 42, 4, std::string(4, '\0'));
    std::ofstream(dir / "same.zip", std::ios::binary) << same;
    ExtractAll x(dir / "same.zip", dir / "out1");
    EXPECT_EQ(x.reader.UnZip(), 2);
    EXPECT_EQ(readFile(dir / "out1/one.txt"), "first member");
    EXPECT_EQ(readFile(dir / "out1/two.txt"), "second member");

    // A record pointing into the middle of another member's data.
    std::string inside = b;
    inside[cd2 + 42] = 5;
    inside[cd2 + 43] = 0;
    std::ofstream(dir / "inside.zip", std::ios::binary) << inside;
    ExtractAll y(dir / "inside.zip", dir / "out2");
    EXPECT_EQ(y.reader.UnZip(), 1);
    ASSERT_EQ(y.skipped.size(), 1u);
    EXPECT_EQ(y.skipped[0].first, skipBadHeader);
}

TEST(DamagedArchive, EndlessDirectoryCountEndsAtTheEndRecord) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"one.txt", "x"}}, "stored");
    std::string b = readFile(dir / "a.zip");
    std::size_t end = b.rfind("PK\x05\x06");
    b[end + 8] = b[end + 10] = char(0xFF);
    b[end + 9] = b[end + 11] = char(0xFE);
    std::ofstream(dir / "a.zip", std::ios::binary) << b;
    ExtractAll x(dir / "a.zip", dir / "out");
    EXPECT_EQ(x.reader.UnZip(), 1);
}

// ---- Names that lead elsewhere ----

const std::vector<std::pair<std::string, std::string>> kHostile = {
    {"../escape.txt", "1"},    {"/abs/rooted.txt", "2"}, {"C:/drive.txt", "3"},           {"c:relative.txt", "4"},
    {"ok/../../up.txt", "5"},  {"..\\back.txt", "6"},    {"sub\\..\\..\\twice.txt", "7"}, {"..", "8"},
    {"good/file.txt", "fine"},
};

void checkHostile(bool recreateDirs, const std::string& rootDir) {
    TempDir sandbox;
    makeZip(sandbox / "h.zip", kHostile, "stored");
    ExtractAll x(sandbox / "h.zip", sandbox / "dest");
    x.reader.RecreateDirs = recreateDirs;
    x.reader.SetRootDir(rootDir);
    EXPECT_EQ(x.reader.UnZip(), 1);
    EXPECT_EQ(x.skipped.size(), kHostile.size() - 1);
    for (auto& [reason, name] : x.skipped) EXPECT_EQ(reason, skipUnsafeName) << name;
    for (const std::string& p : allPaths(sandbox.path()))
        EXPECT_TRUE(p == "h.zip" || p == "dest" || p.starts_with("dest/")) << p;
    EXPECT_EQ(readFile(sandbox / "dest" / (recreateDirs ? "good/file.txt" : "file.txt")), "fine");
    EXPECT_FALSE(fs::exists("/abs/rooted.txt"));
}

TEST(DamagedArchive, NamesLeadingOutsideAreSkippedWithFolders) { checkHostile(true, ""); }
TEST(DamagedArchive, NamesLeadingOutsideAreSkippedWithoutFolders) { checkHostile(false, ""); }
TEST(DamagedArchive, NamesLeadingOutsideAreSkippedWithRootDir) { checkHostile(true, "ok"); }

TEST(DamagedArchive, HostileNamesAreStillTestedInMemory) {
    TempDir sandbox;
    makeZip(sandbox / "h.zip", kHostile, "stored");
    ExtractAll x(sandbox / "h.zip", sandbox / "dest");
    EXPECT_EQ(x.reader.UnZipToBuffer(), int(kHostile.size()));
    EXPECT_FALSE(fs::exists(sandbox / "dest"));
}

}  // namespace
}  // namespace zb::zip
