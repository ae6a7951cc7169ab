// The zip command: its options in Info-ZIP's habits and what the archive holds after
// each (checked with unzip, 7z and Python's zipfile), warnings for what was left out,
// the password asked for on a terminal, the progress bar, refused requests, and runs
// that fail part-way leaving an existing archive as it was.
#include <gtest/gtest.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/ProgressBar.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"

namespace zb::cli {
namespace {

namespace fs = std::filesystem;
using zb::test::runCommand;
using zb::test::shellQuote;
using zb::test::TempDir;

class ZipCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("tree/a.txt", std::string(3000, 'a'));
        dir.write("tree/b.tmp", "temporary");
        dir.write("tree/sub/c.txt", "ccc");
        dir.write("tree/sub/d.log", std::string(2000, 'd'));
    }
    // Runs the program in the test's folder; stderr joins stdout.
    zb::test::CommandResult zip(const std::string& args) {
        return runCommand("cd " + shellQuote(dir.path().string()) + " && " + shellQuote(cli) + " zip " + args +
                          " 2>&1 </dev/null");
    }
    std::string archive(const std::string& name) { return shellQuote((dir / name).string()); }
    std::string names(const std::string& name) {
        return runCommand("unzip -Z1 " + archive(name) + " | LC_ALL=C sort").output;
    }
    std::string member(const std::string& name, const std::string& memberName) {
        return runCommand("unzip -p " + archive(name) + " " + shellQuote(memberName)).output;
    }
    TempDir dir;
    const std::string cli = std::string(ZB_BIN_DIR) + "/zipbackup-cli";
};

// In-process runs, for the streams and the progress bar.
struct Session {
    std::istringstream in;
    std::ostringstream out, err;
    ArchiveIo io{in, out, err};
};

