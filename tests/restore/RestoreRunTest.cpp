// The restore run and the member list: the question and its text, the reader's
// settings, the outcome messages and log entries, the password kept between runs, and
// every way a member can fail, none of which may pass as a success.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "log/ActivityLog.h"
#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "restore/RestoreSession.h"
#include "support/FixedFormats.h"
#include "support/FakeUi.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"
#include "zip/ZipErrors.h"

namespace zb::restore {
namespace {

namespace fs = std::filesystem;
using platform::MessageKind;
using zb::test::readFile;
using zb::test::runCommand;
using zb::test::shellQuote;

class RestoreRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
        dir.write("src/a.txt", "alpha\n");
        dir.write("src/sub/b.txt", std::string(3000, 'b'));
        fs::create_directories(dir / "archives");
        fs::create_directories(dir / "out");
        log.LoadLog();
    }

    // An archive made by a peer tool from the source tree (folders stored relative).
    std::string peerArchive(const std::string& name, const std::string& options = "") {
        const std::string archive = (dir / "archives" / name).string();
        auto r = runCommand("cd " + shellQuote((dir / "src").string()) + " && zip -qr " + options + " " +
                            shellQuote(archive) + " . 2>&1");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return archive;
    }
    // An archive with the given members, written by Python's zipfile (which allows
    // names that a careful tool refuses to make).
    std::string pythonArchive(const std::string& name, const std::vector<std::pair<std::string, std::string>>& members) {
        const std::string archive = (dir / "archives" / name).string();
        std::string script = "import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1],'w')\n";
        for (const auto& [n, content] : members) script += "z.writestr(" + pyText(n) + "," + pyText(content) + ")\n";
        script += "z.close()\n";
        dir.write("make.py", script);
        auto r = runCommand("python3 " + shellQuote((dir / "make.py").string()) + " " + shellQuote(archive) + " 2>&1");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return archive;
    }
    static std::string pyText(const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("\\'") : std::string(1, c);
        return out + "'";
    }

    RestoreChoices choose(const std::string& archive) {
        RestoreChoices c;
        c.folder = fs::path(archive).parent_path().string();
        c.fileName = fs::path(archive).filename().string();
        c.destination = (dir / "out").string();
        c.overwriteMode = zip::Never;
        return c;
    }
    std::string logKey(int n, const char* key) const {
        return platform::IniFile(dir / "log.txt").readString("Log" + std::to_string(n), key, "<none>");
    }
    int logTotal() const { return platform::IniFile(dir / "log.txt").readInteger("Common", "Log Total", 0); }
    static std::string kb(const std::string& path) { return std::to_string(fs::file_size(path) / 1024) + "Kb"; }

    zb::test::TempDir dir;
    platform::ManualClock clock{platform::encodeDate(2024, 3, 20) + platform::encodeTime(9, 0, 0)};
    activitylog::ActivityLog log{dir / "log.txt", 50, clock};
    zb::test::FakeUi ui;
    platform::CancelRequest cancel;
    RestoreSession session{ui, log, &cancel};
};

TEST_F(RestoreRunTest, AsksThenRestoresEverythingReportsAndLogs) {
    const std::string archive = peerArchive("p1.zip");
    ui.confirmAnswers = {true};
    auto result = session.SpRestoreClick(choose(archive), "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Succeeded) << result.error;
    EXPECT_EQ(readFile(dir / "out" / "a.txt"), "alpha\n");
    EXPECT_EQ(readFile(dir / "out" / "sub" / "b.txt"), std::string(3000, 'b'));

    ASSERT_EQ(ui.questions().size(), 1u);
    EXPECT_EQ(ui.questions()[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.questions()[0].text, "Do you want to restore the file 'p1.zip'?\r"
                                      "Extract to:          '" + (dir / "out").string() + "'\r"
                                      "Use original folder: 'Yes'\r"
                                      "Overwrite Mode:      'Never'");
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.timedMessages()[0].seconds, 4);
    EXPECT_EQ(ui.timedMessages()[0].text, "Restore Files Succeeds!\rProject Name: 'Docs'\rFilename:     'p1.zip'");
    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Operate"), "Restore");
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
    EXPECT_EQ(logKey(1, "Project"), "Docs");
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb(archive));
    EXPECT_EQ(ui.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(ui.progressValues.back(), 0);
}

TEST_F(RestoreRunTest, AnswerNoStopsAndNoArchiveIsRefused) {
    const std::string archive = peerArchive("p1.zip");
    ui.confirmAnswers = {false};
    EXPECT_EQ(session.SpRestoreClick(choose(archive), "Docs").outcome, RestoreOutcome::Declined);
    EXPECT_FALSE(fs::exists(dir / "out" / "a.txt"));
    EXPECT_EQ(logTotal(), 0);

    auto c = choose(archive);
    c.fileName = "  ";
    EXPECT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::NoArchive);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.messageBoxes()[0].text, "No Zip file to restore!");
    EXPECT_TRUE(ui.busyChanges.empty());
}

