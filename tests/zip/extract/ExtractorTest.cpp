// Extraction: selection, folders, overwrite rules, passwords, dates and attributes,
// the events and their order, progress, and what happens to files that fail.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "platform/TzGuard.h"
#include "platform/Ui.h"
#include "zip/ReaderTestSupport.h"
#include "zip/TZipWriter.h"
#include "zip/records/DosDateTime.h"

namespace zb::zip {
namespace {

using namespace zb::test;

const std::vector<std::pair<std::string, std::string>> kMembers = {
    {"top.txt", "top level\n"},      {"docs/", ""},     {"docs/a.txt", "alpha\n"}, {"docs/b.log", "bravo\n"},
    {"docs/sub/c.txt", "charlie\n"}, {"empty.dat", ""},
};

struct Fixture {
    TempDir dir;
    fs::path archive = dir / "a.zip";
    fs::path dest = dir / "dest";
    explicit Fixture(const std::string& method = "deflated") { makeZip(archive, kMembers, method); }
};

TEST(Extractor, DoAllRecreatesFoldersAndCountsFolderEntries) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    EXPECT_EQ(x.reader.UnZip(), 6);
    EXPECT_EQ(readFile(f.dest / "docs/sub/c.txt"), "charlie\n");
    EXPECT_EQ(fs::file_size(f.dest / "empty.dat"), 0u);
}

TEST(Extractor, WithoutRecreateDirsEveryFileLandsInTheDestination) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.RecreateDirs = false;
    EXPECT_EQ(x.reader.UnZip(), 6);  // the folder entry still counts
    EXPECT_EQ(readFile(f.dest / "c.txt"), "charlie\n");
    EXPECT_FALSE(fs::exists(f.dest / "docs"));
}

TEST(Extractor, RootDirIsCutFromRecreatedFolders) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.SetRootDir("docs");
    EXPECT_EQ(x.reader.RootDir(), "docs/");
    x.reader.UnZip();
    EXPECT_EQ(readFile(f.dest / "a.txt"), "alpha\n");
    EXPECT_EQ(readFile(f.dest / "sub/c.txt"), "charlie\n");
    EXPECT_EQ(readFile(f.dest / "top.txt"), "top level\n");
}

TEST(Extractor, RootDirComparesLetterCaseExactly) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.SetRootDir("DOCS/");
    x.reader.UnZip();
    EXPECT_TRUE(fs::exists(f.dest / "docs/a.txt"));
}

TEST(Extractor, FilesListSelectsByPatternWithoutCaseAndIsClearedAfterwards) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.DoAll = false;
    x.reader.FilesList = {"DOCS/*.TXT", "top.txt"};
    int numFiles = -1;
    std::int64_t totalBytes = -1;
    x.reader.OnStartUnZipInfo = [&](TZipReader&, int n, std::int64_t t, bool&) {
        numFiles = n;
        totalBytes = t;
    };
    EXPECT_EQ(x.reader.UnZip(), 3);  // top.txt, docs/a.txt, docs/sub/c.txt
    EXPECT_EQ(numFiles, 3);
    EXPECT_EQ(totalBytes, 10 + 6 + 8);
    EXPECT_FALSE(fs::exists(f.dest / "docs/b.log"));
    EXPECT_TRUE(x.reader.FilesList.empty());
}

TEST(Extractor, BackslashPatternsMatchStoredFolders) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.DoAll = false;
    x.reader.FilesList = {"docs\\b.log"};
    EXPECT_EQ(x.reader.UnZip(), 1);
    EXPECT_TRUE(fs::exists(f.dest / "docs/b.log"));
}

TEST(Extractor, NothingSelectedOrStopNowExtractsNothing) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.DoAll = false;
    x.reader.FilesList = {"nothing*"};
    EXPECT_EQ(x.reader.UnZip(), 0);
    x.reader.DoAll = true;
    x.reader.OnStartUnZipInfo = [](TZipReader&, int, std::int64_t, bool& stop) { stop = true; };
    EXPECT_EQ(x.reader.UnZip(), 0);
    EXPECT_FALSE(fs::exists(f.dest / "top.txt"));
}

