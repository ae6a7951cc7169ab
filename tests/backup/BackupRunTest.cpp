// The backup run from a stored project: the question, the field check, the existing
// archive, the writer's settings, the outcome message and log entry, the running
// number, and the busy state.
#include <filesystem>

#include "backup/BackupBench.h"
#include "log/LogEntry.h"

namespace zb::backup::test {
namespace {

namespace fs = std::filesystem;
using platform::MessageKind;
using zb::test::readFile;
using zb::test::runCommand;
using zb::test::shellQuote;

using BackupRunTest = BackupBench;

TEST_F(BackupRunTest, WritesTheArchiveReportsLogsAndAdvancesTheNumber) {
    makeProject("Docs", [](store::ProjectRecord& r) {
        r.value = 3;          // the page shows 5
        r.increaseValue = 2;
    });
    auto page = load("Docs");
    ASSERT_EQ(page.shownNumber, 5);
    const std::string archive = (saveDir() / "Docs5.zip").string();
    ASSERT_EQ(page.archiveName, archive);

    auto result = backup(page);
    ASSERT_EQ(result.outcome, BackupOutcome::Succeeded) << result.error;
    EXPECT_EQ(result.filesAdded, 3);
    ASSERT_TRUE(fs::exists(archive));
    EXPECT_TRUE(peerTestsOk(archive));
    const std::string kb = std::to_string(fs::file_size(archive) / 1024);

    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.timedMessages()[0].seconds, 4);
    EXPECT_EQ(ui.timedMessages()[0].text, "Backup Files Succeeds!\rProject Name: 'Docs'\rFile Name:    'Docs5.zip'\r"
                                          "File Size:    '" + kb + "Kb'");
    EXPECT_TRUE(ui.messageBoxes().empty());

    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Operate"), "Backup");
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
    EXPECT_EQ(logKey(1, "Project"), "Docs");
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb + "Kb");
    EXPECT_EQ(logKey(1, "Date"), "20/03/2024 14:05:09");

    EXPECT_EQ(projectKey("Docs", "Value"), "5");
    EXPECT_EQ(page.shownNumber, 7);
    EXPECT_EQ(page.archiveName, (saveDir() / "Docs7.zip").string());

    EXPECT_EQ(ui.busyChanges, (std::vector<bool>{true, false}));
    ASSERT_FALSE(ui.progressValues.empty());
    EXPECT_EQ(ui.progressValues.back(), 0);
    EXPECT_NE(std::find(ui.progressValues.begin(), ui.progressValues.end(), 100), ui.progressValues.end());
    // Nothing but the archive is left in the save folder.
    EXPECT_EQ(folderNames(saveDir()), (std::vector<std::string>{"Docs5.zip"}));
}

TEST_F(BackupRunTest, StoresFullPathsAndRecursesAsTheProjectSays) {
    makeProject("Flat", [](store::ProjectRecord& r) {
        r.storePaths = false;
        r.includeSubfolders = false;
    });
    ASSERT_EQ(backup("Flat").outcome, BackupOutcome::Succeeded);
    EXPECT_EQ(peerMembers((saveDir() / "Flat1.zip").string()), "a.txt\n");

    makeProject("Deep");
    ASSERT_EQ(backup("Deep").outcome, BackupOutcome::Succeeded);
    const std::string members = peerMembers((saveDir() / "Deep1.zip").string());
    const std::string root = srcDir().relative_path().string();
    EXPECT_NE(members.find(root + "/a.txt\n"), std::string::npos) << members;
    EXPECT_NE(members.find(root + "/sub/deeper/c.bin\n"), std::string::npos) << members;
}

TEST_F(BackupRunTest, AskingFirstAndTheAnswerNoStopsEverything) {
    makeProject("Docs");
    prefs.askBeforeBackup = true;
    ui.confirmAnswers = {false};
    auto result = backup("Docs");
    EXPECT_EQ(result.outcome, BackupOutcome::Declined);
    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0].text, "Do you want to backup the project 'Docs'?");
    EXPECT_EQ(ui.questions()[0].kind, MessageKind::Information);
    EXPECT_TRUE(folderNames(saveDir()).empty());
    EXPECT_EQ(logTotal(), 0);
    EXPECT_TRUE(ui.busyChanges.empty());

    ui.confirmAnswers = {true};
    EXPECT_EQ(backup("Docs").outcome, BackupOutcome::Succeeded);
}

