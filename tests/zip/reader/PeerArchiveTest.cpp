// Archives made at test time by peer tools (Info-ZIP zip, 7-Zip, Python's zipfile,
// bsdtar) in their various modes: stored, levels 1 and 9, traditional encryption,
// streamed through a pipe (data descriptors), ZIP64 records, UTF-8 names. Every member
// must extract byte-identical to its source, and testing in memory must pass.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "zip/ReaderTestSupport.h"

namespace zb::zip {
namespace {

using namespace zb::test;

struct Peer {
    const char* name;
    const char* command;  // %S source folder, %A archive path
    const char* password;
};

const char* kPythonWriter = R"PY(
import os, sys, zipfile
src, dst, mode = sys.argv[1:4]
if mode == 'zip64':
    # Every size, offset and count in its ZIP64 form.
    zipfile.ZIP64_LIMIT = 0
    zipfile.ZIP_FILECOUNT_LIMIT = 0
comp = zipfile.ZIP_STORED if mode == 'stored' else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(dst, 'w', comp) as z:
    for root, dirs, files in sorted(os.walk(src)):
        for d in sorted(dirs):
            z.write(os.path.join(root, d), os.path.relpath(os.path.join(root, d), src))
        for f in sorted(files):
            p = os.path.join(root, f)
            if mode == 'zip64':
                info = zipfile.ZipInfo.from_file(p, os.path.relpath(p, src))
                info.compress_type = comp
                with open(p, 'rb') as fi, z.open(info, 'w', force_zip64=True) as fo:
                    fo.write(fi.read())
            else:
                z.write(p, os.path.relpath(p, src))
)PY";

std::string expand(std::string cmd, const fs::path& src, const fs::path& archive) {
    auto replace = [&](const std::string& key, const std::string& value) {
        for (std::size_t at; (at = cmd.find(key)) != std::string::npos;) cmd.replace(at, key.size(), value);
    };
    replace("%S", shellQuote(src));
    replace("%A", shellQuote(archive));
    replace("%P", shellQuote(std::string(kPythonWriter)));
    return "export LC_ALL=C.UTF-8; " + cmd;
}

class PeerArchive : public ::testing::TestWithParam<Peer> {};

TEST_P(PeerArchive, EveryMemberExtractsByteIdenticalAndTestsClean) {
    const Peer& peer = GetParam();
    TempDir dir;
    const fs::path src = dir / "src", archive = dir / "peer.zip", dest = dir / "out";
    makeSourceTree(src);
    CommandResult made = runCommand(expand(peer.command, src, archive));
    ASSERT_EQ(made.status, 0) << made.output;
    ASSERT_TRUE(fs::exists(archive));

    ExtractAll x(archive, dest, peer.password);
    int count = x.reader.UnZip();
    EXPECT_EQ(x.badCrc, 0);
    EXPECT_TRUE(x.skipped.empty()) << x.skipped.front().second;
    EXPECT_EQ(treeContents(dest), treeContents(src));
    EXPECT_GE(count, 7);
    // A sound archive needs no repair: nothing in it is taken for damage.
    EXPECT_TRUE(x.reader.DirectoryWarnings().empty()) << x.reader.DirectoryWarnings().front();

    // Testing decodes every member in memory and writes nothing.
    TempDir other;
    ExtractAll t(archive, other / "never", peer.password);
    std::map<std::string, std::string> seen;
    t.reader.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* data, std::size_t n, const std::string& name, int,
                                   bool&) { seen[name].append(reinterpret_cast<const char*>(data), n); };
    int tested = t.reader.UnZipToBuffer();
    EXPECT_EQ(tested, 7);
    EXPECT_EQ(t.badCrc, 0);
    EXPECT_FALSE(fs::exists(other / "never"));
    EXPECT_EQ(seen["docs/manual.txt"], readFile(src / "docs/manual.txt"));
    EXPECT_EQ(seen["data/random.bin"], readFile(src / "data/random.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerArchive,
    ::testing::Values(
        Peer{"InfoZipStored", "cd %S && zip -q -r -0 %A .", ""},
        Peer{"InfoZipLevel1", "cd %S && zip -q -r -1 %A .", ""},
        Peer{"InfoZipLevel9", "cd %S && zip -q -r -9 %A .", ""},
        Peer{"InfoZipEncrypted", "cd %S && zip -q -r -9 -P 'pass word' %A .", "pass word"},
        Peer{"InfoZipEncryptedStored", "cd %S && zip -q -r -0 -P secret %A .", "secret"},
        Peer{"InfoZipStreamed", "cd %S && zip -q -r - . | cat > %A", ""},
        Peer{"InfoZipStreamedEncrypted", "cd %S && zip -q -r -P secret - . | cat > %A", "secret"},
        Peer{"SevenZipDeflate", "cd %S && 7z a -tzip -mm=Deflate -mx=9 %A . > /dev/null", ""},
        Peer{"SevenZipZipCrypto", "cd %S && 7z a -tzip -mm=Deflate -mem=ZipCrypto -psecret %A . > /dev/null", "secret"},
        Peer{"SevenZipStored", "cd %S && 7z a -tzip -mx=0 %A . > /dev/null", ""},
        Peer{"PythonStored", "python3 -c %P %S %A stored", ""},
        Peer{"PythonDeflated", "python3 -c %P %S %A deflated", ""},
        Peer{"PythonZip64", "python3 -c %P %S %A zip64", ""},
        Peer{"Bsdtar", "cd %S && bsdtar --format zip -cf %A *", ""},
        Peer{"BsdtarStored", "cd %S && bsdtar --format zip --options zip:compression=store -cf %A *", ""}),
    [](const ::testing::TestParamInfo<Peer>& info) { return std::string(info.param.name); });

TEST(PeerArchive, StreamedMembersCarryDataDescriptors) {
    TempDir dir;
    makeSourceTree(dir / "src");
    ASSERT_EQ(
        runCommand("cd " + shellQuote(dir / "src") + " && zip -q -r - . | cat > " + shellQuote(dir / "a.zip")).status,
        0);
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    int withDescriptor = 0;
    for (int i = 0; i < r.MemberCount(); ++i) withDescriptor += r.Member(i).hasDataDescriptor();
    EXPECT_GE(withDescriptor, 7);
}

TEST(PeerArchive, Zip64RecordsAreReadFromPython) {
    TempDir dir;
    makeSourceTree(dir / "src");
    ASSERT_EQ(runCommand(expand("python3 -c %P %S %A zip64", dir / "src", dir / "a.zip")).status, 0);
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    EXPECT_TRUE(r.EndCentral().zip64);
    EXPECT_GE(r.MemberCount(), 7);
}

TEST(PeerArchive, MoreThan65535MembersWithZip64EndRecords) {
    TempDir dir;
    const char* script = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    for i in range(70000):
        z.writestr('m/%05d.txt' % i, 'member %d\n' % i)
)PY";
    ASSERT_EQ(runPython(script, shellQuote(dir / "many.zip")).status, 0);
    TZipReader r;
    r.SetZipName((dir / "many.zip").string());
    r.ReadDirectory();
    ASSERT_EQ(r.MemberCount(), 70000);
    EXPECT_EQ(r.MemberFileName(69999), "69999.txt");
    std::string got;
    r.FilesList = {"m/6999?.txt"};
    r.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* d, std::size_t n, const std::string&, int, bool&) {
        got.append(reinterpret_cast<const char*>(d), n);
    };
    EXPECT_EQ(r.UnZipToBuffer(), 10);
    EXPECT_NE(got.find("member 69995\n"), std::string::npos);
}

