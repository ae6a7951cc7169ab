// Extraction that cannot be turned against the user: the attack corpus (links and
// hard links in the destination, link members pointing out, members through links)
// under every overwrite rule, failed members over an existing good file, and the
// members that are links or special files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "support/AttackCorpus.h"
#include "zip/DamagedArchiveBuilder.h"
#include "zip/ReaderTestSupport.h"
#include "zip/extract/TempMemberFile.h"

namespace zb::zip {
namespace {

using namespace zb::test;

struct ModeCase {
    const char* label;
    TUZOverwriteMode mode;
    bool replaces;  // whether an existing entry is replaced under this rule here
};

// Members are dated 2020; what the corpus puts in the destination is newer.
const ModeCase kModes[] = {
    {"always", Always, true},    {"never", Never, false},      {"if newer", ifNewer, false},
    {"if older", ifOlder, true}, {"prompt yes", Prompt, true},
};

TEST(SafeExtract, AttackCorpusChangesNothingOutsideUnderEveryOverwriteRule) {
    for (const AttackCase& c : attackCases()) {
        for (const ModeCase& m : kModes) {
            AttackScene scene(c);
            ExtractAll x(scene.archive, scene.dest);
            x.reader.OverwriteMode = m.mode;
            x.reader.OnPromptForOverwrite = [](TZipReader&, bool& yes, int, std::string&) { yes = true; };
            EXPECT_NO_THROW(x.reader.UnZip()) << c.label;
            scene.check(c, m.replaces, m.label);
            for (const std::string& name : c.unsafe) {
                bool reported = false;
                for (auto& [reason, skippedName] : x.skipped)
                    reported |= reason == skipUnsafeName && skippedName == name;
                EXPECT_TRUE(reported) << c.label << ": " << name;
            }
        }
    }
}

TEST(SafeExtract, LinkMembersInsideAreLinksAndOutsideOnesAreRefused) {
    TempDir dir;
    const fs::path dest = dir / "dest";
    const std::string bytes = storedZip({
        {"lib/libx.so.1.2", "code"},
        {"lib/libx.so.1", "libx.so.1.2", linkMode()},
        {"lib/libx.so", "libx.so.1", linkMode()},
        {"bin/tool", "../lib/libx.so", linkMode()},
        {"bin/out", "../../elsewhere", linkMode()},
        {"fifo", "", 0010644},
        {"device", "", 0020644},
    });
    ExtractAll x(dir.write("links.zip", bytes), dest);
    EXPECT_EQ(x.reader.UnZip(), 4);
    EXPECT_EQ(fs::read_symlink(dest / "lib/libx.so").string(), "libx.so.1");
    EXPECT_EQ(fs::read_symlink(dest / "bin/tool").string(), "../lib/libx.so");
    EXPECT_EQ(readFile(dest / "bin/tool"), "code");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / "bin/out")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / "fifo")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / "device")));
    std::map<std::string, TSkipReason> reasons;
    for (auto& [reason, name] : x.skipped) reasons[name] = reason;
    EXPECT_EQ(reasons["bin/out"], skipUnsafeName);
    EXPECT_EQ(reasons["fifo"], skipUnsupported);
    EXPECT_EQ(reasons["device"], skipUnsupported);
}

// What makes a member fail over an existing good file.
struct Failure {
    const char* label;
    std::function<std::string(const BuiltArchive&)> damage;
    std::function<void(TZipReader&)> setUp;
    std::uint64_t fileSizeLimit = 0;
    const char* victim = "big.txt";  // the existing file of the failing member
};

// A wrong password whose decrypted check byte matches all the same (1 in 256).
std::string passwordPassingTheCheck(const BuiltArchive& a, int member) {
    const std::size_t data = a.localOffsets[std::size_t(member)] + 30 + a.members[std::size_t(member)].name.size();
    const std::uint32_t crc = std::uint32_t(getField(a.bytes, fieldOf(a, "central", member, "crc")));
    const std::uint32_t dos = std::uint32_t(getField(a.bytes, fieldOf(a, "central", member, "date/time")));
    const std::uint8_t check = cryptCheckByte(0x1, dos, crc);
    for (int i = 0;; ++i) {
        const std::string pw = "guess" + std::to_string(i);
        std::uint8_t header[kCryptHeaderSize];
        std::memcpy(header, a.bytes.data() + data, kCryptHeaderSize);
        ZipCrypto cipher;
        if (pw != kDamagedPassword && checkCryptHeader(cipher, pw, header, check)) return pw;
    }
}