TEST(Extractor, StartUnZipMayRedirectOrSkipAMember) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.OnStartUnZip = [&](TZipReader&, int, std::string& name, bool& skip) {
        if (name.ends_with("top.txt")) name = (f.dir / "elsewhere.txt").string();
        if (name.ends_with("b.log")) skip = true;
    };
    EXPECT_EQ(x.reader.UnZip(), 5);
    EXPECT_EQ(readFile(f.dir / "elsewhere.txt"), "top level\n");
    EXPECT_FALSE(fs::exists(f.dest / "docs/b.log"));
}

TEST(Extractor, EventsComeInOrderAndCompletionReportsTheCount) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    std::vector<std::string> log;
    x.reader.OnStartUnZipInfo = [&](TZipReader&, int n, std::int64_t, bool&) {
        log.push_back("info " + std::to_string(n));
    };
    x.reader.OnStartUnZip = [&](TZipReader&, int i, std::string&, bool&) {
        log.push_back("start " + std::to_string(i));
    };
    x.reader.OnEndUnZip = [&](TZipReader&, int i, const std::string&) { log.push_back("end " + std::to_string(i)); };
    x.reader.OnUnZipComplete = [&](TZipReader& s, int n) {
        EXPECT_TRUE(s.Busy());
        log.push_back("complete " + std::to_string(n));
    };
    x.reader.UnZip();
    std::vector<std::string> expect = {"info 5", "start 0", "end 0", "start 2", "end 2", "start 3",
                                       "end 3",  "start 4", "end 4", "start 5", "end 5", "complete 6"};
    EXPECT_EQ(log, expect);
    EXPECT_FALSE(x.reader.Busy());
}

TEST(Extractor, ProgressStaysWithinAHundredAndEmptyMembersReportNoFileProgress) {
    TempDir dir;
    std::string big = randomBinary(100000, 9);
    makeZip(dir / "a.zip", {{"big.bin", big}, {"empty", ""}}, "stored");
    ExtractAll x(dir / "a.zip", dir / "out");
    std::vector<int> file, total;
    std::string current;
    x.reader.OnStartUnZip = [&](TZipReader&, int, std::string& n, bool&) { current = n; };
    x.reader.OnFilePercentDone = [&](TZipReader&, int p) {
        EXPECT_FALSE(current.ends_with("empty"));
        file.push_back(p);
    };
    x.reader.OnTotalPercentDone = [&](TZipReader&, int p) { total.push_back(p); };
    x.reader.UnZip();
    ASSERT_EQ(file.size(), 4u);  // 100000 bytes in blocks of 32 KiB
    EXPECT_EQ(file.front(), 33);
    EXPECT_EQ(file.back(), 100);
    for (int p : total) EXPECT_LE(p, 100);
    EXPECT_EQ(total.back(), 100);
}

TEST(Extractor, TotalProgressNeverExceedsAHundredWhenSkipsShrinkTheTotal) {
    Fixture f;
    ExtractAll x(f.archive, f.dest);
    x.reader.UnZip();
    x.reader.OverwriteMode = Never;
    std::vector<int> total;
    x.reader.OnTotalPercentDone = [&](TZipReader&, int p) { total.push_back(p); };
    fs::remove(f.dest / "docs/sub/c.txt");
    x.reader.UnZip();
    ASSERT_FALSE(total.empty());
    for (int p : total) EXPECT_LE(p, 100);
}

// ---- Overwrite rules ----

struct Existing : Fixture {
    Existing() {
        fs::create_directories(dest);
        std::ofstream(dest / "top.txt") << "mine";
    }
    std::string top() { return readFile(dest / "top.txt"); }
};

