// Other tools read what the writer writes: Info-ZIP unzip, 7-Zip, Python's zipfile and
// bsdtar test and extract each archive, with and without a password, at every level
// we offer, with paths and without, and with names in several scripts; every tool
// must give back the same bytes under the same names, with the files' modes and times.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <map>

#include "support/TempDir.h"
#include "zip/TZipWriter.h"
#include "zip/WriterTestSupport.h"

namespace zb::zip {
namespace {

namespace fs = std::filesystem;
using zb::test::readFile;
using zb::test::runCommand;
using zb::test::shellQuote;
using zb::test::TempDir;

using Tree = std::map<std::string, std::string>;  // relative name -> content ("/"-ended: folder)

Tree readTree(const fs::path& root) {
    Tree tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = fs::relative(it->path(), root).string();
        if (it->is_directory())
            tree[rel + "/"] = "";
        else
            tree[rel] = readFile(it->path());
    }
    return tree;
}

// Checks that every peer tests the archive as good and extracts `expect`.
void expectPeersAgree(const fs::path& zip, const Tree& expect, const std::string& password = {}) {
    SCOPED_TRACE(zip.string());
    const auto u = zb::test::unzipTest(zip, password);
    EXPECT_EQ(u.status, 0) << u.output;
    const auto s = zb::test::sevenZipTest(zip, password);
    EXPECT_EQ(s.status, 0) << s.output;
    const auto p = zb::test::pythonTest(zip, password);
    EXPECT_EQ(p.status, 0) << p.output;
    const auto b = zb::test::bsdtarList(zip);
    EXPECT_EQ(b.status, 0) << b.output;
    std::string listed;
    for (const auto& [name, content] : expect)
        if (name.back() != '/') listed += name + "\n";
    // bsdtar and Python list the names as stored, in archive order; compare as sets.
    auto sortedLines = [](const std::string& text) {
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const auto nl = text.find('\n', pos);
            lines.push_back(text.substr(pos, nl - pos));
            pos = nl == std::string::npos ? text.size() : nl + 1;
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(sortedLines(b.output), sortedLines(listed));
    EXPECT_EQ(sortedLines(p.output), sortedLines(listed));

    const fs::path base = zip.parent_path() / ("x-" + zip.stem().string());
    const std::string pw = shellQuote(password);
    const std::vector<std::pair<std::string, std::string>> extractors{
        {"unzip", "unzip -q " + (password.empty() ? std::string() : "-P " + pw + " ") + shellQuote(zip) + " -d "},
        {"7z", "7z x -bd -y -p" + pw + " " + shellQuote(zip) + " -o"},
        {"python", zb::test::pythonExe() + " -c " +
                       shellQuote("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                  "z.extractall(sys.argv[2], pwd=sys.argv[3].encode() or None)\n") +
                       " " + shellQuote(zip) + " "},
    };
    for (const auto& [tool, command] : extractors) {
        const fs::path out = base / tool;
        fs::create_directories(out);
        std::string cmd = command + shellQuote(out);
        if (tool == "python") cmd += " " + pw;
        const auto r = runCommand(cmd);
        EXPECT_EQ(r.status, 0) << tool << ": " << r.output;
        EXPECT_EQ(readTree(out), expect) << tool;
    }
}

class WriterPeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string text;
        for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i * 7 % 1000) + " of a text file\n";
        std::string binary(150000, '\0');
        std::uint32_t x = 12345;
        for (char& c : binary) {
            x = x * 1103515245 + 12345;
            c = char(x >> 16);
        }
        files = {{"docs/report.txt", text},
                 {"docs/empty.txt", ""},
                 {"data/random.bin", binary},
                 {"data/mixed.bin", text.substr(0, 40000) + binary.substr(0, 40000)},
                 {"top.txt", "small"}};
        for (const auto& [name, content] : files) dir.write("src/" + name, content);
        src = (dir / "src").string() + "/";
    }
    // Zips the source tree and returns the archive's path.
    fs::path zipTree(const std::string& name, int level, const std::string& password, bool paths) {
        TZipWriter w;
        const fs::path zip = dir / (name + ".zip");
        w.SetZipName(zip.string());
        w.SetPackLevel(level);
        w.Password = password;
        w.SetRecurse(true);
        if (paths) {
            w.SetRelativePaths(true);
            w.SetRootDir(src);
        }
        w.FilesList = {src + "*"};
        EXPECT_EQ(w.Zip(), int(files.size()));
        return zip;
    }
    Tree expected(bool paths) const {
        Tree t;
        for (const auto& [name, content] : files) {
            const std::string stored = paths ? name : name.substr(name.rfind('/') + 1);
            t[stored] = content;
            if (paths && stored.find('/') != std::string::npos) t[stored.substr(0, stored.find('/') + 1)] = "";
        }
        return t;
    }
    TempDir dir;
    std::string src;
    std::vector<std::pair<std::string, std::string>> files;
};

class WriterPeerLevelTest : public WriterPeerTest, public ::testing::WithParamInterface<int> {};

