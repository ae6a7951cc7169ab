// The archive commands of the command line: list, test and unzip on archives made by
// Info-ZIP zip, their output and exit codes, overwrite options, passwords, and the
// errors of damaged or missing archives; also the finished program as a process.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "cli/ArchiveCommandSupport.h"
#include "cli/ArchiveCommands.h"
#include "cli/CliSettings.h"
#include "cli/OverwriteMode.h"
#include "support/TempDir.h"
#include "zip/WriterTestSupport.h"

namespace zb::cli {
namespace {

using namespace zb::test;
namespace fs = std::filesystem;

struct Session {
    std::istringstream in;
    std::ostringstream out, err;
    ArchiveIo io{in, out, err};
    explicit Session(std::string input = {}, bool interactive = false) : in(std::move(input)) {
        io.interactive = interactive;
    }
};

struct Archive {
    TempDir dir;
    fs::path zip = dir / "a.zip";
    explicit Archive(const std::string& zipArgs = "") {
        dir.write("src/hello.txt", "hello\n");
        dir.write("src/sub/data.bin", std::string(70000, 'x'));
        EXPECT_EQ(runCommand("cd " + shellQuote(dir / "src") + " && zip -q -r " + zipArgs + " " + shellQuote(zip) +
                             " .")
                      .status,
                  0);
    }
};

TEST(ListCommand, ShowsEveryMemberWithSizesMethodDateCrcAndEncryption) {
    Archive a("-P pw");
    Session s;
    EXPECT_EQ(runListCommand({a.zip.string()}, s.io), kExitOk);
    const std::string out = s.out.str();
    EXPECT_NE(out.find("hello.txt"), std::string::npos);
    EXPECT_NE(out.find("sub/data.bin"), std::string::npos);
    EXPECT_NE(out.find("Deflated"), std::string::npos);
    EXPECT_NE(out.find("363a3020"), std::string::npos);  // CRC-32 of "hello\n"
    EXPECT_NE(out.find("yes"), std::string::npos);
    EXPECT_NE(out.find("2 files"), std::string::npos);
    EXPECT_NE(out.find("70000"), std::string::npos);
}

TEST(ListCommand, MissingOrForeignFileIsAnErrorOnStderr) {
    TempDir dir;
    Session s;
    EXPECT_EQ(runListCommand({(dir / "none.zip").string()}, s.io), kExitFailed);
    EXPECT_NE(s.err.str().find("Cannot open file"), std::string::npos);
    dir.write("text.zip", "this is not an archive at all");
    Session t;
    EXPECT_EQ(runListCommand({(dir / "text.zip").string()}, t.io), kExitFailed);
    EXPECT_NE(t.err.str().find("Not a valid zip file!"), std::string::npos);
    EXPECT_TRUE(t.out.str().empty());
}

TEST(TestCommand, SoundArchivePasses) {
    Archive a;
    Session s;
    TestOptions o;
    o.archive = a.zip.string();
    EXPECT_EQ(runTestCommand(o, s.io), kExitOk);
    EXPECT_NE(s.out.str().find("testing: sub/data.bin  OK"), std::string::npos);
    EXPECT_NE(s.out.str().find("No errors detected"), std::string::npos);
    EXPECT_TRUE(s.err.str().empty());
}

TEST(TestCommand, DamagedMemberFailsWithItsCrc) {
    Archive a("-0");
    std::string bytes = readFile(a.zip);
    std::size_t at = bytes.find("hello\n");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'j';
    std::ofstream(a.zip, std::ios::binary) << bytes;
    Session s;
    TestOptions o;
    o.archive = a.zip.string();
    EXPECT_EQ(runTestCommand(o, s.io), kExitFailed);
    EXPECT_NE(s.err.str().find("hello.txt  bad CRC"), std::string::npos);
    EXPECT_NE(s.err.str().find("1 error detected"), std::string::npos);
}

TEST(TestCommand, PasswordFromTheOptionOrTheTerminal) {
    Archive a("-P secret");
    {
        Session s;
        TestOptions o;
        o.archive = a.zip.string();
        o.password = "secret";
        EXPECT_EQ(runTestCommand(o, s.io), kExitOk);
    }
    {
        Session s;  // no terminal: no one to ask
        TestOptions o;
        o.archive = a.zip.string();
        EXPECT_EQ(runTestCommand(o, s.io), kExitFailed);
        EXPECT_NE(s.err.str().find("wrong password"), std::string::npos);
    }
    {
        Session s("wrong\nsecret\n", true);
        TestOptions o;
        o.archive = a.zip.string();
        EXPECT_EQ(runTestCommand(o, s.io), kExitOk) << s.err.str();
        EXPECT_NE(s.err.str().find("password:"), std::string::npos);
        EXPECT_NE(s.err.str().find("password incorrect--reenter:"), std::string::npos);
    }
}

TEST(UnzipCommand, ExtractsIntoTheDestinationWithFoldersOrFlat) {
    Archive a;
    Session s;
    UnzipOptions o;
    o.archive = a.zip.string();
    o.destDir = (a.dir / "out").string();
    EXPECT_EQ(runUnzipCommand(o, s.io), kExitOk);
    EXPECT_EQ(readFile(a.dir / "out/sub/data.bin"), std::string(70000, 'x'));
    o.destDir = (a.dir / "flat").string();
    o.junkPaths = true;
    Session t;
    EXPECT_EQ(runUnzipCommand(o, t.io), kExitOk);
    EXPECT_EQ(readFile(a.dir / "flat/data.bin"), std::string(70000, 'x'));
    EXPECT_FALSE(fs::exists(a.dir / "flat/sub"));
}

TEST(UnzipCommand, OverwriteOptions) {
    Archive a;
    UnzipOptions o;
    o.archive = a.zip.string();
    o.destDir = (a.dir / "out").string();
    o.members = {"hello.txt"};
    a.dir.write("out/hello.txt", "mine");
    {
        Session s;  // prompt without a terminal keeps the file
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitOk);
        EXPECT_EQ(readFile(a.dir / "out/hello.txt"), "mine");
        EXPECT_NE(s.err.str().find("no terminal to ask"), std::string::npos);
    }
    {
        Session s("x\nn\n", true);
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitOk);
        EXPECT_EQ(readFile(a.dir / "out/hello.txt"), "mine");
        EXPECT_NE(s.err.str().find("replace "), std::string::npos);
    }
    {
        Session s;
        o.overwriteNever = true;
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitOk);
        EXPECT_EQ(readFile(a.dir / "out/hello.txt"), "mine");
        o.overwriteAlways = true;
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitBadRequest);
        o.overwriteNever = false;
    }
    {
        Session s;
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitOk);
        EXPECT_EQ(readFile(a.dir / "out/hello.txt"), "hello\n");
    }
    {
        Session s;
        o.overwriteAlways = false;
        o.overwrite = "sometimes";
        EXPECT_EQ(runUnzipCommand(o, s.io), kExitBadRequest);
        EXPECT_NE(s.err.str().find("unknown overwrite mode"), std::string::npos);
    }
}