TEST(SafeExtract, FailedMemberLeavesTheExistingFileByteIdenticalAndNoStrayFile) {
    std::vector<SourceMember> members = {
        {"big.txt", randomText(100000, 7) + randomBinary(200000, 8), 8, false},
        {"secret.txt", "a member only the password opens\n", 8, true},
        {"bulk.bin", randomBinary(300000, 9), 0, false},
    };
    const BuiltArchive a = ArchiveBuilder(members).build();
    auto flipData = [](const BuiltArchive& b) {
        std::string bytes = b.bytes;
        for (std::size_t i = 0; i < 64; ++i) bytes[b.localOffsets[0] + 30 + 7 + 500 + i] ^= 0x5A;
        return bytes;
    };
    const Failure failures[] = {
        {"bad CRC", [](const BuiltArchive& b) { return withField(b, "central", 0, "crc", 0x12345678); }, nullptr},
        {"corrupt data", flipData, nullptr},
        {"size that lies", [](const BuiltArchive& b) { return withField(b, "central", 0, "uncompressed size", 1000); },
         nullptr},
        {"wrong password past the check byte", [](const BuiltArchive& b) { return b.bytes; },
         [&a](TZipReader& r) { r.Password = passwordPassingTheCheck(a, 1); }, 0, "secret.txt"},
        {"file-size limit", [](const BuiltArchive& b) { return b.bytes; }, nullptr, 100000},
        // Stored data is written block by block, so the cancel comes between two writes.
        {"cancel during the write", [](const BuiltArchive& b) { return b.bytes; },
         [](TZipReader& r) {
             auto current = std::make_shared<std::string>();
             r.OnStartUnZip = [current](TZipReader&, int, std::string& name, bool&) { *current = name; };
             r.OnFilePercentDone = [&r, current](TZipReader&, int) {
                 if (current->ends_with("bulk.bin")) r.CancelRequested = true;
             };
         },
         0, "bulk.bin"},
    };
    // Each failure over good files of the same names, and into an empty folder, where a
    // new file is written unnamed where the file system allows it, or under a hidden name.
    for (const Failure& f : failures) {
        for (const bool existing : {true, false}) {
            for (const bool unnamed : {true, false}) {
                if (existing && !unnamed) continue;  // replacing never uses an unnamed file
                SCOPED_TRACE(std::string(f.label) + (existing ? ", over good files" : ", into an empty folder") +
                             (unnamed ? "" : ", hidden names only"));
                TempDir dir;
                const fs::path dest = dir / "dest";
                fs::create_directories(dest);
                if (existing)
                    for (const SourceMember& m : members) dir.write("dest/" + m.name, "PRECIOUS\n");
                const TreeSnapshot before = snapshotTree(dest);
                const fs::path victim = dest / f.victim;
                const fs::path archive = dir.write("bad.zip", f.damage(a));
                auto run = [&] {
                    TempMemberFile::allowUnnamed(unnamed);
                    ExtractAll x(archive, dest, kDamagedPassword);
                    if (f.setUp) f.setUp(x.reader);
                    try {
                        x.reader.UnZip();
                    } catch (const EZipError&) {}
                    TempMemberFile::allowUnnamed(true);
                    return 0;
                };
                if (f.fileSizeLimit) {
                    EXPECT_EQ(runInChild(run, false, f.fileSizeLimit), 0);
                } else {
                    run();
                }
                if (existing) {
                    const TreeSnapshot after = snapshotTree(dest);
                    EXPECT_EQ(after.size(), before.size()) << "a stray file was left";
                    EXPECT_TRUE(after.at(victim.string()) == before.at(victim.string()));
                    EXPECT_TRUE(readFile(victim) == "PRECIOUS\n");
                    continue;
                }
                // Nothing of the failed member under its own name, and whatever else is
                // there is a whole member.
                EXPECT_FALSE(fs::exists(fs::symlink_status(victim)));
                for (const auto& entry : fs::directory_iterator(dest)) {
                    const std::string name = entry.path().filename().string();
                    auto member = std::find_if(members.begin(), members.end(),
                                               [&](const SourceMember& m) { return m.name == name; });
                    ASSERT_NE(member, members.end()) << "a stray file was left: " << name;
                    EXPECT_TRUE(readFile(entry.path()) == member->content) << name;
                }
            }
        }
    }
}

TEST(SafeExtract, ReadOnlyTargetIsKeptUnlessReplacingIsAllowed) {
    TempDir dir;
    const fs::path dest = dir / "dest";
    const fs::path archive = dir.write("a.zip", storedZip({{"ro.txt", "new\n"}}));
    const fs::path target = dir.write("dest/ro.txt", "old\n");
    fs::permissions(target, fs::perms::owner_read);
    for (bool replace : {false, true}) {
        ExtractAll x(archive, dest);
        x.reader.ReplaceReadOnly = replace;
        EXPECT_EQ(x.reader.UnZip(), replace ? 1 : 0);
        EXPECT_EQ(readFile(target), replace ? "new\n" : "old\n");
        if (!replace) {
            ASSERT_EQ(x.skipped.size(), 1u);
            EXPECT_EQ(x.skipped[0].first, skipCreateFailed);
        }
    }
}

}  // namespace
}  // namespace zb::zip
