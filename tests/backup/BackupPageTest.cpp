// The page "Backup " both ways: what a save writes is what the next load shows, the
// effective radio choices survive unknown stored values, the running number after a
// run, and the schedule group's fall-backs and stored forms.
#include <gtest/gtest.h>

#include "backup/BackupPage.h"
#include "backup/ScheduleFields.h"
#include "platform/IniFile.h"
#include "backup/BackupBench.h"

namespace zb::backup::test {
namespace {

using platform::encodeTime;

class BackupPageTest : public BackupBench {
protected:
    void setKey(const std::string& section, const char* key, const std::string& value) {
        platform::IniFile ini(iniPath());
        ini.writeString(section, key, value);
        ini.save();
    }
};

TEST_F(BackupPageTest, SaveThenLoadShowsTheSameNumberAndARunUsesItUp) {
    makeProject("P");
    BackupPage page = load("P");
    setShownNumber(page, 5, prefs, clock);
    ASSERT_FALSE(SaveBackupPage(page, store));
    EXPECT_EQ(projectKey("P", "Value"), "4");
    EXPECT_EQ(load("P").shownNumber, 5);

    ASSERT_EQ(backup(page).outcome, BackupOutcome::Succeeded);
    EXPECT_TRUE(std::filesystem::exists(saveDir() / "P5.zip"));
    EXPECT_EQ(projectKey("P", "Value"), "5");
    EXPECT_EQ(page.shownNumber, 6);
    // A save right after the run keeps the number used, so the next run makes P6.
    ASSERT_FALSE(SaveBackupPage(page, store));
    EXPECT_EQ(projectKey("P", "Value"), "5");
    EXPECT_EQ(load("P").shownNumber, 6);
}

TEST_F(BackupPageTest, UnknownStoredChoicesKeepThePreviousOnes) {
    makeProject("A", [](store::ProjectRecord& r) { r.suffix = store::kSuffixDate; });
    makeProject("B", [](store::ProjectRecord& r) { r.suffix = store::kSuffixNone; });
    setKey("A", "BackupMode", "1");
    setKey("A", "StartTime_or_Increase", "45");
    setKey("B", "Suffix", "7");
    setKey("B", "BackupMode", "9");
    BackupPage page = load("A");
    setShownNumber(page, 33, prefs, clock);
    LoadBackupPage(page, store, "B", prefs, clock);
    // Date stays checked, the every-45-minutes schedule too, and the number fields keep 33.
    EXPECT_EQ(page.suffix, ArchiveSuffix::Date);
    EXPECT_EQ(page.schedule.kind, ScheduleKind::EveryMinutes);
    EXPECT_EQ(page.schedule.everyMinutes, 45);
    EXPECT_EQ(page.shownNumber, 33);
    EXPECT_EQ(page.archiveName, (saveDir() / "B03-20_14h05m09s.zip").string());
    ASSERT_FALSE(SaveBackupPage(page, store));
    EXPECT_EQ(projectKey("B", "Suffix"), "1");
    EXPECT_EQ(projectKey("B", "BackupMode"), "1");
    EXPECT_EQ(projectKey("B", "StartTime_or_Increase"), "45");
    EXPECT_EQ(projectKey("B", "Value"), "32");
}

TEST_F(BackupPageTest, ScheduleFieldsLoadWithFallbacksAndSaveInStoredForm) {
    struct Case {
        const char* mode;
        const char* text;
        ScheduleKind kind;
        double time;        // the picker after loading
        int minutes;        // the minute box after loading
        int weekday;        // -1 for none
        const char* saved;  // "StartTime_or_Increase" after a save, "<none>" when not written
    };
    const double noon = encodeTime(12, 0, 0);
    const Case cases[] = {
        {"0", "09:30:00", ScheduleKind::DailyOnce, encodeTime(9, 30, 0), 2, -1, "09:30:00"},
        {"0", "half past", ScheduleKind::DailyOnce, noon, 2, -1, "12:00:00"},
        {"1", "90", ScheduleKind::EveryMinutes, noon, 90, -1, "90"},
        {"1", "often", ScheduleKind::EveryMinutes, noon, 5, -1, "5"},
        {"2", "tUESDAY", ScheduleKind::Weekly, noon, 2, 2, "Tuesday"},
        {"2", "Someday", ScheduleKind::Weekly, noon, 2, -1, ""},
        {"3", "", ScheduleKind::None, noon, 2, -1, "<none>"},
    };
    for (const Case& c : cases) {
        const std::string name = std::string("S") + c.mode + c.text;
        makeProject(name);
        setKey(name, "BackupMode", c.mode);
        setKey(name, "StartTime_or_Increase", c.text);
        BackupPage page;
        LoadBackupPage(page, store, name, prefs, clock);
        EXPECT_EQ(page.schedule.kind, c.kind) << name;
        EXPECT_NEAR(page.schedule.timeOfDay, c.time, 1e-7) << name;
        EXPECT_EQ(page.schedule.everyMinutes, c.minutes) << name;
        EXPECT_EQ(page.schedule.weekday.value_or(-1), c.weekday) << name;
        // Rewrite the text to tell a write from a key left alone.
        setKey(name, "StartTime_or_Increase", "<none>");
        ASSERT_FALSE(SaveBackupPage(page, store)) << name;
        EXPECT_EQ(projectKey(name, "BackupMode"), c.mode) << name;
        EXPECT_EQ(projectKey(name, "StartTime_or_Increase"), c.saved) << name;
    }
}

TEST_F(BackupPageTest, WeeklyChoiceSelectsSundayOnlyWhenNoDayIs) {
    ScheduleFields fields;
    EXPECT_FALSE(scheduleControls(fields).weekday);
    chooseScheduleKind(fields, ScheduleKind::Weekly);
    EXPECT_EQ(fields.weekday, 0);
    EXPECT_TRUE(scheduleControls(fields).weekday);
    EXPECT_FALSE(scheduleControls(fields).timePicker);
    fields.weekday = 4;
    chooseScheduleKind(fields, ScheduleKind::DailyOnce);
    chooseScheduleKind(fields, ScheduleKind::Weekly);
    EXPECT_EQ(fields.weekday, 4);
}

TEST_F(BackupPageTest, ChoosingAFolderNeedsAProjectName) {
    makeProject("P");
    BackupPage page = load("P");
    ui.folderAnswers = {std::string("/elsewhere"), std::nullopt};
    EXPECT_TRUE(SpSelectDirectoryClick(page, ui, prefs, clock));
    EXPECT_EQ(page.archiveName, "/elsewhere/P1.zip");
    EXPECT_FALSE(SpSelectDirectoryClick(page, ui, prefs, clock));
    EXPECT_EQ(ui.calls(FakeUi::Call::ChooseFolder).at(0).text, "Please select directory");
    BackupPage none;
    ui.folderAnswers = {std::string("/x")};
    EXPECT_FALSE(SpSelectDirectoryClick(none, ui, prefs, clock));
    EXPECT_NE(none.record.savePath, "/x");
}

}  // namespace
}  // namespace zb::backup::test