TEST(Extractor, NeverKeepsTheExistingFileAndReportsIt) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.OverwriteMode = Never;
    EXPECT_EQ(x.reader.UnZip(), 5);
    EXPECT_EQ(f.top(), "mine");
    ASSERT_EQ(x.skipped.size(), 1u);
    EXPECT_EQ(x.skipped[0].first, skipNoOverwrite);
    EXPECT_EQ(x.skipped[0].second, (f.dest / "top.txt").string());
}

TEST(Extractor, AlwaysReplaces) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "top level\n");
}

TEST(Extractor, PromptAsksTheHandlerWhichMayAnswerEitherWay) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.OverwriteMode = Prompt;
    int asked = 0;
    x.reader.OnPromptForOverwrite = [&](TZipReader&, bool& yes, int, std::string& name) {
        ++asked;
        EXPECT_FALSE(yes);
        EXPECT_EQ(name, (f.dest / "top.txt").string());
        yes = false;
    };
    x.reader.UnZip();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.top(), "mine");
    x.reader.OnPromptForOverwrite = [&](TZipReader&, bool& yes, int, std::string&) { yes = true; };
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "top level\n");
}

struct ScriptedUi : platform::Ui {
    bool answer = false;
    // Each question and message as "caption: text".
    std::vector<std::string> questions, messages;
    std::optional<std::string> folder;
    bool confirm(const std::string& text, platform::MessageKind, const std::string& caption) override {
        questions.push_back(caption + ": " + text);
        return answer;
    }
    void messageBox(platform::MessageKind, const std::string& text, const std::string& caption) override {
        messages.push_back(caption + ": " + text);
    }
    void timedMessage(const std::string&, platform::MessageKind, int) override {}
    void progress(int) override {}
    void busy(bool) override {}
    void processEvents() override {}
    std::optional<std::string> chooseFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseFolder(const std::string&) override { return folder; }
    std::optional<std::string> askPassword(const std::string&) override { return std::nullopt; }
};

TEST(Extractor, PromptWithoutHandlerAsksTheUser) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    ScriptedUi ui;
    x.reader.Ui = &ui;
    x.reader.OverwriteMode = Prompt;
    x.reader.UnZip();
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "File Exists Alert: Replace existing file top.txt?");
    EXPECT_EQ(f.top(), "mine");
}

void setMtime(const fs::path& p, std::uint32_t dos, int deltaSeconds) {
    platform::FileTime t = platform::dosToFileTime(dos);
    t.seconds += deltaSeconds;
    ASSERT_TRUE(platform::setFileTimes(p, t));
}

TEST(Extractor, IfNewerAndIfOlderKeepTheFileOnEqualDates) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.ReadDirectory();
    const std::uint32_t dos = x.reader.Member(0).dosDateTime;
    for (TUZOverwriteMode mode : {ifNewer, ifOlder}) {
        setMtime(f.dest / "top.txt", dos, 0);
        x.skipped.clear();
        x.reader.OverwriteMode = mode;
        x.reader.DoAll = false;
        x.reader.FilesList = {"top.txt"};
        EXPECT_EQ(x.reader.UnZip(), 0);
        EXPECT_EQ(f.top(), "mine");
        ASSERT_EQ(x.skipped.size(), 1u);
        EXPECT_EQ(x.skipped[0].first, skipNoOverwrite);
    }
}

TEST(Extractor, IfNewerReplacesAnOlderFileOnly) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.ReadDirectory();
    const std::uint32_t dos = x.reader.Member(0).dosDateTime;
    x.reader.OverwriteMode = ifNewer;
    setMtime(f.dest / "top.txt", dos, +3600);
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "mine");
    setMtime(f.dest / "top.txt", dos, -3600);
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "top level\n");
}

