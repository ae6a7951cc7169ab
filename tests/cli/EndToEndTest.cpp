// The program's main job from the command line, as a user runs it: a project written
// by hand into a settings folder is backed up with zipbackup-cli, the archive passes a
// peer's test, zipbackup-cli restores it, the restored tree equals the sources, and
// "project.ini" and "log.txt" hold exactly what the runs should have written.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"

namespace zb::cli {
namespace {

namespace fs = std::filesystem;
using zb::test::runCommand;
using zb::test::shellQuote;

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("src/readme.txt", "The sources of a small project.\n");
        dir.write("src/lib/code.cpp", std::string(40000, 'c') + "\n");
        dir.write("src/lib/deep/data.bin", std::string("\0\1\2\3\4\5", 6));
        dir.write("src/lib/scratch.tmp", "left out by the project");
        dir.write("src/empty.txt", "");
        fs::create_directories(dir / "settings");
        fs::create_directories(dir / "save");
        // A project written by hand, as an older version of the program left it.
        dir.write("settings/project.ini",
                  "[Common]\r\nProject Count=1\r\nCount0=Docs\r\nLast Project=Docs\r\n"
                  "[Docs]\r\nFilename prefix=docs\r\nSuffix=2\r\nIncrease Value=1\r\nValue=0\r\n"
                  "Save Path=" + (dir / "save").string() + "\r\n"
                  "Backup Directory Count=1\r\nBackup0=" + (dir / "src" / "*.*").string() + "\r\n"
                  "No Backup Directory Count=1\r\nNoBackup0=*.tmp\r\n"
                  "Whether include Subdirectory=1\r\nWhether password Project=0\r\n"
                  "Whether store path in Zip=1\r\nWhether store comment in Zip=1\r\nComment=made by hand\r\n"
                  "BackupMode=3\r\nPackLevel=9\r\n");
    }

    test::CommandResult cli(const std::string& args) {
        return runCommand(shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli") + " --app-dir " +
                          shellQuote((dir / "settings").string()) + " " + args + " 2>&1");
    }
    std::map<std::string, std::string> section(const std::string& file, const std::string& name) {
        platform::IniFile ini(dir / "settings" / file);
        std::map<std::string, std::string> keys;
        for (const auto& k : ini.keyNames(name)) keys[k] = ini.readString(name, k, "");
        return keys;
    }
    std::string logKey(int n, const char* key) {
        return platform::IniFile(dir / "settings" / "log.txt").readString("Log" + std::to_string(n), key, "<none>");
    }

    test::TempDir dir;
};

TEST_F(EndToEndTest, BackupCheckRestoreCompare) {
    const auto docsBefore = section("project.ini", "Docs");
    const auto commonBefore = section("project.ini", "Common");

    auto backup = cli("backup docs");  // names are found without regard to case
    ASSERT_EQ(backup.exitCode, 0) << backup.output;
    const std::string archive = (dir / "save" / "docs1.zip").string();
    ASSERT_TRUE(fs::exists(archive)) << backup.output;
    EXPECT_NE(backup.output.find("Backup Files Succeeds!"), std::string::npos) << backup.output;

    auto peer = runCommand("unzip -t " + shellQuote(archive) + " 2>&1");
    EXPECT_EQ(peer.exitCode, 0) << peer.output;
    EXPECT_NE(peer.output.find("made by hand"), std::string::npos) << peer.output;
    EXPECT_EQ(peer.output.find("scratch.tmp"), std::string::npos) << peer.output;

    const fs::path out = dir / "out";
    auto restore = cli("restore " + shellQuote(archive) + " " + shellQuote(out.string()));
    ASSERT_EQ(restore.exitCode, 0) << restore.output;
    EXPECT_NE(restore.output.find("Restore Files Succeeds!"), std::string::npos) << restore.output;
    const fs::path restored = out / (dir / "src").relative_path();
    auto diff = runCommand("diff -r -x '*.tmp' " + shellQuote((dir / "src").string()) + " " +
                           shellQuote(restored.string()) + " 2>&1");
    EXPECT_EQ(diff.exitCode, 0) << diff.output;
    EXPECT_FALSE(fs::exists(restored / "lib" / "scratch.tmp"));

    // project.ini: only the running number moved.
    auto docsAfter = section("project.ini", "Docs");
    EXPECT_EQ(docsAfter["Value"], "1");
    docsAfter["Value"] = docsBefore.at("Value");
    EXPECT_EQ(docsAfter, docsBefore);
    EXPECT_EQ(section("project.ini", "Common"), commonBefore);

    // log.txt: the backup, then the restore.
    const std::string information = archive + "  " + std::to_string(fs::file_size(archive) / 1024) + "Kb";
    EXPECT_EQ(section("log.txt", "Common"), (std::map<std::string, std::string>{{"Log Total", "2"}}));
    for (int n : {1, 2}) {
        const auto entry = section("log.txt", "Log" + std::to_string(n));
        EXPECT_EQ(entry.size(), 5u);
        EXPECT_TRUE(platform::strToDateTime(entry.at("Date")).has_value()) << entry.at("Date");
        EXPECT_EQ(entry.at("Operate"), n == 1 ? "Backup" : "Restore");
        EXPECT_EQ(entry.at("Status"), "Succeeds");
        EXPECT_EQ(entry.at("Project"), "Docs");
        EXPECT_EQ(entry.at("Information"), information);
    }
}

