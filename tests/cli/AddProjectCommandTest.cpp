// "add-project": the wizard's checks in page order with their messages, and the keys
// and list updates of its Finish, checked key by key in "project.ini".
#include <gtest/gtest.h>

#include <sstream>

#include "cli/AddProjectCommand.h"
#include "cli/ProjectsCommand.h"
#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "store/PasswordScramble.h"
#include "support/FixedFormats.h"
#include "support/TempDir.h"

namespace zb::cli {
namespace {

class AddProjectCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
        settings.appDir = dir.path();
        dir.write("src/a.txt", "a");
        std::filesystem::create_directories(dir / "save");
    }
    AddProjectOptions basic(const std::string& name) {
        AddProjectOptions o;
        o.name = name;
        o.include = {(dir / "src" / "*.*").string()};
        o.saveFolder = (dir / "save").string();
        return o;
    }
    int add(const AddProjectOptions& o) {
        out.str("");
        err.str("");
        return runAddProjectCommand(settings, o, out, err);
    }
    std::string key(const std::string& section, const std::string& k) const {
        return platform::IniFile(settings.projectIni()).readString(section, k, "<none>");
    }

    zb::test::TempDir dir;
    CliSettings settings;
    std::ostringstream out, err;
};

TEST_F(AddProjectCommandTest, WritesEveryKeyOfTheFinishAndTheList) {
    auto o = basic("  Docs  ");
    o.exclude = {"*.tmp", "*.bak"};
    o.noSubfolders = true;
    o.prefix = " docs_ ";
    o.number = 5;
    o.increase = 2;
    o.password = " pw ";
    o.confirmPassword = "pw";
    o.noPaths = true;
    o.comment = " my comment ";
    o.level = 9;
    o.dailyAt = "9:05";
    ASSERT_EQ(add(o), 0) << err.str();

    EXPECT_EQ(key("Docs", "Filename prefix"), "docs_");
    EXPECT_EQ(key("Docs", "Suffix"), "2");
    EXPECT_EQ(key("Docs", "Increase Value"), "2");
    EXPECT_EQ(key("Docs", "Value"), "3");
    EXPECT_EQ(key("Docs", "Save Path"), (dir / "save").string());
    EXPECT_EQ(key("Docs", "Backup Directory Count"), "1");
    EXPECT_EQ(key("Docs", "Backup0"), (dir / "src" / "*.*").string());
    EXPECT_EQ(key("Docs", "No Backup Directory Count"), "2");
    EXPECT_EQ(key("Docs", "NoBackup0"), "*.tmp");
    EXPECT_EQ(key("Docs", "NoBackup1"), "*.bak");
    EXPECT_EQ(key("Docs", "Whether include Subdirectory"), "0");
    EXPECT_EQ(key("Docs", "Whether password Project"), "1");
    EXPECT_EQ(key("Docs", "Password"), store::XorScramble("pw", "Docs4", true));
    EXPECT_EQ(key("Docs", "Whether store path in Zip"), "0");
    EXPECT_EQ(key("Docs", "Whether store comment in Zip"), "1");
    // The INI reader trims values; the comment was written as typed.
    EXPECT_EQ(key("Docs", "Comment"), "my comment");
    EXPECT_EQ(key("Docs", "BackupMode"), "0");
    EXPECT_EQ(key("Docs", "StartTime_or_Increase"), "09:05:00");
    EXPECT_EQ(key("Docs", "PackLevel"), "9");
    EXPECT_EQ(key("Common", "Last Project"), "Docs");
    EXPECT_EQ(key("Common", "Project Count"), "1");
    EXPECT_EQ(key("Common", "Count0"), "Docs");
}

TEST_F(AddProjectCommandTest, DefaultsAreTheWizardsAndTheListGrows) {
    ASSERT_EQ(add(basic("Mail")), 0) << err.str();
    auto o = basic("Archive");
    o.saveFolder.reset();
    ASSERT_EQ(add(o), 0) << err.str();
    EXPECT_EQ(key("Archive", "Filename prefix"), "Archive");
    EXPECT_EQ(key("Archive", "Suffix"), "2");
    EXPECT_EQ(key("Archive", "Increase Value"), "1");
    EXPECT_EQ(key("Archive", "Value"), "0");
    EXPECT_EQ(key("Archive", "Save Path"), platform::homeFolder());
    EXPECT_EQ(key("Archive", "No Backup Directory Count"), "0");
    EXPECT_EQ(key("Archive", "Whether include Subdirectory"), "1");
    EXPECT_EQ(key("Archive", "Whether password Project"), "0");
    EXPECT_EQ(key("Archive", "Password"), "<none>");
    EXPECT_EQ(key("Archive", "Whether store path in Zip"), "1");
    EXPECT_EQ(key("Archive", "Whether store comment in Zip"), "0");
    EXPECT_EQ(key("Archive", "Comment"), "<none>");
    EXPECT_EQ(key("Archive", "BackupMode"), "3");
    EXPECT_EQ(key("Archive", "StartTime_or_Increase"), "<none>");
    EXPECT_EQ(key("Archive", "PackLevel"), "6");
    EXPECT_EQ(key("Common", "Project Count"), "2");
    EXPECT_EQ(key("Common", "Count0"), "Mail");
    EXPECT_EQ(key("Common", "Count1"), "Archive");
    EXPECT_EQ(key("Common", "Last Project"), "Archive");
}