// What Linux peers write about a file comes back from our extractor: a name that is
// no UTF-8 byte for byte, a "\\" as a character of the name, permission bits (never
// set-user-ID) and the modification time to the second.
TEST(PeerArchive, LinuxNamesModesAndTimesFromPeersAreRestored) {
    TempDir dir;
    const struct {
        const char* name;
        mode_t mode;
        std::int64_t time;
    } files[] = {
        {"raw-\xFF.bin", 0600, 1719835200}, {"run.sh", 04755, 1704110400}, {"back\\slash.txt", 0644, 1500000000}};
    for (const auto& f : files) {
        const fs::path p = dir.write("src/" + std::string(f.name), f.name);
        ::chmod(p.c_str(), f.mode);
        const timespec times[2] = {{f.time, 0}, {f.time, 0}};
        ::utimensat(AT_FDCWD, p.c_str(), times, 0);
    }
    const struct {
        const char* tool;
        const char* command;
        bool rawNames;  // the tool stores a name that is no UTF-8 as it is
    } peers[] = {{"zip", "cd %S && zip -q -r %A .", true},
                 {"bsdtar", "cd %S && bsdtar --format zip -cf %A run.sh", false},
                 {"7z", "cd %S && 7z a -tzip -bd %A run.sh > /dev/null", false}};
    for (const auto& peer : peers) {
        SCOPED_TRACE(peer.tool);
        const fs::path archive = dir / (std::string(peer.tool) + ".zip"), dest = dir / peer.tool;
        CommandResult made = runCommand(expand(peer.command, dir / "src", archive));
        ASSERT_EQ(made.status, 0) << made.output;
        ExtractAll x(archive, dest);
        x.reader.UnZip();
        for (const auto& f : files) {
            if (!peer.rawNames && std::string(f.name) != "run.sh") continue;
            SCOPED_TRACE(f.name);
            struct stat st {};
            ASSERT_EQ(::lstat((dest / f.name).c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 07777, f.mode & 0777);
            EXPECT_EQ(st.st_mtim.tv_sec, f.time);
            EXPECT_EQ(readFile(dest / f.name), f.name);
        }
    }
}

}  // namespace
}  // namespace zb::zip