TEST_F(BackupRunTest, WithoutTheQuestionNothingIsAsked) {
    makeProject("Docs");
    prefs.askBeforeBackup = false;
    EXPECT_EQ(backup("Docs").outcome, BackupOutcome::Succeeded);
    EXPECT_TRUE(ui.questions().empty());
}

TEST_F(BackupRunTest, NoProjectSelectedDoesNothing) {
    BackupPage empty;
    EXPECT_EQ(backup(empty).outcome, BackupOutcome::NoProject);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(BackupRunTest, FieldCheckRefusesWithItsMessageAndWritesNothing) {
    makeProject("Docs");
    auto page = load("Docs");
    page.record.includeLines.clear();
    EXPECT_EQ(backup(page).outcome, BackupOutcome::Refused);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messageBoxes()[0].text, "Please select files to backup");
    EXPECT_TRUE(folderNames(saveDir()).empty());
    EXPECT_EQ(logTotal(), 0);
    EXPECT_EQ(page.shownNumber, 1);

    page = load("Docs");
    page.record.filenamePrefix = "  ";
    EXPECT_EQ(backup(page).outcome, BackupOutcome::Refused);
    EXPECT_EQ(ui.messageBoxes().back().text, "Please enter the prefix of backup filename");
}

TEST_F(BackupRunTest, PasswordConfirmationIgnoresEndBlanksButNotCase) {
    makeProject("Secret", [](store::ProjectRecord& r) {
        r.usePassword = true;
        r.password = "Open Sesame";
        r.passwordConfirmation = "Open Sesame";
    });
    auto page = load("Secret");
    page.record.password = "  Open Sesame ";
    page.record.passwordConfirmation = "Open Sesame";
    ASSERT_EQ(backup(page).outcome, BackupOutcome::Succeeded);
    const std::string archive = (saveDir() / "Secret1.zip").string();
    EXPECT_TRUE(peerTestsOk(archive, "Open Sesame"));
    EXPECT_FALSE(peerTestsOk(archive, "open sesame"));

    page = load("Secret");
    page.record.passwordConfirmation = "open sesame";
    EXPECT_EQ(backup(page).outcome, BackupOutcome::Refused);
    EXPECT_EQ(ui.messageBoxes().back().text, "Confirm password is not matching");
}

TEST_F(BackupRunTest, ExistingArchiveWithoutOverwritingInterruptsAndLogsIt) {
    makeProject("Same", [](store::ProjectRecord& r) { r.suffix = store::kSuffixNone; });
    ASSERT_EQ(backup("Same").outcome, BackupOutcome::Succeeded);
    const std::string archive = (saveDir() / "Same.zip").string();
    const std::string before = readFile(archive);
    dir.write("src/a.txt", "changed");

    ui.shown.clear();
    ui.busyChanges.clear();
    auto result = backup("Same");
    EXPECT_EQ(result.outcome, BackupOutcome::Interrupted);
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.timedMessages()[0].seconds, 4);
    EXPECT_EQ(ui.timedMessages()[0].text, archive + " exists,backup will be interrupted!");
    EXPECT_EQ(logTotal(), 2);
    EXPECT_EQ(logKey(2, "Operate"), "Backup");
    EXPECT_EQ(logKey(2, "Status"), "Interrupt");
    EXPECT_EQ(logKey(2, "Project"), "Same");
    EXPECT_EQ(logKey(2, "Information"), "'" + archive + "' exists,backup interripted");
    EXPECT_EQ(readFile(archive), before);
    EXPECT_TRUE(ui.busyChanges.empty());
}