TEST(Extractor, IfOlderReplacesANewerFileOnly) {
    Existing f;
    ExtractAll x(f.archive, f.dest);
    x.reader.ReadDirectory();
    const std::uint32_t dos = x.reader.Member(0).dosDateTime;
    x.reader.OverwriteMode = ifOlder;
    setMtime(f.dest / "top.txt", dos, -3600);
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "mine");
    setMtime(f.dest / "top.txt", dos, +3600);
    x.reader.UnZip();
    EXPECT_EQ(f.top(), "top level\n");
}

// A read-only target refuses writing only to an unprivileged user, so these run in a
// child process as "nobody", in a folder that user owns.
int readOnlyTargetChild(const fs::path& archive, const fs::path& dest, bool replaceReadOnly) {
    ExtractAll x(archive, dest);
    x.reader.ReplaceReadOnly = replaceReadOnly;
    x.reader.DoAll = false;
    x.reader.FilesList = {"top.txt"};
    int n = x.reader.UnZip();
    const std::string content = readFile(dest / "top.txt");
    if (replaceReadOnly) return n == 1 && content == "top level\n" ? 0 : 10;
    bool reported = x.skipped.size() == 1 && x.skipped[0].first == skipCreateFailed;
    return n == 0 && content == "mine" && reported ? 0 : 11;
}

