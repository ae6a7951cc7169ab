// The backup run where it used to go wrong: a failed run must keep the last good
// archive and leave a trace in the log; no run may touch another run's archive; the
// archive never packs itself or its predecessor; and files that could not be packed
// must not pass as a complete success.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "backup/BackupBench.h"
#include "zip/ZipErrors.h"

namespace zb::backup::test {
namespace {

namespace fs = std::filesystem;
using platform::MessageKind;
using zb::test::readFile;
using zb::test::runCommand;
using zb::test::shellQuote;

using BackupFaultsTest = BackupBench;

std::string peerRead(const std::string& archive, const std::string& member) {
    return runCommand("unzip -p " + shellQuote(archive) + " " + shellQuote(member)).output;
}

TEST_F(BackupFaultsTest, FailedRunKeepsTheOldArchiveWhenOverwriting) {
    makeProject("Same", [](store::ProjectRecord& r) { r.suffix = store::kSuffixNone; });
    prefs.overwriteArchive = true;
    ASSERT_EQ(backup("Same").outcome, BackupOutcome::Succeeded);
    const std::string archive = (saveDir() / "Same.zip").string();
    const std::string good = readFile(archive);

    // The second run is stopped while it writes, as a cancel or a full disk stops it.
    ui.onProcessEvents = [] { throw zip::EUserCanceled(); };
    auto result = backup("Same");
    EXPECT_EQ(result.outcome, BackupOutcome::Failed);
    EXPECT_EQ(readFile(archive), good);
    EXPECT_EQ(folderNames(saveDir()), (std::vector<std::string>{"Same.zip"}));
    EXPECT_EQ(ui.busyChanges, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(ui.progressValues.back(), 0);
}

TEST_F(BackupFaultsTest, OverwritingReplacesTheArchiveOnlyWithTheNewOne) {
    makeProject("Same", [](store::ProjectRecord& r) { r.suffix = store::kSuffixNone; });
    prefs.overwriteArchive = true;
    ASSERT_EQ(backup("Same").outcome, BackupOutcome::Succeeded);
    dir.write("src/a.txt", "second version\n");
    ASSERT_EQ(backup("Same").outcome, BackupOutcome::Succeeded);
    const std::string archive = (saveDir() / "Same.zip").string();
    EXPECT_EQ(peerRead(archive, srcDir().relative_path().string() + "/a.txt"), "second version\n");
    EXPECT_EQ(folderNames(saveDir()), (std::vector<std::string>{"Same.zip"}));
    // The message measures the archive in place.
    EXPECT_NE(ui.timedMessages().back().text.find("'" + std::to_string(fs::file_size(archive) / 1024) + "Kb'"),
              std::string::npos);
}

TEST_F(BackupFaultsTest, FailedRunIsLoggedWithTheErrorAndTheNumberStays) {
    makeProject("Docs", [](store::ProjectRecord& r) { r.value = 2; });
    auto page = load("Docs");
    ui.onProcessEvents = [] { throw zip::EUserCanceled(); };
    auto result = backup(page);
    ASSERT_EQ(result.outcome, BackupOutcome::Failed);
    EXPECT_EQ(result.error, "User Aborted Operation");
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messageBoxes()[0].text, "User Aborted Operation");
    EXPECT_TRUE(ui.timedMessages().empty());
    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Operate"), "Backup");
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_EQ(logKey(1, "Project"), "Docs");
    EXPECT_EQ(logKey(1, "Information"), "User Aborted Operation");
    EXPECT_EQ(projectKey("Docs", "Value"), "2");
    EXPECT_EQ(page.shownNumber, 3);
    EXPECT_TRUE(folderNames(saveDir()).empty());
}

TEST_F(BackupFaultsTest, MissingSaveFolderFailsAndIsLogged) {
    makeProject("Lost", [&](store::ProjectRecord& r) { r.savePath = (dir / "no" / "such").string(); });
    auto result = backup("Lost");
    ASSERT_EQ(result.outcome, BackupOutcome::Failed);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_FALSE(ui.messageBoxes()[0].text.empty());
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_EQ(logKey(1, "Information"), result.error);
    EXPECT_EQ(projectKey("Lost", "Value"), "0");
}

TEST_F(BackupFaultsTest, NeitherTheOldArchiveNorTheOneBeingWrittenIsPacked) {
    // The archives go into a folder inside the tree being backed up.
    makeProject("Inside", [&](store::ProjectRecord& r) {
        r.suffix = store::kSuffixNone;
        r.savePath = (srcDir() / "backups").string();
    });
    fs::create_directories(srcDir() / "backups");
    prefs.overwriteArchive = true;
    ASSERT_EQ(backup("Inside").outcome, BackupOutcome::Succeeded);
    auto result = backup("Inside");
    ASSERT_EQ(result.outcome, BackupOutcome::Succeeded);
    EXPECT_EQ(result.filesAdded, 3);
    const std::string members = peerMembers((srcDir() / "backups" / "Inside.zip").string());
    EXPECT_EQ(members.find("backups/"), std::string::npos) << members;
}

TEST_F(BackupFaultsTest, NoRunTouchesAnotherRunsArchive) {
    makeProject("Commented", [](store::ProjectRecord& r) {
        r.storeComment = true;
        r.comment = "kept with its own archive";
    });
    makeProject("Plain");
    ASSERT_EQ(backup("Commented").outcome, BackupOutcome::Succeeded);
    const std::string first = (saveDir() / "Commented1.zip").string();
    const std::string firstBytes = readFile(first);
    const auto firstTime = fs::last_write_time(first);

    ASSERT_EQ(backup("Commented").outcome, BackupOutcome::Succeeded);  // Commented2.zip
    ASSERT_EQ(backup("Plain").outcome, BackupOutcome::Succeeded);
    EXPECT_EQ(readFile(first), firstBytes);
    EXPECT_EQ(fs::last_write_time(first), firstTime);

    // An archive the user removed is not brought back by a later run.
    fs::remove(saveDir() / "Commented2.zip");
    ASSERT_EQ(backup("Plain").outcome, BackupOutcome::Succeeded);
    EXPECT_EQ(folderNames(saveDir()), (std::vector<std::string>{"Commented1.zip", "Plain1.zip", "Plain2.zip"}));
    EXPECT_EQ(readFile(saveDir() / "Plain2.zip").find("kept with its own archive"), std::string::npos);
}

TEST_F(BackupFaultsTest, DuplicateStoredNameLeavesAFileOutAndTheEntryFails) {
    dir.write("src/sub/a.txt", "the other a\n");
    makeProject("Flat", [](store::ProjectRecord& r) {
        r.storePaths = false;
        r.value = 6;
    });
    auto page = load("Flat");
    auto result = backup(page);
    ASSERT_EQ(result.outcome, BackupOutcome::Incomplete);
    ASSERT_EQ(result.leftOut.size(), 1u);
    const std::string shadowed = result.leftOut[0];
    EXPECT_TRUE(shadowed == (srcDir() / "a.txt").string() || shadowed == (srcDir() / "sub" / "a.txt").string())
        << shadowed;
    const std::string archive = (saveDir() / "Flat7.zip").string();
    EXPECT_TRUE(peerTestsOk(archive));
    const std::string kb = std::to_string(fs::file_size(archive) / 1024);

    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.timedMessages()[0].text, "Backup Files Incomplete!\rProject Name: 'Flat'\rFile Name:    'Flat7.zip'\r"
                                          "File Size:    '" + kb + "Kb'\rLeft Out:     '1 file'\r" + shadowed);
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb + "Kb  1 file left out: " + shadowed);
    // The archive was written: its number is used up.
    EXPECT_EQ(projectKey("Flat", "Value"), "7");
    EXPECT_EQ(page.shownNumber, 8);
}

