// What the archive commands say about damaged or odd input, as a user sees it: a
// directory that needed repair, a missing part of a split set (also one a single file
// only claims, whose disk number once made the reader set aside gigabytes), a pattern
// that matches nothing, names with control characters, corrupt data named with its
// method, and files and folders counted apart, the same way by list, test and unzip.
#include <gtest/gtest.h>

#include <fstream>

#include "support/AttackCorpus.h"
#include "support/ShellCommand.h"

namespace zb::cli {
namespace {

using namespace zb::test;
namespace fs = std::filesystem;

std::string program() { return shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli"); }

// Found by fuzzing: a ZIP64 end record naming a high disk number on a single file (the
// fuzz seed "split-disk-number-allocation" without its option byte).
constexpr const char* kHighDiskNumber =
    "UEsDBC0AAAAIAAyaiF07fIrf//////////8BABQALQEAEAASAAAAAAAAAAsAAAAAAAAAy0DNyclXyECQXABQSwECHgMtAAAACAAMmohdO3yK3w"
    "sAAAASAAAAAQAAAAAAAAABAAAAgBoAAAAALVBLBgYsAAAAAAAAfn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+fn5+"
    "fn5+fn5+fn5+fn5+fn4AAQAAAAAAAAABAAAAAAAAb3V0cwAAAAAAPgAAAAAAAABQSwYHAAAAAG0AAAAAAAAAAQAAAFBLBQYAAAAAAQABAC8AAA"
    "A+AAAAAAA=";

// A deflated member whose data begins with a block of the reserved type.
std::string corruptDeflated(const TempDir& dir) {
    dir.write("src/text.txt", std::string(5000, 'z'));
    EXPECT_EQ(runCommand("cd " + shellQuote((dir / "src").string()) + " && zip -q ../c.zip text.txt").exitCode, 0);
    std::fstream f(dir / "c.zip", std::ios::in | std::ios::out | std::ios::binary);
    unsigned char header[30];
    f.read(reinterpret_cast<char*>(header), 30);
    const int skip = (header[26] | header[27] << 8) + (header[28] | header[29] << 8);
    f.seekp(30 + skip);
    f.put(char(0xFF));
    return (dir / "c.zip").string();
}

struct Case {
    const char* label;
    std::function<std::string(const TempDir&)> archive;  // its path
    std::string args;                                     // after the archive
    const char* command;
    int exitCode;
    std::vector<std::string> said;     // texts the output holds
    std::vector<std::string> notSaid;  // texts it must not hold
};

TEST(HonestOutput, DamagedAndOddArchivesAreReportedForWhatTheyAre) {
    auto stored = [](std::vector<AttackMember> m) {
        return [m](const TempDir& dir) { return dir.write("a.zip", storedZip(m)).string(); };
    };
    auto highDisk = [](const TempDir& dir) {
        const fs::path p = dir / "disk.zip";
        EXPECT_EQ(runCommand("echo " + std::string(kHighDiskNumber) + " | base64 -d > " + shellQuote(p.string())).exitCode, 0);
        return p.string();
    };
    const std::vector<AttackMember> folders = {{"a/", "", 040755}, {"a/b/", "", 040755}};
    const std::vector<AttackMember> mixed = {{"a/", "", 040755}, {"a/x.txt", "x"}, {"b.txt", "b"}};
    auto threeRecords = [](const TempDir& dir) {
        return dir.write("three.zip", withDirectoryRepeated(storedZip({{"one.txt", "data"}}), 3)).string();
    };
    // A local header whose CRC is not the central record's (the data matches the latter).
    auto localDisagrees = [](const TempDir& dir) {
        std::string z = storedZip({{"one.txt", "data"}});
        z[14] = char(z[14] ^ 0x55);
        return dir.write("local.zip", z).string();
    };
    const std::vector<Case> cases = {
        {"claimed split set", highDisk, "", "test", 1, {"of the split archive is missing"}, {"User canceled"}},
        {"claimed split set, unzip", highDisk, "-d out", "unzip", 1, {"of the split archive is missing"}, {"User canceled"}},
        {"pattern matching nothing", stored({{"here.txt", "x"}}), "there.txt", "test", 1,
         {"no member matches \"there.txt\""}, {"No errors detected"}},
        {"pattern matching nothing, unzip", stored({{"here.txt", "x"}}), "there.txt -d out", "unzip", 1,
         {"no member matches \"there.txt\""}, {}},
        {"control characters", stored({{"evil\x1b[2J\rOK.txt", "x"}}), "", "list", 0, {"evil\\x1b[2J\\rOK.txt"},
         {"\x1b", "\r"}},
        {"corrupt data", corruptDeflated, "", "test", 1, {"corrupt Deflated data"}, {"bad CRC"}},
        {"pattern matching nothing, list", stored({{"here.txt", "x"}}), "there.txt", "list", 1,
         {"no member matches \"there.txt\""}, {}},
        {"several records at one local header", threeRecords, "", "test", 1,
         {"rebuilt from the local headers", "record of \"one.txt\" repeats a member", "three.zip needed repair"},
         {"No errors detected"}},
        {"several records at one local header, list", threeRecords, "", "list", 1,
         {"1 file\n", "record of \"one.txt\" repeats a member", "needed repair"}, {}},
        {"local header disagreeing", localDisagrees, "", "test", 1,
         {"local header of \"one.txt\" disagrees with its central record on CRC"}, {"No errors detected"}},
        {"folders alone, list", stored(folders), "", "list", 0, {"0 files, 2 folders"}, {}},
        {"folders alone, test", stored(folders), "", "test", 0, {"(0 files, 2 folders)"}, {}},
        {"folders alone, unzip", stored(folders), "-d out", "unzip", 0, {"0 files, 2 folders extracted."}, {}},
        {"pattern, list", stored(mixed), "'a/*'", "list", 0, {"1 file, 1 folder\n"}, {"b.txt"}},
        {"pattern, test", stored(mixed), "'a/*'", "test", 0, {"(1 file, 1 folder)"}, {"b.txt"}},
        {"pattern, unzip", stored(mixed), "'a/*' -d out", "unzip", 0, {"1 file, 1 folder extracted."}, {"b.txt"}},
        {"no folders made, unzip -j", stored(mixed), "-j -d out", "unzip", 0, {"2 files extracted."}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        const std::string archive = c.archive(dir);
        const CommandResult r = runCommand("cd " + shellQuote(dir.path().string()) + " && " + program() + " " +
                                           c.command + " " + shellQuote(archive) + " " + c.args + " </dev/null 2>&1");
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        for (const std::string& text : c.said) EXPECT_NE(r.output.find(text), std::string::npos) << r.output;
        for (const std::string& text : c.notSaid) EXPECT_EQ(r.output.find(text), std::string::npos) << r.output;
        if (std::string(c.label) == "folders alone, unzip") {
            EXPECT_TRUE(fs::is_directory(dir / "out/a/b"));
        }
    }
}

}  // namespace
}  // namespace zb::cli