TEST(UnzipCommand, WrongPasswordFailsTheMemberAndTheExitCode) {
    Archive a("-P right");
    Session s;
    UnzipOptions o;
    o.archive = a.zip.string();
    o.destDir = (a.dir / "out").string();
    o.password = "wrong";
    EXPECT_EQ(runUnzipCommand(o, s.io), kExitFailed);
    EXPECT_NE(s.err.str().find("hello.txt: wrong password, not extracted"), std::string::npos);
    EXPECT_FALSE(fs::exists(a.dir / "out/hello.txt"));
}

TEST(CliSupport, DatesAndSkipTexts) {
    EXPECT_EQ(dosDateTimeText((40u << 25) | (6u << 21) | (15u << 16) | (12u << 11) | (30u << 5) | 5u),
              "2020-06-15 12:30:10");
    EXPECT_EQ(skipText(zip::skipUnsupported, "AES"), "not supported (AES)");
    EXPECT_EQ(skipText(zip::skipBadPassword, ""), "wrong password");
}

// The rule that "unzip" and "restore" read from -o, -n and --overwrite.
TEST(CliSupport, OverwriteRuleFromTheFlagsAndTheName) {
    struct Case {
        bool always, never;
        std::string name;
        std::optional<zip::TUZOverwriteMode> mode;
        std::string error;
    };
    const Case cases[] = {
        {false, false, "prompt", zip::Prompt, ""},  {false, false, "always", zip::Always, ""},
        {false, false, "never", zip::Never, ""},    {false, false, "newer", zip::ifNewer, ""},
        {false, false, "older", zip::ifOlder, ""},  {true, false, "never", zip::Always, ""},
        {false, true, "always", zip::Never, ""},    {true, true, "prompt", std::nullopt, "exclude each other"},
        {false, false, "", std::nullopt, "unknown overwrite mode \"\""},
        {false, false, "Always", std::nullopt, "unknown overwrite mode \"Always\""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(parseOverwriteMode(c.always, c.never, c.name, error), c.mode) << c.name;
        if (c.error.empty()) EXPECT_EQ(error, "") << c.name;
        else EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
}

// ---- The program itself ----

std::string cli() { return shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli"); }

TEST(ZipbackupCli, ExitCodesAndStreams) {
    Archive a;
    auto ok = runCommand(cli() + " test " + shellQuote(a.zip) + " 2>/dev/null");
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.output.find("No errors detected"), std::string::npos);
    auto missing = runCommand("(" + cli() + " list " + shellQuote(a.dir / "none.zip") + " 2>&1 >/dev/null)");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("Error:"), std::string::npos);
    auto unzip = runCommand(cli() + " unzip " + shellQuote(a.zip) + " -d " + shellQuote(a.dir / "x") + " -q");
    EXPECT_EQ(unzip.status, 0);
    EXPECT_EQ(readFile(a.dir / "x/hello.txt"), "hello\n");
    // Output that is not a terminal never gets a progress bar.
    EXPECT_EQ(unzip.output.find('\r'), std::string::npos);
    EXPECT_NE(runCommand(cli() + " unzip").status, 0);  // the archive is required
}

}  // namespace
}  // namespace zb::cli
