// The Add Project wizard's steps: captions and buttons, each step's refusal, the
// prefix copied only while empty, the preview, and what Finish writes.
#include <gtest/gtest.h>

#include "shell/AddProjectWizard.h"
#include "shell/ShellBench.h"
#include "store/PasswordScramble.h"

namespace zb::shell::test {
namespace {

class AddProjectWizardTest : public ShellBench {
protected:
    void SetUp() override {
        ShellBench::SetUp();
        makeProject("Existing");
        list = projects.readProjectList();
    }
    AddProjectWizard::NextResult next(AddProjectWizard& w) { return w.btnNextClick(ui, projects); }
    store::ProjectList list;
};

TEST_F(AddProjectWizardTest, EachStepRefusesWithItsMessageAndStays) {
    struct Case {
        int step;
        std::function<void(WizardFields&)> set;
        const char* message;
    };
    const Case cases[] = {
        {1, [](WizardFields& f) { f.name = "   "; }, "Please input a new project name!"},
        {1, [](WizardFields& f) { f.name = " existING "; }, "Project 'existING' exists,please input another name!"},
        {2, [](WizardFields& f) { f.includeLines.clear(); }, "Please select files to backup"},
        {4, [](WizardFields& f) { f.prefix = "  "; }, "Please enter the prefix of backup filename"},
        {5, [](WizardFields& f) { f.usePassword = true; f.password = "Secret"; f.confirmation = "secret"; },
         "Confirm password is not matching"},
    };
    for (const Case& c : cases) {
        AddProjectWizard w(list, prefs, clock);
        w.fields.name = "New";
        w.fields.includeLines = {"/x/*.*"};
        while (w.step() < c.step) ASSERT_EQ(next(w), AddProjectWizard::NextResult::Advanced);
        c.set(w.fields);
        ui.shown.clear();
        EXPECT_EQ(next(w), AddProjectWizard::NextResult::Stayed) << c.message;
        EXPECT_EQ(w.step(), c.step);
        EXPECT_EQ(boxes(), (std::vector<std::string>{std::string("Error|") + c.message}));
    }
    // Blanks around the password and its confirmation do not count.
    AddProjectWizard w(list, prefs, clock);
    w.fields = {};
    w.fields.name = "New";
    w.fields.includeLines = {"/x/*.*"};
    while (w.step() < 5) next(w);
    w.fields.usePassword = true;
    w.fields.password = " pw ";
    w.fields.confirmation = "pw";
    EXPECT_EQ(next(w), AddProjectWizard::NextResult::Advanced);
}

TEST_F(AddProjectWizardTest, CaptionsButtonsAndThePrefixCopiedOnlyWhileEmpty) {
    AddProjectWizard w(list, prefs, clock);
    EXPECT_EQ(w.caption(), "Add project wizard - Step 1 of 6");
    EXPECT_FALSE(w.backEnabled());
    w.fields.name = "  Docs ";
    w.fields.includeLines = {"/x/*.*"};
    w.fields.saveFolder = "/b";
    next(w);
    EXPECT_EQ(w.fields.prefix, "  Docs ");
    EXPECT_EQ(w.archiveName(), "/b/Docs1.zip");
    EXPECT_TRUE(w.backEnabled());
    w.fields.prefix = "mine";
    w.btnBackClick();
    EXPECT_FALSE(w.backEnabled());
    w.fields.name = "Other";
    next(w);
    EXPECT_EQ(w.fields.prefix, "mine");
    while (w.step() < 6) {
        EXPECT_EQ(w.nextCaption(), "Next");
        next(w);
    }
    EXPECT_EQ(w.caption(), "Add project wizard - Step 6 of 6");
    EXPECT_EQ(w.nextCaption(), "Finish");
    w.btnBackClick();
    EXPECT_EQ(w.nextCaption(), "Next");
    // The preview follows the suffix, the padding preference and the clock.
    w.fields.suffix = backup::ArchiveSuffix::Date;
    EXPECT_EQ(w.archiveName(), "/b/mine03-24_14h05m09s.zip");
    prefs.padNumber = true;
    prefs.numberWidth = 3;
    w.fields.suffix = backup::ArchiveSuffix::Number;
    w.fields.number = 7;
    EXPECT_EQ(w.archiveName(), "/b/mine007.zip");
    EXPECT_TRUE(w.numberFieldsEnabled());
    w.fields.suffix = backup::ArchiveSuffix::None;
    EXPECT_FALSE(w.numberFieldsEnabled());
    EXPECT_EQ(w.archiveName(), "/b/mine.zip");
    EXPECT_EQ(w.subfolderLabel(), "Subdirectories are included");
    w.fields.includeSubfolders = false;
    EXPECT_EQ(w.subfolderLabel(), "Subdirectories are not included");
}

TEST_F(AddProjectWizardTest, FinishWritesTheTrimmedNameEverywhere) {
    AddProjectWizard w(list, prefs, clock);
    w.fields.name = "  Zeta ";
    w.fields.includeLines = {"/x/*.*"};
    w.fields.number = 5;
    w.fields.increase = 2;
    w.fields.usePassword = true;  // checked but empty: no "Password" key
    w.chooseScheduleKind(backup::ScheduleKind::EveryMinutes);
    EXPECT_EQ(w.fields.schedule.everyMinutes, 20);
    while (w.step() < 6) ASSERT_EQ(next(w), AddProjectWizard::NextResult::Advanced);
    EXPECT_EQ(next(w), AddProjectWizard::NextResult::Finished);
    EXPECT_EQ(key("Zeta", "Filename prefix"), "Zeta");
    EXPECT_EQ(key("Zeta", "Value"), "3");
    EXPECT_EQ(key("Zeta", "Whether password Project"), "1");
    EXPECT_EQ(key("Zeta", "Password"), "<none>");
    EXPECT_EQ(key("Zeta", "BackupMode"), "1");
    EXPECT_EQ(key("Zeta", "StartTime_or_Increase"), "20");
    EXPECT_EQ(key("Common", "Last Project"), "Zeta");
    EXPECT_EQ(key("Common", "Project Count"), "2");
    EXPECT_EQ(key("Common", "Count1"), "Zeta");
}

}  // namespace
}  // namespace zb::shell::test