TEST_F(EndToEndTest, SecondBackupTakesTheNextNumberAndTheListsShowIt) {
    ASSERT_EQ(cli("backup Docs").exitCode, 0);
    ASSERT_EQ(cli("backup DOCS").exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "save" / "docs2.zip"));
    EXPECT_EQ(section("project.ini", "Docs")["Value"], "2");

    auto archives = cli("archives docs");
    ASSERT_EQ(archives.exitCode, 0) << archives.output;
    EXPECT_NE(archives.output.find("docs1.zip\t"), std::string::npos) << archives.output;
    EXPECT_NE(archives.output.find("docs2.zip\t"), std::string::npos) << archives.output;
    EXPECT_NE(archives.output.find("(Total 2 files)"), std::string::npos) << archives.output;

    auto log = cli("log");
    ASSERT_EQ(log.exitCode, 0);
    const auto second = log.output.find("docs2.zip");
    const auto first = log.output.find("docs1.zip");
    ASSERT_NE(second, std::string::npos) << log.output;
    EXPECT_LT(second, first) << "newest first:\n" << log.output;

    auto projects = cli("projects");
    EXPECT_EQ(projects.output, "Docs\tnone\t" + (dir / "save" / "docs3.zip").string() + "\n");
}

TEST_F(EndToEndTest, ExitCodesSayWhatWentWrong) {
    auto unknown = cli("backup nosuch");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("no project 'nosuch'"), std::string::npos) << unknown.output;

    auto missing = cli("restore " + shellQuote((dir / "save" / "gone.zip").string()) + " " +
                       shellQuote((dir / "out").string()));
    EXPECT_EQ(missing.exitCode, 1) << missing.output;

    // A project whose archive already exists and may not be overwritten.
    auto add = cli("add-project Fixed --include " + shellQuote((dir / "src" / "readme.txt").string()) +
                   " --save-folder " + shellQuote((dir / "save").string()) + " --suffix none");
    ASSERT_EQ(add.exitCode, 0) << add.output;
    ASSERT_EQ(cli("backup Fixed").exitCode, 0);
    auto again = cli("backup Fixed");
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.output.find("exists,backup will be interrupted!"), std::string::npos) << again.output;
    EXPECT_EQ(logKey(1, "Status"), "Succeeds");
    EXPECT_EQ(logKey(2, "Status"), "Interrupt");

    auto refused = cli("add-project Fixed --include x");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.output.find("Project 'Fixed' exists,please input another name!"), std::string::npos);
}

TEST_F(EndToEndTest, RestoreOptionsOfTheUsualTool) {
    ASSERT_EQ(cli("backup Docs").exitCode, 0);
    const std::string archive = (dir / "save" / "docs1.zip").string();
    const fs::path out = dir / "flat";
    ASSERT_EQ(cli("restore -j " + shellQuote(archive) + " " + shellQuote(out.string())).exitCode, 0);
    EXPECT_TRUE(fs::exists(out / "code.cpp"));
    EXPECT_TRUE(fs::exists(out / "data.bin"));

    dir.write("flat/readme.txt", "mine");
    ASSERT_EQ(cli("restore -j -n " + shellQuote(archive) + " " + shellQuote(out.string())).exitCode, 0);
    EXPECT_EQ(test::readFile(out / "readme.txt"), "mine");
    ASSERT_EQ(cli("restore -j -o " + shellQuote(archive) + " " + shellQuote(out.string())).exitCode, 0);
    EXPECT_EQ(test::readFile(out / "readme.txt"), "The sources of a small project.\n");
    EXPECT_NE(cli("restore -o -n " + shellQuote(archive) + " " + shellQuote(out.string())).exitCode, 0);
}

TEST_F(EndToEndTest, EncryptedProjectRestoresOnlyWithThePassword) {
    auto add = cli("add-project Locked --include " + shellQuote((dir / "src" / "*.*").string()) +
                   " --save-folder " + shellQuote((dir / "save").string()) + " --password 'open sesame'");
    ASSERT_EQ(add.exitCode, 0) << add.output;
    ASSERT_EQ(cli("backup Locked").exitCode, 0);
    const std::string archive = (dir / "save" / "Locked1.zip").string();
    EXPECT_EQ(runCommand("unzip -tqq -P 'open sesame' " + shellQuote(archive) + " >/dev/null 2>&1").exitCode, 0);

    auto wrong = cli("restore -P nope " + shellQuote(archive) + " " + shellQuote((dir / "out").string()));
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.output.find("The password is incorrect"), std::string::npos) << wrong.output;
    EXPECT_NE(wrong.output.find("Restore files fails!"), std::string::npos) << wrong.output;
    auto right = cli("restore -P 'open sesame' " + shellQuote(archive) + " " + shellQuote((dir / "out").string()));
    EXPECT_EQ(right.exitCode, 0) << right.output;
    EXPECT_EQ(logKey(2, "Status"), "Fails");
    EXPECT_EQ(logKey(3, "Status"), "Succeeds");
    EXPECT_EQ(logKey(3, "Project"), "Locked");
}

}  // namespace
}  // namespace zb::cli
