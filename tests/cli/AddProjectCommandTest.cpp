// "add-project": the wizard's checks in page order with their messages, and the keys
// and list updates of its Finish, checked key by key in "project.ini".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/AddProjectCommand.h"
#include "cli/ProjectsCommand.h"
#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"
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
    // Every option away from its default, the name and blanks kept as given.
    AddProjectOptions everyOption(const std::string& name) {
        AddProjectOptions o = basic(name);
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

// One project a case, added in order to the same file: a refused case leaves its
// section unwritten and the list as it was.
TEST_F(AddProjectCommandTest, EachProjectWritesItsKeysOrIsRefusedWithTheWizardsMessage) {
    using ::testing::_;
    using ::testing::Eq;
    using ::testing::HasSubstr;
    using Keys = std::vector<std::pair<std::string, std::string>>;
    struct Case {
        std::string name;  // as given; the section is the trimmed name
        std::function<void(AddProjectOptions&)> change;
        int exitCode;
        ::testing::Matcher<std::string> error;
        Keys keys;
    };
    const std::string save = (dir / "save").string();
    const Case cases[] = {
        {"  Docs  ",
         [this](AddProjectOptions& o) {
             o = everyOption(o.name);
             o.dailyAt = "9:05";
         },
         0, _,
         // The INI reader trims values; the comment was written as typed.
         {{"Filename prefix", "docs_"}, {"Suffix", "2"}, {"Increase Value", "2"}, {"Value", "3"},
          {"Save Path", save}, {"Backup Directory Count", "1"}, {"Backup0", (dir / "src" / "*.*").string()},
          {"No Backup Directory Count", "2"}, {"NoBackup0", "*.tmp"}, {"NoBackup1", "*.bak"},
          {"Whether include Subdirectory", "0"}, {"Whether password Project", "1"},
          {"Password", store::XorScramble("pw", "Docs4", true)}, {"Whether store path in Zip", "0"},
          {"Whether store comment in Zip", "1"}, {"Comment", "my comment"}, {"BackupMode", "0"},
          {"StartTime_or_Increase", "09:05:00"}, {"PackLevel", "9"}}},
        {"Archive", [](AddProjectOptions& o) { o.saveFolder.reset(); }, 0, _,
         {{"Filename prefix", "Archive"}, {"Suffix", "2"}, {"Increase Value", "1"}, {"Value", "0"},
          {"Save Path", platform::homeFolder()}, {"No Backup Directory Count", "0"},
          {"Whether include Subdirectory", "1"}, {"Whether password Project", "0"}, {"Password", "<none>"},
          {"Whether store path in Zip", "1"}, {"Whether store comment in Zip", "0"}, {"Comment", "<none>"},
          {"BackupMode", "3"}, {"StartTime_or_Increase", "<none>"}, {"PackLevel", "6"}}},
        // The checks in page order.
        {"   ", nullptr, 2, Eq("Error: Please input a new project name!\n"), {}},
        {"DOCS", nullptr, 2, Eq("Error: Project 'DOCS' exists,please input another name!\n"), {}},
        {"Other",
         [](AddProjectOptions& o) {
             o.include.clear();
             o.password = "a";
             o.confirmPassword = "b";
         },
         2, Eq("Error: Please select files to backup\n"), {{"Filename prefix", "<none>"}}},
        {"Other",
         [](AddProjectOptions& o) {
             o.password = "Secret";
             o.confirmPassword = "secret";
         },
         2, Eq("Error: Confirm password is not matching\n"), {{"Filename prefix", "<none>"}}},
        {"Nowhere", [this](AddProjectOptions& o) { o.saveFolder = (dir / "missing").string(); }, 2,
         HasSubstr("No such folder"), {}},
        // A checked password box with an empty password writes no password.
        {"Empty", [](AddProjectOptions& o) { o.password = ""; }, 0, _,
         {{"Whether password Project", "1"}, {"Password", "<none>"}}},
        {"Every", [](AddProjectOptions& o) { o.everyMinutes = 90; }, 0, _,
         {{"BackupMode", "1"}, {"StartTime_or_Increase", "90"}}},
        {"Weekly", [](AddProjectOptions& o) { o.weeklyOn = "tuesday"; }, 0, _,
         {{"BackupMode", "2"}, {"StartTime_or_Increase", "Tuesday"}}},
        {"Bad", [](AddProjectOptions& o) { o.weeklyOn = "Someday"; }, 2, _, {{"BackupMode", "<none>"}}},
        {"Bad", [](AddProjectOptions& o) { o.dailyAt = "25:00"; }, 2, _, {{"BackupMode", "<none>"}}},
        {"Bad",
         [](AddProjectOptions& o) {
             o.dailyAt = "10:00";
             o.everyMinutes = 5;
         },
         2, _, {{"BackupMode", "<none>"}}},
        {"Dated", [](AddProjectOptions& o) { o.suffix = "date"; }, 0, _, {{"Suffix", "1"}}},
        {"Fixed", [](AddProjectOptions& o) { o.suffix = "none"; }, 0, _, {{"Suffix", "0"}}},
    };
    std::vector<std::string> listed;
    for (const Case& c : cases) {
        AddProjectOptions o = basic(c.name);
        if (c.change) c.change(o);
        const std::string section(platform::trimBlanks(c.name));
        ASSERT_EQ(add(o), c.exitCode) << section << ": " << err.str();
        EXPECT_THAT(err.str(), c.error) << section;
        for (const auto& [k, value] : c.keys) EXPECT_EQ(key(section, k), value) << section << " " << k;
        if (c.exitCode == 0) listed.push_back(section);
        EXPECT_EQ(key("Common", "Project Count"), std::to_string(listed.size())) << section;
        EXPECT_EQ(key("Common", "Last Project"), listed.back()) << section;
    }
    // The list holds every added project, the newest last (the others as the list was read).
    std::vector<std::string> stored;
    for (std::size_t i = 0; i < listed.size(); ++i) stored.push_back(key("Common", "Count" + std::to_string(i)));
    EXPECT_EQ(stored.back(), listed.back());
    EXPECT_THAT(stored, ::testing::UnorderedElementsAreArray(listed));

    std::ostringstream shown, none;
    ASSERT_EQ(runProjectsCommand(settings, shown, none), 0);
    const std::string text = shown.str();
    EXPECT_NE(text.find("Every\tevery 90 minutes\t"), std::string::npos) << text;
    EXPECT_NE(text.find("Weekly\tweekly on Tuesday at 12:00:00\t" + (dir / "save" / "Weekly1.zip").string() + "\n"),
              std::string::npos)
        << text;
}

TEST_F(AddProjectCommandTest, WritesTheFileItWroteBeforeByteForByte) {
    settings.appDir = dir / "app";
    std::filesystem::create_directories(settings.appDir);
    const std::string base = dir.path().string();
    auto docs = everyOption("  Docs  ");
    docs.include = {base + "/src/*.txt", base + "/src/sub/*.*"};
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