TEST_F(AddProjectCommandTest, ChecksInPageOrderWithTheWizardsMessages) {
    ASSERT_EQ(add(basic("Docs")), 0);
    EXPECT_EQ(add(basic("   ")), 2);
    EXPECT_EQ(err.str(), "Error: Please input a new project name!\n");
    EXPECT_EQ(add(basic("DOCS")), 2);
    EXPECT_EQ(err.str(), "Error: Project 'DOCS' exists,please input another name!\n");

    auto o = basic("Other");
    o.include.clear();
    o.password = "a";
    o.confirmPassword = "b";
    EXPECT_EQ(add(o), 2);
    EXPECT_EQ(err.str(), "Error: Please select files to backup\n");

    o = basic("Other");
    o.password = "Secret";
    o.confirmPassword = "secret";
    EXPECT_EQ(add(o), 2);
    EXPECT_EQ(err.str(), "Error: Confirm password is not matching\n");
    EXPECT_EQ(key("Other", "Filename prefix"), "<none>");
    EXPECT_EQ(key("Common", "Project Count"), "1");
}

TEST_F(AddProjectCommandTest, CheckedPasswordBoxWithAnEmptyPasswordWritesNoPassword) {
    auto o = basic("Empty");
    o.password = "";
    ASSERT_EQ(add(o), 0) << err.str();
    EXPECT_EQ(key("Empty", "Whether password Project"), "1");
    EXPECT_EQ(key("Empty", "Password"), "<none>");
}

TEST_F(AddProjectCommandTest, SchedulesOfEachKind) {
    auto o = basic("Every");
    o.everyMinutes = 90;
    ASSERT_EQ(add(o), 0) << err.str();
    EXPECT_EQ(key("Every", "BackupMode"), "1");
    EXPECT_EQ(key("Every", "StartTime_or_Increase"), "90");

    o = basic("Weekly");
    o.weeklyOn = "tuesday";
    ASSERT_EQ(add(o), 0) << err.str();
    EXPECT_EQ(key("Weekly", "BackupMode"), "2");
    EXPECT_EQ(key("Weekly", "StartTime_or_Increase"), "Tuesday");

    o = basic("Bad");
    o.weeklyOn = "Someday";
    EXPECT_EQ(add(o), 2);
    o.weeklyOn.reset();
    o.dailyAt = "25:00";
    EXPECT_EQ(add(o), 2);
    o.dailyAt = "10:00";
    o.everyMinutes = 5;
    EXPECT_EQ(add(o), 2);
    EXPECT_EQ(key("Bad", "BackupMode"), "<none>");

    std::ostringstream listed, none;
    ASSERT_EQ(runProjectsCommand(settings, listed, none), 0);
    const std::string text = listed.str();
    EXPECT_NE(text.find("Every\tevery 90 minutes\t"), std::string::npos) << text;
    EXPECT_NE(text.find("Weekly\tweekly on Tuesday at 12:00:00\t" + (dir / "save" / "Weekly1.zip").string() + "\n"),
              std::string::npos)
        << text;
}

TEST_F(AddProjectCommandTest, MissingSaveFolderIsRefused) {
    auto o = basic("Nowhere");
    o.saveFolder = (dir / "missing").string();
    EXPECT_EQ(add(o), 2);
    EXPECT_NE(err.str().find("No such folder"), std::string::npos);
}

TEST_F(AddProjectCommandTest, DateAndNoneSuffixes) {
    auto o = basic("Dated");
    o.suffix = "date";
    ASSERT_EQ(add(o), 0);
    EXPECT_EQ(key("Dated", "Suffix"), "1");
    o = basic("Fixed");
    o.suffix = "none";
    ASSERT_EQ(add(o), 0);
    EXPECT_EQ(key("Fixed", "Suffix"), "0");
}

TEST_F(AddProjectCommandTest, WritesTheFileItWroteBeforeByteForByte) {
    settings.appDir = dir / "app";
    std::filesystem::create_directories(settings.appDir);
    const std::string base = dir.path().string();
    auto docs = basic("  Docs  ");
    docs.include = {base + "/src/*.txt", base + "/src/sub/*.*"};
    docs.exclude = {"*.tmp", "*.bak"};
    docs.noSubfolders = true;
    docs.prefix = " docs_ ";
    docs.number = 5;
    docs.increase = 2;
    docs.password = " pw ";
    docs.confirmPassword = "pw";
    docs.noPaths = true;
    docs.comment = " my comment ";
    docs.level = 9;
    docs.weeklyOn = "tUEsday";
    auto mail = basic("Mail");
    mail.suffix = "date";
    mail.password = "";
    mail.everyMinutes = 90;
    auto alpha = basic("Alpha");
    alpha.include = {base + "/src/a b.txt"};
    alpha.suffix = "none";
    alpha.comment = "";
    for (const auto* o : {&docs, &mail, &alpha}) ASSERT_EQ(add(*o), 0) << err.str();

    std::string expected = zb::test::readFile(zb::test::testData("ini/add-project-before.ini"));
    for (std::size_t at; (at = expected.find("@DIR@")) != std::string::npos;) expected.replace(at, 5, base);
    EXPECT_EQ(zb::test::readFile(settings.projectIni()), expected);
}

}  // namespace
}  // namespace zb::cli