TEST(Extractor, ReadOnlyTargetIsKeptUnlessReplaceReadOnly) {
    for (bool replace : {false, true}) {
        Existing f;
        fs::permissions(f.dir.path(), fs::perms::all, fs::perm_options::add);
        ASSERT_EQ(::chown(f.dest.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown((f.dest / "top.txt").c_str(), 65534, 65534), 0);
        fs::permissions(f.dest / "top.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(f.archive, fs::perms::others_read, fs::perm_options::add);
        int rc = runInChild([&] { return readOnlyTargetChild(f.archive, f.dest, replace); }, true);
        EXPECT_EQ(rc, 0) << "ReplaceReadOnly " << replace;
    }
}

// ---- Dates, attributes ----

TEST(Extractor, FilesGetTheMemberDateAndUnixPermissions) {
    TempDir dir;
    std::ofstream(dir.write("src/run.sh", "#!/bin/sh\n"));
    fs::permissions(dir / "src/run.sh", fs::perms::owner_all | fs::perms::group_read);
    ASSERT_EQ(
        runCommand("cd " + shellQuote(dir / "src") + " && zip -q " + shellQuote(dir / "a.zip") + " run.sh").status, 0);
    ExtractAll x(dir / "a.zip", dir / "out");
    x.reader.UnZip();
    x.reader.ReadDirectory();
    // zip stores the exact second in its extended timestamp, and the restored file
    // takes that instant; the DOS field alone is rounded to two seconds.
    ASSERT_TRUE(x.reader.Member(0).modTimeUtc);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "out/run.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, *x.reader.Member(0).modTimeUtc);
    EXPECT_EQ(st.st_mode & 0777, 0740u);
}

TEST(Extractor, MsDosReadOnlyAttributeIsKeptOnlyWithRetainAttributes) {
    TempDir dir;
    const char* script = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    info = zipfile.ZipInfo('ro.txt', date_time=(2021, 1, 2, 3, 4, 6))
    info.create_system = 0
    info.external_attr = 0x21
    z.writestr(info, 'read only')
)PY";
    ASSERT_EQ(runPython(script, shellQuote(dir / "a.zip")).status, 0);
    for (bool retain : {true, false}) {
        fs::path out = dir / (retain ? "r" : "n");
        ExtractAll x(dir / "a.zip", out);
        x.reader.RetainAttributes = retain;
        EXPECT_EQ(x.reader.UnZip(), 1);
        EXPECT_EQ(bool(platform::fileAttributes(out / "ro.txt") & platform::faReadOnly), retain);
        auto parts = platform::decodeDateTime(
            platform::fileTimeToLocalDateTime(platform::statEntry(out / "ro.txt")->lastWriteTime));
        EXPECT_EQ(parts.year, 2021);
        EXPECT_EQ(parts.second, 6);
    }
}

// ---- Passwords ----

struct Encrypted {
    TempDir dir;
    fs::path archive = dir / "enc.zip";
    std::string big = randomBinary(100000, 11);
    explicit Encrypted(const char* level = "-0") {
        dir.write("src/secret.bin", big);
        dir.write("src/plain.txt", "not secret\n");
        std::string cmd = "cd " + shellQuote(dir / "src") + " && zip -q " + level + " -P right " + shellQuote(archive) +
                          " secret.bin && zip -q " + level + " " + shellQuote(archive) + " plain.txt";
        EXPECT_EQ(runCommand(cmd).status, 0);
    }
};

TEST(Extractor, EncryptedStoredMemberDecryptsAcrossBlockBoundaries) {
    Encrypted e;
    ExtractAll x(e.archive, e.dir / "out", "right");
    EXPECT_EQ(x.reader.UnZip(), 2);
    EXPECT_EQ(readFile(e.dir / "out/secret.bin"), e.big);
}

TEST(Extractor, WrongPasswordWithoutHandlerSkipsTheMemberAndGoesOn) {
    Encrypted e("-9");
    ExtractAll x(e.archive, e.dir / "out", "wrong");
    EXPECT_EQ(x.reader.UnZip(), 1);
    EXPECT_FALSE(fs::exists(e.dir / "out/secret.bin"));
    EXPECT_TRUE(fs::exists(e.dir / "out/plain.txt"));
    ASSERT_EQ(x.skipped.size(), 1u);
    EXPECT_EQ(x.skipped[0].first, skipBadPassword);
    EXPECT_EQ(x.skipped[0].second, "secret.bin");
}

TEST(Extractor, BadPasswordHandlerSuppliesTheRightOne) {
    Encrypted e("-9");
    ExtractAll x(e.archive, e.dir / "out", "wrong");
    int asked = 0;
    x.reader.OnBadPassword = [&](TZipReader&, int, std::string& pw) {
        ++asked;
        EXPECT_EQ(pw, "wrong");
        pw = "right";
    };
    EXPECT_EQ(x.reader.UnZip(), 2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(x.reader.Password, "right");
    EXPECT_EQ(readFile(e.dir / "out/secret.bin"), e.big);
}

TEST(Extractor, BadPasswordHandlerThatKeepsThePasswordSkips) {
    Encrypted e;
    ExtractAll x(e.archive, e.dir / "out", "wrong");
    x.reader.OnBadPassword = [](TZipReader&, int, std::string&) {};
    EXPECT_EQ(x.reader.UnZip(), 1);
    ASSERT_EQ(x.skipped.size(), 1u);
    EXPECT_EQ(x.skipped[0].first, skipBadPassword);
}

TEST(Extractor, RaisingBadPasswordHandlerEndsTheRunAfterCompletionIsReported) {
    Encrypted e;
    ExtractAll x(e.archive, e.dir / "out", "wrong");
    x.reader.OnBadPassword = [](TZipReader&, int, std::string&) { throw EUserCanceled("stop"); };
    int completed = -1;
    x.reader.OnUnZipComplete = [&](TZipReader&, int n) { completed = n; };
    x.reader.FilesList = {"x"};
    EXPECT_THROW(x.reader.UnZip(), EUserCanceled);
    EXPECT_EQ(completed, 0);
    EXPECT_TRUE(x.reader.FilesList.empty());
    EXPECT_FALSE(x.reader.Busy());
}

// ---- Failing members ----

TEST(Extractor, UnsupportedMethodLeavesAnExistingFileAlone) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"m.txt", "payload"}, {"next.txt", "next"}}, "stored");
    // Turn the first member's method into 14 in both headers.
    std::string bytes = readFile(dir / "a.zip");
    bytes[8] = 14;
    std::size_t central = bytes.find("PK\x01\x02");
    bytes[central + 10] = 14;
    std::ofstream(dir / "a.zip", std::ios::binary) << bytes;
    fs::create_directories(dir / "out");
    std::ofstream(dir / "out/m.txt") << "keep me";
    ExtractAll x(dir / "a.zip", dir / "out");
    ScriptedUi ui;
    x.reader.Ui = &ui;
    std::string detail;
    x.reader.OnSkippingFile = [&](TZipReader& r, TSkipReason reason, const std::string&, int, bool&) {
        EXPECT_EQ(reason, skipUnsupported);
        detail = r.LastSkipDetail();
    };
    EXPECT_EQ(x.reader.UnZip(), 1);
    EXPECT_EQ(readFile(dir / "out/m.txt"), "keep me");
    EXPECT_NE(detail.find("LZMA"), std::string::npos);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Zip Error: Unknown Compression Method"});
    EXPECT_EQ(readFile(dir / "out/next.txt"), "next");
}

