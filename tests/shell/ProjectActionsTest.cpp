// Deleting and renaming the shown project, the Preferences dialog's "Ap&ply", the sort
// menu's tags and the folder of the page "Restore".
#include <gtest/gtest.h>

#include <stdexcept>

#include "backup/BackupPage.h"
#include "shell/DeleteProject.h"
#include "shell/PreferencesDialog.h"
#include "shell/RenameProject.h"
#include "shell/RestorePageEntry.h"
#include "shell/ShellBench.h"
#include "shell/SortMenu.h"

namespace zb::shell::test {
namespace {

class ProjectActionsTest : public ShellBench {
protected:
    backup::BackupPage load(const std::string& name) { return backup::LoadBackupPage(projects, name, prefs, clock); }
};

TEST_F(ProjectActionsTest, DeleteAsksThenShowsTheFirstProjectOrNothing) {
    makeProject("b");
    makeProject("a");
    auto list = projects.readProjectList();
    auto page = load("b");
    ui.confirmAnswers = {false, true, true};
    EXPECT_FALSE(SpDeleteClick(ui, projects, list, page, prefs, clock));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_TRUE(SpDeleteClick(ui, projects, list, page, prefs, clock));
    EXPECT_EQ(ui.questions().at(0).text, "Do you want to delete 'b' project?");
    EXPECT_EQ(ui.questions().at(0).kind, platform::MessageKind::Information);
    EXPECT_EQ(page.projectName, "a");
    EXPECT_EQ(key("b", "Suffix"), "<none>");
    EXPECT_EQ(key("Common", "Project Count"), "1");
    EXPECT_TRUE(SpDeleteClick(ui, projects, list, page, prefs, clock));
    EXPECT_TRUE(page.projectName.empty());
    EXPECT_TRUE(page.archiveName.empty());
    EXPECT_TRUE(page.record.includeLines.empty());
    EXPECT_EQ(key("Common", "Project Count"), "0");
    EXPECT_FALSE(SpDeleteClick(ui, projects, list, page, prefs, clock));  // nothing left: no question
    EXPECT_EQ(ui.questions().size(), 3u);
}

TEST_F(ProjectActionsTest, RenameShowsItsMessagesAndKeepsTheProjectWhenRefused) {
    makeProject("abc");
    makeProject("other");
    auto list = projects.readProjectList();
    auto page = load("abc");
    EXPECT_FALSE(renameDialogAccepts(ui, "  "));
    EXPECT_TRUE(renameDialogAccepts(ui, "x"));
    EXPECT_EQ(SpRenameClick(ui, projects, list, page, "ABC"), store::RenameOutcome::Unchanged);
    EXPECT_EQ(SpRenameClick(ui, projects, list, page, " Other "), store::RenameOutcome::NameExists);
    page.record.filenamePrefix = " ";
    EXPECT_EQ(SpRenameClick(ui, projects, list, page, "new"), store::RenameOutcome::Refused);
    EXPECT_EQ(key("abc", "Filename prefix"), "abc");
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Warning|Please enter project name",
                                                 "Error|Project Name exists,Rename fail!",
                                                 "Error|Please enter the prefix of backup filename"}));
    page.record.filenamePrefix = "kept";
    backup::setShownNumber(page, 9, prefs, clock);
    EXPECT_EQ(SpRenameClick(ui, projects, list, page, " new "), store::RenameOutcome::Renamed);
    EXPECT_EQ(page.projectName, "new");
    EXPECT_EQ(key("abc", "Filename prefix"), "<none>");
    EXPECT_EQ(key("new", "Filename prefix"), "kept");
    EXPECT_EQ(key("new", "Value"), "8");
    EXPECT_TRUE(list.contains("new"));
}

// An autostart folder that accepts or refuses, as the test says.
class ScriptedAutostart : public AutostartSwitch {
public:
    bool refuse = false;
    int enabled = 0, disabled = 0;
    void enable(std::string_view) override {
        if (refuse) throw std::runtime_error("autostart: Permission denied");
        ++enabled;
    }
    void disable() override { ++disabled; }
};

TEST_F(ProjectActionsTest, ApplyWritesTheStartupKeysOnlyAfterTheEntryAndTakesTheRestAnyway) {
    activitylog::ActivityLog log(dir / "log.txt", 50, clock);
    ScriptedAutostart autostart;
    auto values = openPreferencesDialog(prefs, prefsStore);
    EXPECT_FALSE(runMinimizedEnabled(values));
    values.runAtStart = true;
    values.runMinimized = true;
    values.prompt = true;
    values.logCount = 10;
    autostart.refuse = true;
    EXPECT_FALSE(btnApplyClick(values, prefs, prefsStore, "/usr/bin/zipbackup", ui, &log, autostart));
    EXPECT_EQ(key("Common", "Auto Run"), "<none>");
    EXPECT_TRUE(prefs.askBeforeBackup);
    EXPECT_EQ(prefs.logCount, 10);
    EXPECT_EQ(log.rowCount(), 11);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Error|autostart: Permission denied"}));

    autostart.refuse = false;
    EXPECT_TRUE(btnApplyClick(values, prefs, prefsStore, "/usr/bin/zipbackup", ui, &log, autostart));
    EXPECT_EQ(key("Common", "Auto Run"), "1");
    EXPECT_EQ(key("Common", "Is Minimized"), "1");
    values.runAtStart = false;  // "Run Minimized" is still written while disabled
    EXPECT_TRUE(btnApplyClick(values, prefs, prefsStore, "/usr/bin/zipbackup", ui, &log, autostart));
    EXPECT_EQ(key("Common", "Auto Run"), "0");
    EXPECT_EQ(key("Common", "Is Minimized"), "1");
    EXPECT_EQ(autostart.enabled, 1);
    EXPECT_EQ(autostart.disabled, 1);
}

TEST_F(ProjectActionsTest, SortTagsSetTheFieldAndDirectionAndTheMarksFollow) {
    // As before the file is read: by name, no direction marked; closing writes "Sort" 1.
    store::Preferences p;
    EXPECT_TRUE(sortItemChecked(p, kTagByName));
    EXPECT_FALSE(sortItemChecked(p, kTagAscending));
    EXPECT_FALSE(sortItemChecked(p, kTagDescending));
    struct Step {
        int tag;
        int field;
        bool descending;
        bool accepted;
    };
    const Step steps[] = {{kTagBySize, 1, false, true}, {kTagDescending, 1, true, true},
                          {kTagByDate, 2, true, true},  {kTagAscending, 2, false, true},
                          {kTagByName, 0, false, true}, {150, 0, false, false}};
    for (const Step& s : steps) {
        EXPECT_EQ(applySortTag(p, s.tag), s.accepted) << s.tag;
        EXPECT_EQ(p.sortField, s.field) << s.tag;
        EXPECT_EQ(p.sortDescending, s.descending) << s.tag;
        if (s.accepted) {
            EXPECT_TRUE(sortItemChecked(p, s.tag)) << s.tag;
        }
    }
}

TEST_F(ProjectActionsTest, RestorePageShowsTheShownProjectsSaveFolder) {
    makeProject("p");
    dir.write("save/one.zip", "");
    auto page = load("p");
    RestorePageEntry entry = PageControl1Change(page, prefs);
    EXPECT_EQ(entry.folder, (dir / "save").string());
    EXPECT_EQ(entry.listing.countLabel, "(Total 1 files)");
    page.record.savePath = (dir / "src").string();  // edited on the page, not saved
    EXPECT_EQ(PageControl1Change(page, prefs).listing.countLabel, "(Total 0 files)");
}

}  // namespace
}  // namespace zb::shell::test