TEST_F(BackupRunTest, SecondArchiveOfAPasswordProjectThenAPlainOneIsNotEncrypted) {
    makeProject("Locked", [](store::ProjectRecord& r) {
        r.usePassword = true;
        r.password = r.passwordConfirmation = "pw";
        r.storeComment = true;
        r.comment = "  first comment ";
    });
    makeProject("Plain");
    ASSERT_EQ(backup("Locked").outcome, BackupOutcome::Succeeded);
    ASSERT_EQ(backup("Plain").outcome, BackupOutcome::Succeeded);
    const std::string locked = (saveDir() / "Locked1.zip").string();
    const std::string plain = (saveDir() / "Plain1.zip").string();
    EXPECT_FALSE(peerTestsOk(locked));
    EXPECT_TRUE(peerTestsOk(locked, "pw"));
    EXPECT_TRUE(peerTestsOk(plain));
    auto comment = [](const std::string& archive) {
        return runCommand("python3 -c 'import sys,zipfile; sys.stdout.write(zipfile.ZipFile(sys.argv[1]).comment.decode())' " +
                          shellQuote(archive)).output;
    };
    EXPECT_EQ(comment(locked), "first comment");
    EXPECT_EQ(comment(plain), "");
}

TEST_F(BackupRunTest, CommentBoxOffOrEmptyCommentWritesNoComment) {
    makeProject("NoComment", [](store::ProjectRecord& r) {
        r.storeComment = false;
        r.comment = "not wanted";
    });
    ASSERT_EQ(backup("NoComment").outcome, BackupOutcome::Succeeded);
    const auto bytes = readFile(saveDir() / "NoComment1.zip");
    EXPECT_EQ(bytes.find("not wanted"), std::string::npos);
}

TEST_F(BackupRunTest, PackLevelZeroStoresEveryMember) {
    makeProject("Stored", [](store::ProjectRecord& r) { r.packLevel = 0; });
    ASSERT_EQ(backup("Stored").outcome, BackupOutcome::Succeeded);
    const auto listing = runCommand("unzip -v " + shellQuote((saveDir() / "Stored1.zip").string())).output;
    EXPECT_EQ(listing.find("Defl"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Stored"), std::string::npos) << listing;
}

TEST_F(BackupRunTest, DateSuffixUsesTheTimeOfTheLoad) {
    makeProject("Dated", [](store::ProjectRecord& r) { r.suffix = store::kSuffixDate; });
    auto page = load("Dated");
    clock.advanceSeconds(30);
    ASSERT_EQ(backup(page).outcome, BackupOutcome::Succeeded);
    EXPECT_TRUE(fs::exists(saveDir() / "Dated03-20_14h05m09s.zip"));
    // A date suffix does not touch the stored number; the next name is of the run's end.
    EXPECT_EQ(projectKey("Dated", "Value"), "0");
    EXPECT_EQ(page.archiveName, (saveDir() / "Dated03-20_14h05m39s.zip").string());
}

TEST_F(BackupRunTest, NumberStaysAtItsUpperBound) {
    makeProject("Full", [](store::ProjectRecord& r) { r.value = 999; });
    auto page = load("Full");
    ASSERT_EQ(page.shownNumber, 1000);
    prefs.overwriteArchive = true;
    ASSERT_EQ(backup(page).outcome, BackupOutcome::Succeeded);
    EXPECT_EQ(page.shownNumber, 1000);
    EXPECT_EQ(projectKey("Full", "Value"), "1000");
    EXPECT_EQ(page.archiveName, (saveDir() / "Full1000.zip").string());
}

TEST_F(BackupRunTest, PaddedNumbersFollowThePreference) {
    prefs.padNumber = true;
    prefs.numberWidth = 3;
    makeProject("Pad");
    auto page = load("Pad");
    EXPECT_EQ(page.archiveName, (saveDir() / "Pad001.zip").string());
    ASSERT_EQ(backup(page).outcome, BackupOutcome::Succeeded);
    EXPECT_TRUE(fs::exists(saveDir() / "Pad001.zip"));
    EXPECT_EQ(page.archiveName, (saveDir() / "Pad002.zip").string());
}

TEST_F(BackupRunTest, RunWithNoFileLeftIsASuccessWithAnEmptyArchive) {
    makeProject("Nothing", [&](store::ProjectRecord& r) { r.excludeLines = {"*.*"}; });
    auto result = backup("Nothing");
    ASSERT_EQ(result.outcome, BackupOutcome::Succeeded) << result.error;
    EXPECT_EQ(result.filesAdded, 0);
    EXPECT_EQ(result.sizeKb, 0u);
    EXPECT_EQ(logKey(1, "Information"), (saveDir() / "Nothing1.zip").string() + "  0Kb");
}

}  // namespace
}  // namespace zb::backup::test