TEST_F(BackupFaultsTest, AFileThatChangesWhileItIsPackedIsNamedAndTheRunSucceeds) {
    const fs::path growing = srcDir() / "growing.log";
    // Data that does not compress, so blocks are written while the file is still read.
    std::string content(400000, '\0');
    std::uint32_t x = 7;
    for (char& c : content) c = char((x = x * 1103515245 + 12345) >> 16);
    dir.write("src/growing.log", content);
    makeProject("Growing", [&](store::ProjectRecord& r) { r.includeLines = {growing.string()}; });
    // The first block written finds the file open: a line is appended meanwhile.
    bool appended = false;
    ui.onProcessEvents = [&] {
        if (appended) return;
        appended = true;
        std::ofstream(growing, std::ios::app) << "a late line\n";
    };
    auto page = load("Growing");
    const std::string archive = page.archiveName;
    auto result = backup(page);
    ASSERT_EQ(result.outcome, BackupOutcome::Succeeded) << result.error;
    EXPECT_EQ(result.changed, (std::vector<std::string>{growing.string()}));
    const std::string kb = std::to_string(fs::file_size(archive) / 1024);
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.timedMessages()[0].text, "Backup Files Succeeds!\rProject Name: 'Growing'\rFile Name:    '" +
                                              fs::path(archive).filename().string() + "'\rFile Size:    '" + kb +
                                              "Kb'\rChanged While Packed: '1 file'\r" + growing.string());
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
    EXPECT_EQ(logKey(1, "Information"),
              archive + "  " + kb + "Kb  1 file changed while packed: " + growing.string());
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(archive)).output, content + "a late line\n");
}