TEST_P(WriterPeerLevelTest, WithAndWithoutPasswordAndPaths) {
    const int level = GetParam();
    {
        for (bool paths : {false, true}) {
            for (const std::string password : {"", "pass word!"}) {
                const std::string name =
                    "l" + std::to_string(level) + (paths ? "p" : "n") + (password.empty() ? "" : "e");
                expectPeersAgree(zipTree(name, level, password, paths), expected(paths), password);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, WriterPeerLevelTest, ::testing::Values(0, 1, 6, 9));

TEST_F(WriterPeerTest, ArchiveAndMemberCommentsAndAnEmptyArchive) {
    TZipWriter w;
    const fs::path zip = dir / "commented.zip";
    w.SetZipName(zip.string());
    w.SetArchiveComment("Backup of the documents\r\nsecond line");
    w.OnStartZip = [](TZipWriter&, const std::string&, TZipHeaderInfo& h, bool&) {
        h.setFileComment("about " + h.fileName());
    };
    w.FilesList = {src + "top.txt"};
    w.Zip();
    expectPeersAgree(zip, {{"top.txt", "small"}});
    const auto z = runCommand("unzip -z " + shellQuote(zip));
    EXPECT_NE(z.output.find("Backup of the documents"), std::string::npos) << z.output;
    const auto py = runCommand(zb::test::pythonExe() + " -c " +
                               shellQuote("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                          "print(z.comment.decode()); print(z.infolist()[0].comment.decode())") +
                               " " + shellQuote(zip));
    EXPECT_EQ(py.output, "Backup of the documents\r\nsecond line\nabout top.txt\n");

    TZipWriter e;
    const fs::path empty = dir / "empty.zip";
    e.SetZipName(empty.string());
    e.Zip();
    EXPECT_EQ(readFile(empty), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    EXPECT_EQ(zb::test::pythonTest(empty).status, 0);
    EXPECT_EQ(zb::test::sevenZipTest(empty).status, 0);
    EXPECT_EQ(zb::test::bsdtarList(empty).status, 0);
}

TEST_F(WriterPeerTest, AnUpdatePassWithAPasswordReadsBackInEveryPeer) {
    for (int level : {0, 6}) {
        SCOPED_TRACE(level);
        const std::string name = "upd" + std::to_string(level);
        const fs::path zip = zipTree(name, level, "pass word!", true);
        // A newer report replaces its member in place, a new file is added; the
        // other members are copied, still encrypted, from the old archive.
        const std::string report = "rewritten report\n" + std::string(5000, 'r');
        dir.write("src/docs/report.txt", report);
        const auto later = fs::file_time_type::clock::now() + std::chrono::hours(1);
        fs::last_write_time(dir / "src/docs/report.txt", later);
        dir.write("src/docs/added.txt", "added later");
        TZipWriter w;
        w.SetZipName(zip.string());
        w.SetPackLevel(level);
        w.Password = "pass word!";
        w.SetRelativePaths(true);
        w.SetRootDir(src);
        w.FilesList = {src + "docs/report.txt", src + "docs/added.txt"};
        EXPECT_EQ(w.Zip(), 2);
        Tree expect = expected(true);
        expect["docs/report.txt"] = report;
        expect["docs/added.txt"] = "added later";
        expectPeersAgree(zip, expect, "pass word!");
        // Restore the source tree for the next level.
        fs::remove(dir / "src/docs/added.txt");
        for (const auto& [file, content] : files) dir.write("src/" + file, content);
    }
}

TEST_F(WriterPeerTest, NamesInSeveralScriptsKeepEveryCharacter) {
    const Tree names{{"Привет.txt", "cyrillic"}, {"日本語のファイル.txt", "japanese"}, {"ελληνικά/αρχείο.txt", "greek"},
                     {"ελληνικά/", ""},          {"mixed ü 🙂.txt", "emoji"},       {"café ½.txt", "latin"},
                     {"plain.txt", "ascii"}};
    for (const auto& [name, content] : names)
        if (name.back() != '/') dir.write("names/" + name, content);
    TZipWriter w;
    const fs::path zip = dir / "names.zip";
    w.SetZipName(zip.string());
    w.SetRelativePaths(true);
    w.SetRootDir((dir / "names").string());
    w.FilesList = {(dir / "names").string() + "/*"};
    EXPECT_EQ(w.Zip(), 6);
    for (const auto& m : zb::test::listArchive(zip).members) {
        EXPECT_EQ(m.versionMadeBy, 0x0314) << m.name;  // Unix host
        EXPECT_EQ(m.flags & 0x800, m.name == "plain.txt" ? 0 : 0x800) << m.name;
    }
    expectPeersAgree(zip, names);
}

// What a Linux file is comes back from every peer and from our reader: names as UTF-8
// bytes (a "\" is a character of the name), permission bits and modification times to
// the second, and links kept as links (to a file, a folder, nothing) with their text.
TEST_F(WriterPeerTest, LinuxFilesKeepNamesModesAndTimesInEveryPeer) {
    const struct {
        const char* name;
        mode_t mode;
        std::int64_t time;
    } files[] = {{"Ünïcödé/naïve café.txt", 0644, 1719835200},  // summer time in Europe
                 {"Ünïcödé/id_rsa", 0600, 1704110400},          // winter time
                 {"run.sh", 0755, 1600000001},
                 {"back\\slash.txt", 0644, 1500000000}};
    const fs::path root = dir / "linux";
    const std::pair<const char*, const char*> links[] = {
        {"Ünïcödé/ln-file", "id_rsa"}, {"ln-dir", "Ünïcödé"}, {"ln-none", "nowhere"}};
    for (const auto& f : files) {
        dir.write("linux/" + std::string(f.name), f.name);
        const fs::path p = root / f.name;
        ::chmod(p.c_str(), f.mode);
        const timespec times[2] = {{f.time, 0}, {f.time, 0}};
        ::utimensat(AT_FDCWD, p.c_str(), times, 0);
    }
    TZipWriter w;
    const fs::path zip = dir / "linux.zip";
    w.SetZipName(zip.string());
    w.SetRelativePaths(true);
    w.SetRootDir(root.string());
    w.SetStoreLinks(true);
    w.FilesList = {root.string() + "/*"};
    for (const auto& [name, text] : links) fs::create_symlink(text, root / name);
    EXPECT_EQ(w.Zip(), 7);

    const std::vector<std::pair<std::string, std::string>> extractors{
        {"unzip", "unzip -q -X " + shellQuote(zip) + " -d "},
        {"7z", "7z x -bd -y " + shellQuote(zip) + " -o"},
        {"bsdtar", "bsdtar -x -p -f " + shellQuote(zip) + " -C "},
        {"ours", ""},
    };
    for (const auto& [tool, command] : extractors) {
        const fs::path out = dir / ("linux-" + tool);
        fs::create_directories(out);
        if (command.empty()) {
            TZipReader r;
            r.SetZipName(zip.string());
            r.SetDestDir(out.string());
            r.DoAll = r.RecreateDirs = true;
            EXPECT_EQ(r.UnZip(), 7);
        } else {
            const auto r = runCommand("export LC_ALL=C.UTF-8; " + command + shellQuote(out));
            EXPECT_EQ(r.status, 0) << tool << ": " << r.output;
        }
        for (const auto& [name, text] : links) {
            std::error_code ec;
            EXPECT_EQ(fs::read_symlink(out / name, ec).string(), text) << tool << " " << name;
        }
        for (const auto& f : files) {
            SCOPED_TRACE(tool + " " + f.name);
            // bsdtar makes a folder of a "\" in any name, Info-ZIP zip's own archives too.
            if (tool == "bsdtar" && std::string(f.name).find('\\') != std::string::npos) continue;
            struct stat st {};
            ASSERT_EQ(::stat((out / f.name).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, f.mode);
            EXPECT_EQ(st.st_mtim.tv_sec, f.time);
            EXPECT_EQ(readFile(out / f.name), f.name);
        }
    }
    // Python's zipfile restores neither modes nor times, but reads both names and modes.
    const auto py = runCommand(zb::test::pythonExe() + " -c " +
                               shellQuote("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                          "for i in sorted(z.infolist(), key=lambda i: i.filename):\n"
                                          "    print(i.filename, oct(i.external_attr >> 16))\n") +
                               " " + shellQuote(zip));
    EXPECT_EQ(py.output,
              "back\\slash.txt 0o100644\nln-dir 0o120777\nln-none 0o120777\nrun.sh 0o100755\n"
              "Ünïcödé/id_rsa 0o100600\nÜnïcödé/ln-file 0o120777\nÜnïcödé/naïve café.txt 0o100644\n");
}

TEST_F(WriterPeerTest, NamesThatAreNoUtf8AreKeptAsTheirBytes) {
    // A name that is no UTF-8 is stored as its bytes without the UTF-8 flag; it reads
    // back as those bytes, never as the code page 437 letters they would spell there.
    dir.write("clash/\xEA.txt", "raw byte");
    dir.write("clash/Ω.txt", "omega");
    TZipWriter w;
    const fs::path zip = dir / "clash.zip";
    w.SetZipName(zip.string());
    w.FilesList = {(dir / "clash").string() + "/*"};
    EXPECT_EQ(w.Zip(), 2);
    std::vector<std::string> names = zb::test::memberNames(zip);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"\xCE\xA9.txt", "\xEA.txt"}));
    TZipReader r;
    r.SetZipName(zip.string());
    r.ReadDirectory();
    std::vector<std::string> read;
    for (int i = 0; i < r.MemberCount(); ++i) read.push_back(r.Member(i).storedName());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, names);
    const fs::path out = dir / "clash-out";
    fs::create_directories(out);
    EXPECT_EQ(runCommand("unzip -q " + shellQuote(zip) + " -d " + shellQuote(out)).status, 0);
    EXPECT_EQ(readFile(out / "\xEA.txt"), "raw byte");
}

}  // namespace
}  // namespace zb::zip