TEST_F(RestoreRunTest, WithoutFolderNamesEverythingLandsInTheDestination) {
    const std::string archive = peerArchive("p1.zip");
    auto c = choose(archive);
    c.useFolderNames = false;
    c.overwriteMode = zip::ifNewer;
    c.folder += "/";  // the same archive path with a trailing separator
    ui.confirmAnswers = {true};
    ASSERT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::Succeeded);
    EXPECT_TRUE(fs::exists(dir / "out" / "b.txt"));
    EXPECT_FALSE(fs::exists(dir / "out" / "sub"));
    EXPECT_NE(ui.questions()[0].text.find("Use original folder: 'No'\rOverwrite Mode:      'If Newer'"),
              std::string::npos);
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb(archive));
}

TEST_F(RestoreRunTest, KeptFilesAreTheUsersChoiceAndCounted) {
    const std::string archive = peerArchive("p1.zip");
    dir.write("out/a.txt", "mine");
    dir.write("out/sub/b.txt", "mine too");
    auto c = choose(archive);
    c.askFirst = false;
    auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Succeeded);
    EXPECT_EQ(result.kept, 2);
    EXPECT_EQ(readFile(dir / "out" / "a.txt"), "mine");
    EXPECT_EQ(ui.timedMessages()[0].text,
              "Restore Files Succeeds!\rProject Name: 'Docs'\rFilename:     'p1.zip'\rKept Files:   '2'");
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
}

TEST_F(RestoreRunTest, PromptAsksForEachExistingFile) {
    const std::string archive = peerArchive("p1.zip");
    dir.write("out/a.txt", "mine");
    dir.write("out/sub/b.txt", "mine too");
    auto c = choose(archive);
    c.askFirst = false;
    c.overwriteMode = zip::Prompt;
    ui.confirmAnswers = {true, false};
    auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Succeeded);
    ASSERT_EQ(ui.questions().size(), 2u);
    EXPECT_EQ(result.kept, 1);
    EXPECT_EQ(result.restored, 1);
    // The first file asked about was replaced, the second kept.
    for (const auto& q : ui.questions()) EXPECT_EQ(q.caption, "File Exists Alert");
    const bool aFirst = ui.questions()[0].text == "Replace existing file a.txt?";
    EXPECT_EQ(ui.questions()[aFirst ? 1 : 0].text, "Replace existing file b.txt?");
    EXPECT_EQ(readFile(dir / "out" / "a.txt"), aFirst ? "alpha\n" : "mine");
    EXPECT_EQ(readFile(dir / "out" / "sub" / "b.txt"), aFirst ? "mine too" : std::string(3000, 'b'));
}

TEST_F(RestoreRunTest, WrongPasswordShowsTwoMessagesLogsOnceAndTheRightOneSucceeds) {
    const std::string archive = peerArchive("locked.zip", "-P right");
    auto c = choose(archive);
    c.askFirst = false;
    c.password = "wrong";
    auto result = session.SpRestoreClick(c, "Docs");
    EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
    EXPECT_TRUE(result.badPassword);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messageBoxes()[0].text, "The password is incorrect");
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.timedMessages()[0].text, "Restore files fails!");
    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb(archive));

    c.password = "right";
    ASSERT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::Succeeded);
    EXPECT_EQ(logKey(2, "Status"), "Succeeds");
    EXPECT_EQ(readFile(dir / "out" / "a.txt"), "alpha\n");
}

TEST_F(RestoreRunTest, AnEmptyOrBlankPasswordFieldKeepsTheEarlierPassword) {
    const std::string archive = peerArchive("locked.zip", "-P right");
    auto c = choose(archive);
    c.askFirst = false;
    c.overwriteMode = zip::Always;
    c.password = "right";
    ASSERT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::Succeeded);
    c.password = "";
    EXPECT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::Succeeded);
    c.password = "   ";
    EXPECT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::Succeeded);
    EXPECT_EQ(session.reader().Password, "right");
}

TEST_F(RestoreRunTest, CancelKeepsWhatWasRestoredAndLeavesTheRestAsItWas) {
    const std::string archive = pythonArchive(
        "three.zip", {{"first.txt", "one"}, {"second.txt", std::string(200000, 's')}, {"third.txt", "three"}});
    dir.write("out/second.txt", "mine");
    auto c = choose(archive);
    c.askFirst = false;
    c.overwriteMode = zip::Always;
    cancel.request();  // a request left from before the run does not stop it; a click after one member does
    ui.onProcessEvents = [&] { if (fs::exists(dir / "out" / "first.txt")) cancel.request(); };
    const auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Cancelled) << result.error;
    EXPECT_EQ(result.restored, 1);
    EXPECT_EQ(readFile(dir / "out" / "first.txt") + readFile(dir / "out" / "second.txt"), "onemine");
    // Nothing else is there: no third file, no temporary one.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 2);
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.timedMessages()[0].text, "Restore of the file 'three.zip' cancelled!\rRestored:     '1 file'");
    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Operate") + "/" + logKey(1, "Status"), "Restore/Interrupt");
    EXPECT_EQ(logKey(1, "Information"), "'" + archive + "' restore cancelled by the user, 1 file restored");
    EXPECT_FALSE(cancel.requested() || ui.isBusy);
}