TEST_F(BackupFaultsTest, FilesThatVanishDuringTheRunAreNamed) {
    const std::vector<std::string> files = {"src/v1.txt", "src/v2.txt", "src/v3.txt", "src/v4.txt"};
    fs::remove_all(srcDir());
    for (const auto& f : files) dir.write(f, std::string(20000, f.back()));
    makeProject("Vanish");
    bool deleted = false;
    ui.onProcessEvents = [&] {
        // Once packing has begun, the files still waiting disappear.
        if (deleted || ui.progressValues.empty()) return;
        deleted = true;
        for (const auto& f : files) fs::remove(dir / f);
    };
    auto result = backup("Vanish");
    ASSERT_TRUE(deleted);
    ASSERT_EQ(result.outcome, BackupOutcome::Incomplete) << result.error;
    EXPECT_GE(result.leftOut.size(), 2u);
    EXPECT_EQ(result.filesAdded + int(result.leftOut.size()), 4);
    for (const auto& name : result.leftOut) {
        EXPECT_NE(std::find_if(files.begin(), files.end(),
                               [&](const std::string& f) { return (dir / f).string() == name; }),
                  files.end())
            << name;
    }
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_NE(logKey(1, "Information").find(std::to_string(result.leftOut.size()) + " files left out: "),
              std::string::npos);
}

TEST_F(BackupFaultsTest, SpecialFilesAndDanglingLinksAreNotCountedAsLeftOut) {
    ASSERT_EQ(::mkfifo((srcDir() / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "nowhere", srcDir() / "dangling");
    makeProject("Special");
    auto result = backup("Special");
    EXPECT_EQ(result.outcome, BackupOutcome::Succeeded) << result.error;
    EXPECT_TRUE(result.leftOut.empty());
    EXPECT_EQ(result.filesAdded, 3);
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
}

TEST_F(BackupFaultsTest, ManyLeftOutFilesAreCountedAndTheFirstOnesNamed) {
    fs::remove_all(srcDir());
    for (int i = 0; i < 30; ++i) {
        dir.write("src/one/f" + std::to_string(i) + ".txt", "1");
        dir.write("src/two/f" + std::to_string(i) + ".txt", "2");
    }
    makeProject("Dups", [](store::ProjectRecord& r) { r.storePaths = false; });
    auto result = backup("Dups");
    ASSERT_EQ(result.outcome, BackupOutcome::Incomplete);
    EXPECT_EQ(result.leftOut.size(), 30u);
    const std::string text = ui.timedMessages().back().text;
    EXPECT_NE(text.find("Left Out:     '30 files'"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 4 + 10 + 1);  // ten names, then "..."
    EXPECT_NE(logKey(1, "Information").find("30 files left out: " + result.leftOut[0] + ", "), std::string::npos);
}

// A file that exists but cannot be read. CI runs as root, who reads everything, so the
// run is made by an unprivileged user in a child process.
TEST_F(BackupFaultsTest, UnreadableFileIsLeftOutAndNamed) {
    const fs::path secret = dir.write("src/secret.txt", "private");
    makeProject("Guarded");
    ::chmod(secret.c_str(), 0);
    for (auto it = fs::recursive_directory_iterator(dir.path()); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() != secret) fs::permissions(it->path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        FakeUi quietUi;
        BackupServices services{quietUi, clock, store, log};
        auto page = load("Guarded");
        auto result = SpStartClick(page, prefs, services);
        const bool named = result.leftOut.size() == 1 && result.leftOut[0] == secret.string();
        ::_exit(result.outcome == BackupOutcome::Incomplete && named ? 0 : 10 + int(result.outcome));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_NE(logKey(1, "Information").find("1 file left out: " + secret.string()), std::string::npos);
    const std::string members = peerMembers((saveDir() / "Guarded1.zip").string());
    EXPECT_EQ(members.find("secret.txt"), std::string::npos);
    EXPECT_NE(members.find("a.txt"), std::string::npos);
}

}  // namespace
}  // namespace zb::backup::test