TEST(Extractor, AesMembersAreReportedUnsupported) {
    TempDir dir;
    dir.write("src/f.txt", "aes content");
    ASSERT_EQ(runCommand("cd " + shellQuote(dir / "src") + " && 7z a -tzip -mem=AES256 -ppw " +
                         shellQuote(dir / "a.zip") + " f.txt > /dev/null")
                  .status,
              0);
    ExtractAll x(dir / "a.zip", dir / "out", "pw");
    std::vector<std::string> details;
    x.reader.OnSkippingFile = [&](TZipReader& r, TSkipReason reason, const std::string&, int, bool&) {
        EXPECT_EQ(reason, skipUnsupported);
        details.push_back(r.LastSkipDetail());
    };
    EXPECT_EQ(x.reader.UnZip(), 0);
    ASSERT_EQ(details.size(), 1u);
    EXPECT_NE(details[0].find("AES"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out/f.txt"));
}

TEST(Extractor, MemberLongerThanStatedIsDeletedAndTheNextIsStillExtracted) {
    TempDir dir;
    std::string text = randomText(100000, 3);
    makeZip(dir / "a.zip", {{"long.txt", text}, {"next.txt", "next"}});
    std::string bytes = readFile(dir / "a.zip");
    std::size_t central = bytes.find("PK\x01\x02");
    bytes[central + 24] = char(0x10);  // uncompressed size now much smaller
    bytes[central + 25] = 0;
    bytes[central + 26] = 0;
    std::ofstream(dir / "a.zip", std::ios::binary) << bytes;
    ExtractAll x(dir / "a.zip", dir / "out");
    EXPECT_EQ(x.reader.UnZip(), 1);
    EXPECT_EQ(x.badCrc, 1);
    EXPECT_FALSE(fs::exists(dir / "out/long.txt"));
    EXPECT_EQ(readFile(dir / "out/next.txt"), "next");
}

TEST(Extractor, BadCrcDeletesTheFileAndReportsBothValues) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"c.txt", "checked content"}}, "stored");
    std::string bytes = readFile(dir / "a.zip");
    std::size_t central = bytes.find("PK\x01\x02");
    bytes[central + 16] ^= 0x55;
    std::ofstream(dir / "a.zip", std::ios::binary) << bytes;
    ExtractAll x(dir / "a.zip", dir / "out");
    std::uint32_t calc = 0, stored = 0;
    x.reader.OnBadCRC = [&](TZipReader&, std::uint32_t c, std::uint32_t s, int) {
        calc = c;
        stored = s;
    };
    EXPECT_EQ(x.reader.UnZip(), 0);
    EXPECT_EQ(calc ^ stored, 0x55u);
    EXPECT_FALSE(fs::exists(dir / "out/c.txt"));
}