TEST_F(RestoreRunTest, MemberFailingItsCrcIsNamedAndTheRunFails) {
    const std::string archive = pythonArchive("bad.zip", {{"good.txt", "fine"}, {"broken.txt", "XXXXXXXXXXXXXXXX"}});
    // Change one byte of the stored data of the second member.
    std::string bytes = readFile(archive);
    const auto at = bytes.find("XXXXXXXXXXXXXXXX");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] = 'Y';
    dir.write("archives/bad.zip", bytes);

    auto c = choose(archive);
    c.askFirst = false;
    auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Failed);
    ASSERT_EQ(result.notRestored.size(), 1u);
    EXPECT_EQ(result.notRestored[0], "broken.txt (CRC error)");
    EXPECT_EQ(result.restored, 1);
    EXPECT_FALSE(fs::exists(dir / "out" / "broken.txt"));
    ASSERT_EQ(ui.timedMessages().size(), 1u);
    EXPECT_EQ(ui.timedMessages()[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.timedMessages()[0].text, "Restore files fails!\rNot Restored: '1 file'\rbroken.txt (CRC error)");
    EXPECT_EQ(logKey(1, "Status"), "Fails");
    EXPECT_EQ(logKey(1, "Information"), archive + "  " + kb(archive) + "  1 file not restored: broken.txt (CRC error)");
}

TEST_F(RestoreRunTest, UnsafeNamesAreNotRestoredAndNamed) {
    const std::string archive = pythonArchive("evil.zip", {{"../escaped.txt", "x"}, {"ok.txt", "y"}});
    auto c = choose(archive);
    c.askFirst = false;
    auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Failed);
    EXPECT_FALSE(fs::exists(dir / "escaped.txt"));
    EXPECT_TRUE(fs::exists(dir / "out" / "ok.txt"));
    ASSERT_EQ(result.notRestored.size(), 1u);
    EXPECT_NE(result.notRestored[0].find("../escaped.txt"), std::string::npos);
    EXPECT_EQ(logKey(1, "Status"), "Fails");
}

TEST_F(RestoreRunTest, FileThatCannotBeCreatedFailsTheRun) {
    const std::string archive = peerArchive("p1.zip");
    fs::create_directories(dir / "out" / "a.txt");  // a folder stands where the file goes
    auto c = choose(archive);
    c.askFirst = false;
    c.overwriteMode = zip::Always;
    auto result = session.SpRestoreClick(c, "Docs");
    ASSERT_EQ(result.outcome, RestoreOutcome::Failed);
    ASSERT_EQ(result.notRestored.size(), 1u);
    EXPECT_NE(result.notRestored[0].find("a.txt"), std::string::npos);
    EXPECT_NE(ui.timedMessages()[0].text.find("Restore files fails!"), std::string::npos);
    EXPECT_EQ(logKey(1, "Status"), "Fails");
}

TEST_F(RestoreRunTest, MissingOrDamagedArchiveShowsItsErrorAndLogsNothing) {
    auto c = choose((dir / "archives" / "gone.zip").string());
    c.askFirst = false;
    auto result = session.SpRestoreClick(c, "Docs");
    EXPECT_EQ(result.outcome, RestoreOutcome::NotStarted);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0].kind, MessageKind::Error);
    EXPECT_TRUE(ui.timedMessages().empty());
    EXPECT_EQ(logTotal(), 0);
    EXPECT_EQ(ui.busyChanges, (std::vector<bool>{true, false}));

    dir.write("archives/junk.zip", "this is not an archive at all");
    c = choose((dir / "archives" / "junk.zip").string());
    c.askFirst = false;
    EXPECT_EQ(session.SpRestoreClick(c, "Docs").outcome, RestoreOutcome::NotStarted);
    EXPECT_EQ(logTotal(), 0);
}

TEST_F(RestoreRunTest, MembersAreListedWithPackedSizeAndFolder) {
    const std::string archive = peerArchive("p1.zip", "-0");
    auto listing = session.ShowArchiveMembers(dir.path().string() + "/archives", " p1.zip ");
    std::map<std::string, MemberRow> byName;
    for (const auto& r : listing.rows) byName[r.Path + r.Filename] = r;
    ASSERT_TRUE(byName.count("a.txt"));
    ASSERT_TRUE(byName.count("sub/b.txt"));
    EXPECT_EQ(byName["a.txt"].SizeB, "6");
    EXPECT_EQ(byName["sub/b.txt"].SizeB, "3000");
    EXPECT_EQ(byName["sub/b.txt"].Filename, "b.txt");
    EXPECT_EQ(listing.countLabel, "(Total " + std::to_string(listing.rows.size()) + " files)");

    EXPECT_TRUE(session.ShowArchiveMembers(dir.path().string(), "  ").rows.empty());
    dir.write("archives/junk.zip", "not an archive");
    // A file that is no archive has no members to list.
    MemberListing junk;
    EXPECT_NO_THROW(junk = session.ShowArchiveMembers((dir / "archives").string(), "junk.zip"));
    EXPECT_TRUE(junk.rows.empty());
}

}  // namespace
}  // namespace zb::restore