TEST_F(ZipCommandTest, RecurseWithARootStoresPathsRelativeToIt) {
    const auto r = zip("-r --root tree out.zip .");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    // -r gives the folders it walks entries of their own, so empty ones come back.
    EXPECT_EQ(names("out.zip"), "a.txt\nb.tmp\nsub/\nsub/c.txt\nsub/d.log\n");
    EXPECT_NE(r.output.find("  adding: sub/d.log (deflated 9"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("  adding: sub/c.txt (stored 0%)"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("out.zip: 4 files packed"), std::string::npos) << r.output;
    EXPECT_EQ(runCommand("unzip -tq " + archive("out.zip")).exitCode, 0);
    // A relative SPEC starts at the root, whatever the current folder.
    EXPECT_EQ(zip("-q -r --root tree/sub one.zip c.txt").exitCode, 0);
    EXPECT_EQ(names("one.zip"), "c.txt\n");
}

TEST_F(ZipCommandTest, WithoutPathsOnlyNamesWithPathsTheFoldersAsGiven) {
    EXPECT_EQ(zip("-q -r flat.zip tree").exitCode, 0);
    EXPECT_EQ(names("flat.zip"), "a.txt\nb.tmp\nc.txt\nd.log\n");
    // The folder named with -r gets its own entry, as the folders below it do.
    EXPECT_EQ(zip("-q -r -p paths.zip tree/sub").exitCode, 0);
    EXPECT_EQ(names("paths.zip"), "tree/sub/\ntree/sub/c.txt\ntree/sub/d.log\n");
    EXPECT_EQ(zip("-q -r --store-paths long.zip tree/sub").exitCode, 0);
    EXPECT_EQ(names("long.zip"), "tree/sub/\ntree/sub/c.txt\ntree/sub/d.log\n");
    // Without -r a mask takes only its own folder's files.
    EXPECT_EQ(zip("-q -p masks.zip 'tree/*.txt'").exitCode, 0);
    EXPECT_EQ(names("masks.zip"), "tree/a.txt\n");
    // With -r the same mask searches the subfolders too.
    EXPECT_EQ(zip("-q -p -r -D rmasks.zip 'tree/*.txt'").exitCode, 0);
    EXPECT_EQ(names("rmasks.zip"), "tree/a.txt\ntree/sub/c.txt\n");
}

TEST_F(ZipCommandTest, EachLevelFlagIsTheSameAsLevelN) {
    dir.write("text/t.txt", [] {
        std::string s;
        for (int i = 0; i < 4000; ++i) s += "line " + std::to_string(i * 7919 % 1000) + " of some text\n";
        return s;
    }());
    for (int level = 0; level <= 9; ++level) {
        const std::string n = std::to_string(level);
        ASSERT_EQ(zip("-q -" + n + " f" + n + ".zip text/t.txt").exitCode, 0);
        ASSERT_EQ(zip("-q --level " + n + " l" + n + ".zip text/t.txt").exitCode, 0);
        EXPECT_EQ(zb::test::readFile(dir / ("f" + n + ".zip")), zb::test::readFile(dir / ("l" + n + ".zip")))
            << "level " << level;
        const std::string v = runCommand("unzip -v " + archive("f" + n + ".zip")).output;
        EXPECT_EQ(v.find("Stored") != std::string::npos, level == 0) << v;
        EXPECT_EQ(member("f" + n + ".zip", "t.txt"), zb::test::readFile(dir / "text/t.txt"));
    }
    EXPECT_LT(fs::file_size(dir / "f9.zip"), fs::file_size(dir / "f1.zip"));
    EXPECT_EQ(zip("-q f.zip text/t.txt").exitCode, 0);  // 6 when no level is named
    EXPECT_EQ(zb::test::readFile(dir / "f.zip"), zb::test::readFile(dir / "f6.zip"));
}

TEST_F(ZipCommandTest, ExcludesAndStoredNamesRepeat) {
    EXPECT_EQ(zip("-q --level 9 -r -x '*.tmp' -x 'd*' -n '*.txt' nine.zip tree").exitCode, 0);
    EXPECT_EQ(names("nine.zip"), "a.txt\nc.txt\n");
    const std::string v = runCommand("unzip -v " + archive("nine.zip")).output;
    EXPECT_NE(v.find("3000  Stored     3000"), std::string::npos) << v;
    EXPECT_EQ(zip("-q -r -n '*.txt' -n '*.log' stored.zip tree").exitCode, 0);
    const std::string s = runCommand("unzip -v " + archive("stored.zip")).output;
    EXPECT_NE(s.find("2000  Stored     2000"), std::string::npos) << s;
    EXPECT_NE(s.find("3000  Stored     3000"), std::string::npos) << s;
    // A pattern that names a folder starts where the SPECs start: at the root, or here.
    EXPECT_EQ(zip("-q -r -D --root tree -x 'sub/*' rooted.zip .").exitCode, 0);
    EXPECT_EQ(names("rooted.zip"), "a.txt\nb.tmp\n");
    EXPECT_EQ(zip("-q -r -p -x 'tree/sub/c*' here.zip tree").exitCode, 0);
    EXPECT_EQ(names("here.zip"), "tree/\ntree/a.txt\ntree/b.tmp\ntree/sub/\ntree/sub/d.log\n");
    // -n looks at file names alone: a folder in its pattern could never match.
    const auto n = zip("-q -r --root tree -n 'sub/*' rootstored.zip .");
    EXPECT_EQ(n.exitCode, kExitBadRequest);
    EXPECT_NE(n.output.find("without folders"), std::string::npos) << n.output;
    EXPECT_FALSE(fs::exists(dir / "rootstored.zip"));
}

TEST_F(ZipCommandTest, PasswordAndCommentReachThePeers) {
    const auto r = zip("-q -P 'se cret' --comment 'my archive' -r enc.zip tree");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(runCommand("unzip -tq -P 'se cret' " + archive("enc.zip")).exitCode, 0);
    EXPECT_NE(runCommand("unzip -tq -P wrong " + archive("enc.zip") + " 2>&1").exitCode, 0);
    EXPECT_EQ(runCommand("7z t -p'se cret' " + archive("enc.zip") + " >/dev/null 2>&1").exitCode, 0);
    EXPECT_NE(runCommand("unzip -z " + archive("enc.zip")).output.find("my archive"), std::string::npos);
    // A comment alone changes an existing archive and nothing else.
    EXPECT_EQ(zip("-q --comment 'new words' enc.zip").exitCode, 0);
    EXPECT_NE(runCommand("unzip -z " + archive("enc.zip")).output.find("new words"), std::string::npos);
    EXPECT_EQ(names("enc.zip"), "a.txt\nb.tmp\nc.txt\nd.log\n");
    // The encryption header does not count as compressed data in the file list.
    const auto listed = zip("-P pw -0 listed.zip tree/b.tmp");
    EXPECT_NE(listed.output.find("adding: b.tmp (stored 0%)"), std::string::npos) << listed.output;
}

TEST_F(ZipCommandTest, PromptedPasswordNeedsATerminalAndIsAskedTwice) {
    const auto r = zip("-e prompt.zip tree/a.txt");
    EXPECT_EQ(r.exitCode, kExitBadRequest);
    EXPECT_NE(r.output.find("terminal"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "prompt.zip"));
    EXPECT_EQ(zip("-e -P x both.zip tree/a.txt").exitCode, kExitBadRequest);
    // On a terminal (script gives the program one), asked twice without echo.
    const std::string inner =
        "cd " + shellQuote(dir.path().string()) + " && " + shellQuote(cli) + " zip -q -e prompt.zip tree/a.txt";
    const auto ok = runCommand("(sleep 1; printf 'tty pw\\n'; sleep 1; printf 'tty pw\\n') | script -qec " +
                               shellQuote(inner) + " /dev/null 2>&1");
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_NE(ok.output.find("Enter password"), std::string::npos) << ok.output;
    EXPECT_NE(ok.output.find("Verify password"), std::string::npos) << ok.output;
    EXPECT_EQ(ok.output.find("tty pw"), std::string::npos) << "echoed: " << ok.output;
    EXPECT_EQ(runCommand("unzip -tq -P 'tty pw' " + archive("prompt.zip")).exitCode, 0);
    const auto differ = runCommand("(sleep 1; printf 'one\\n'; sleep 1; printf 'two\\n') | script -qec " +
                                   shellQuote(inner + "2") + " /dev/null 2>&1");
    EXPECT_NE(differ.output.find("do not match"), std::string::npos) << differ.output;
    EXPECT_FALSE(fs::exists(dir / "prompt.zip2"));
}

TEST_F(ZipCommandTest, PromptedPasswordInProcess) {
    Session s;
    s.in.str("pw one\npw one\n");
    s.io.interactive = true;
    ZipOptions o;
    o.archive = (dir / "p.zip").string();
    o.specs = {(dir / "tree/a.txt").string()};
    o.promptPassword = true;
    EXPECT_EQ(runZipCommand(o, s.io), kExitOk) << s.err.str();
    EXPECT_EQ(runCommand("unzip -tq -P 'pw one' " + archive("p.zip")).exitCode, 0);
    Session empty;
    empty.in.str("\n\n");
    empty.io.interactive = true;
    o.archive = (dir / "q.zip").string();
    EXPECT_EQ(runZipCommand(o, empty.io), kExitBadRequest);
    EXPECT_NE(empty.err.str().find("empty"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "q.zip"));
}

TEST_F(ZipCommandTest, UpdateFreshenAndReplace) {
    EXPECT_EQ(zip("-q base.zip tree/a.txt tree/sub/c.txt").exitCode, 0);
    utimbuf old{1'500'000'000, 1'500'000'000};
    dir.write("tree/a.txt", "changed but older");
    utime((dir / "tree/a.txt").c_str(), &old);
    dir.write("tree/sub/c.txt", "changed and newer");
    const std::time_t later = std::time(nullptr) + 3600;  // DOS times count in 2 seconds
    utimbuf newer{later, later};
    utime((dir / "tree/sub/c.txt").c_str(), &newer);
    // -f: only members, only when newer.
    EXPECT_EQ(zip("-q -f base.zip tree/a.txt tree/sub/c.txt tree/b.tmp").exitCode, 0);
    EXPECT_EQ(names("base.zip"), "a.txt\nc.txt\n");
    EXPECT_EQ(member("base.zip", "c.txt"), "changed and newer");
    EXPECT_EQ(member("base.zip", "a.txt"), std::string(3000, 'a'));
    // -u: newer members and new files.
    EXPECT_EQ(zip("-q -u base.zip tree/a.txt tree/b.tmp").exitCode, 0);
    EXPECT_EQ(names("base.zip"), "a.txt\nb.tmp\nc.txt\n");
    EXPECT_EQ(member("base.zip", "a.txt"), std::string(3000, 'a'));
    // --replace: whatever the dates.
    EXPECT_EQ(zip("-q --replace base.zip tree/a.txt").exitCode, 0);
    EXPECT_EQ(member("base.zip", "a.txt"), "changed but older");
    EXPECT_EQ(zip("-f --replace x.zip tree").exitCode, kExitBadRequest);
    EXPECT_EQ(zip("-u -f x.zip tree").exitCode, kExitBadRequest);
    EXPECT_FALSE(fs::exists(dir / "x.zip"));
}

TEST_F(ZipCommandTest, LeftOutFilesAreWarnedAboutEvenWhenQuiet) {
    const auto r = zip("some.zip tree/a.txt tree/missing.txt");
    EXPECT_EQ(r.exitCode, kExitFailed);
    EXPECT_NE(r.output.find("warning: name not matched: tree/missing.txt"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("1 file left out of some.zip"), std::string::npos) << r.output;
    EXPECT_EQ(names("some.zip"), "a.txt\n");
    const auto q = zip("-q quiet.zip tree/a.txt tree/missing.txt");
    EXPECT_EQ(q.exitCode, kExitFailed);
    EXPECT_EQ(q.output.find("adding"), std::string::npos) << q.output;
    EXPECT_NE(q.output.find("name not matched"), std::string::npos) << q.output;
    // Nothing matched at all: no empty archive is left behind.
    const auto none = zip("-q none.zip tree/missing.txt 'tree/*.none'");
    EXPECT_EQ(none.exitCode, kExitFailed);
    EXPECT_NE(none.output.find("nothing to pack"), std::string::npos) << none.output;
    EXPECT_FALSE(fs::exists(dir / "none.zip"));
}

TEST_F(ZipCommandTest, UnreadableFilesAreLeftOutAndReported) {
    if (geteuid() == 0) {
        // Root reads everything; run the program as the unprivileged user instead.
        fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);
        for (const auto& e : fs::recursive_directory_iterator(dir.path()))
            fs::permissions(e.path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(dir / "tree/b.tmp", fs::perms::none);
    const std::string asNobody =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : std::string();
    const auto r = runCommand("cd " + shellQuote(dir.path().string()) + " && " + asNobody + shellQuote(cli) +
                              " zip -q -r part.zip tree 2>&1 </dev/null");
    EXPECT_EQ(r.exitCode, kExitFailed) << r.output;
    EXPECT_NE(r.output.find("could not open for reading: "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("b.tmp"), std::string::npos) << r.output;
    EXPECT_EQ(names("part.zip"), "a.txt\nc.txt\nd.log\n");
}

TEST_F(ZipCommandTest, RefusedRequestsChangeNothing) {
    const auto r = zip("nofolder/x.zip tree/a.txt");
    EXPECT_EQ(r.exitCode, kExitBadRequest);
    EXPECT_NE(r.output.find("no such folder"), std::string::npos) << r.output;
    EXPECT_EQ(zip("--root nowhere r.zip .").exitCode, kExitBadRequest);
    EXPECT_NE(zip("--level 12 bad.zip tree").exitCode, 0);
    EXPECT_FALSE(fs::exists(dir / "bad.zip"));
    EXPECT_EQ(zip("tree tree/a.txt").exitCode, kExitBadRequest);  // the archive is a folder
    EXPECT_EQ(zip("empty.zip").exitCode, kExitBadRequest);        // nothing named
    EXPECT_NE(zip("").exitCode, 0);                               // the archive is required
    EXPECT_FALSE(fs::exists(dir / "empty.zip"));
}

TEST_F(ZipCommandTest, FailuresLeaveAnExistingArchiveAsItWas) {
    dir.write("notzip.zip", "just text");
    const auto n = zip("notzip.zip tree/a.txt");
    EXPECT_EQ(n.exitCode, kExitFailed);
    EXPECT_NE(n.output.find("Not a valid zip file!"), std::string::npos) << n.output;
    EXPECT_NE(n.output.find("the archive is unchanged"), std::string::npos) << n.output;
    EXPECT_EQ(zb::test::readFile(dir / "notzip.zip"), "just text");

    // A disk that fills up part-way (a file size limit here): the update fails with
    // the engine's message, the archive keeps its bytes and no temporary file stays.
    EXPECT_EQ(zip("-q small.zip tree/sub/c.txt").exitCode, 0);
    const std::string before = zb::test::readFile(dir / "small.zip");
    std::string big;
    for (int i = 0; i < 40000; ++i) big += std::to_string(i * 2654435761u);
    dir.write("big.bin", big);
    const auto full = runCommand("cd " + shellQuote(dir.path().string()) + " && trap '' XFSZ && ulimit -f 64 && " +
                                 shellQuote(cli) + " zip -0 small.zip big.bin 2>&1 </dev/null");
    EXPECT_EQ(full.exitCode, kExitFailed) << full.output;
    EXPECT_NE(full.output.find("Not enough room to write archive"), std::string::npos) << full.output;
    EXPECT_EQ(zb::test::readFile(dir / "small.zip"), before);
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 3);  // notzip.zip, small.zip, big.bin
    // A new archive that cannot be finished is not left behind either.
    const auto fresh = runCommand("cd " + shellQuote(dir.path().string()) + " && trap '' XFSZ && ulimit -f 64 && " +
                                  shellQuote(cli) + " zip -0 fresh.zip big.bin 2>&1 </dev/null");
    EXPECT_EQ(fresh.exitCode, kExitFailed) << fresh.output;
    EXPECT_NE(fresh.output.find("no archive was written"), std::string::npos) << fresh.output;
    EXPECT_FALSE(fs::exists(dir / "fresh.zip"));
}

// -y stores links as Info-ZIP's zip -y does: the same names with the same modes. Without
// it a link to a file is packed as the file, a link to a folder is not followed and a
// dangling link is named and left out, none of which fails the run.
TEST_F(ZipCommandTest, SymlinksAreStoredAsInfoZipStoresThemWithY) {
    const std::pair<const char*, const char*> links[] = {
        {"la", "a.txt"}, {"ld", "sub"}, {"dang", "nowhere"}, {"sub/up", "../a.txt"}};
    for (const auto& [name, text] : links) fs::create_symlink(text, dir / "tree" / name);
    auto listed = [&](const std::string& name) {
        return runCommand("python3 -c 'import sys, zipfile\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): "
                          "print(i.filename, oct(i.external_attr >> 16))' " + archive(name) + " | LC_ALL=C sort")
            .output;
    };
    ASSERT_EQ(runCommand("cd " + shellQuote((dir / "tree").string()) + " && zip -q -r -y ../peer.zip .").exitCode, 0);
    EXPECT_EQ(zip("-r -y --root tree ours.zip .").output.find("note"), std::string::npos);
    EXPECT_EQ(listed("ours.zip"), listed("peer.zip"));
    const auto n = zip("-q -r --root tree plain.zip .");
    EXPECT_EQ(n.exitCode, 0) << n.output;
    EXPECT_NE(n.output.find("link that leads nowhere, left out (-y stores it as a link): "), std::string::npos);
    EXPECT_EQ(names("plain.zip"), "a.txt\nb.tmp\nla\nsub/\nsub/c.txt\nsub/d.log\nsub/up\n");
    EXPECT_EQ(member("plain.zip", "la"), std::string(3000, 'a'));
}

TEST_F(ZipCommandTest, ProgressBarIsDrawnAndClearedBeforeEachListedFile) {
    dir.write("tree/large.bin", std::string(3 << 20, 'z'));
    Session s;
    ProgressBar bar(s.err, true, 80);
    s.io.progress = &bar;
    ZipOptions o;
    o.archive = (dir / "bar.zip").string();
    o.specs = {(dir / "tree").string()};
    o.recurse = true;
    EXPECT_EQ(runZipCommand(o, s.io), kExitOk) << s.err.str();
    const std::string err = s.err.str();
    EXPECT_NE(err.find("100%"), std::string::npos) << err;
    EXPECT_NE(err.find("large.bin"), std::string::npos) << err;
    EXPECT_NE(err.find("[#"), std::string::npos) << err;
    // The bar ends cleared, so the terminal's next line starts clean.
    EXPECT_EQ(err.substr(err.size() - 4), "\r\x1b[K");
    EXPECT_NE(s.out.str().find("  adding: large.bin (deflated 99%)"), std::string::npos) << s.out.str();
    // Python's zipfile reads what was written.
    EXPECT_EQ(runCommand("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                         "sys.exit(0 if z.testzip() is None and len(z.namelist())==5 else 1)\" " +
                         archive("bar.zip"))
                  .exitCode,
              0);
}

}  // namespace
}  // namespace zb::cli