TEST(Extractor, CancelRequestedStopsTheRunAndRemovesTheUnfinishedFile) {
    TempDir dir;
    makeZip(dir / "a.zip", {{"big.bin", randomBinary(200000, 1)}}, "stored");
    ExtractAll x(dir / "a.zip", dir / "out");
    int blocks = 0;
    x.reader.ProcessMessages = [&] {
        if (++blocks == 3) x.reader.CancelRequested = true;
    };
    EXPECT_THROW(x.reader.UnZip(), EUserCanceled);
    EXPECT_FALSE(fs::exists(dir / "out/big.bin"));
    EXPECT_FALSE(x.reader.CancelRequested);
}

TEST(Extractor, DestDirFromTheFolderDialog) {
    Fixture f;
    TZipReader r;
    ScriptedUi ui;
    r.Ui = &ui;
    ui.folder = f.dest.string() + "/";
    r.SetDestDir("?");
    EXPECT_EQ(r.DestDir(), f.dest.string());
    ui.folder.reset();
    try {
        r.SetDestDir("?");
        FAIL();
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled Set Desination Directory");
    }
    ui.folder = "?";  // a dialog that hands back the question itself
    r.SetDestDir("?");
    r.SetZipName(f.archive.string());
    r.DoAll = true;
    EXPECT_EQ(r.UnZip(), 0);
}

TEST(Extractor, MissingDestinationIsCreated) {
    Fixture f;
    ExtractAll x(f.archive, f.dest / "new/deeper");
    EXPECT_EQ(x.reader.UnZip(), 6);
    EXPECT_TRUE(fs::exists(f.dest / "new/deeper/top.txt"));
}

// Packed in one time zone and restored in another, across summer and winter time, a
// file keeps its instant; ifNewer and ifOlder decide on that instant too.
TEST(Extractor, TimesKeepTheirInstantAcrossTimeZones) {
    TempDir dir;
    const std::pair<const char*, std::int64_t> files[] = {{"summer.txt", 1719835200}, {"winter.txt", 1704110400}};
    for (const auto& [name, time] : files) {
        const fs::path p = dir.write(std::string("src/") + name, name);
        const timespec times[2] = {{time, 0}, {time, 0}};
        ::utimensat(AT_FDCWD, p.c_str(), times, 0);
    }
    const fs::path archive = dir / "tz.zip";
    {
        TzGuard berlin("Europe/Berlin");
        TZipWriter w;
        w.SetZipName(archive.string());
        w.FilesList = {(dir / "src").string() + "/*"};
        ASSERT_EQ(w.Zip(), 2);
    }
    TzGuard newYork("America/New_York");
    ExtractAll x(archive, dir / "out");
    EXPECT_EQ(x.reader.UnZip(), 2);
    for (const auto& [name, time] : files) {
        struct stat st {};
        ASSERT_EQ(::stat((dir / "out" / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, time) << name;
    }
    // An existing file a second older is replaced under ifNewer, one of the same
    // instant is kept; ifOlder replaces only the one a second newer.
    for (const TUZOverwriteMode mode : {ifNewer, ifOlder}) {
        const fs::path out = dir / (mode == ifNewer ? "newer" : "older");
        const std::int64_t shift = mode == ifNewer ? -1 : 1;
        for (const auto& [name, time] : files) {
            const fs::path p = dir.write((out / name).string().substr(dir.path().string().size() + 1), "existing");
            const std::int64_t t = std::string(name) == "summer.txt" ? time + shift : time;
            const timespec times[2] = {{t, 0}, {t, 0}};
            ::utimensat(AT_FDCWD, p.c_str(), times, 0);
        }
        ExtractAll y(archive, out);
        y.reader.OverwriteMode = mode;
        EXPECT_EQ(y.reader.UnZip(), 1);
        EXPECT_EQ(readFile(out / "summer.txt"), "summer.txt");
        EXPECT_EQ(readFile(out / "winter.txt"), "existing");
    }
}

}  // namespace
}  // namespace zb::zip
