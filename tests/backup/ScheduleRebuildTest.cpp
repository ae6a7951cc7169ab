// The table of due times rebuilt from "project.ini": which projects are marked, when
// the timer runs, and a daily project that is due again after a save later that day.
#include <gtest/gtest.h>

#include "backup/BackupBench.h"
#include "backup/BackupPage.h"
#include "backup/ScheduleRebuild.h"
#include "backup/ScheduleTick.h"

namespace zb::backup::test {
namespace {

using platform::encodeDate;
using platform::encodeTime;

class ScheduleRebuildTest : public BackupBench {};

TEST_F(ScheduleRebuildTest, MarksFollowTheStoredModeAndTheTimerRunsOnlyWithOne) {
    makeProject("a");
    makeProject("b");
    auto list = store.readProjectList();
    ScheduleTable table = RebuildSchedule(store, list, clock);
    EXPECT_FALSE(table.timerRuns);
    EXPECT_TRUE(table.entries.empty());
    EXPECT_EQ(table.marked, (std::vector<bool>{false, false}));

    BackupPage page = load("b");
    chooseScheduleKind(page.schedule, ScheduleKind::EveryMinutes);
    page.schedule.everyMinutes = 90;
    ASSERT_FALSE(SaveBackupPage(page, store));
    table = RebuildSchedule(store, list, clock);
    EXPECT_TRUE(table.timerRuns);
    EXPECT_EQ(table.marked, (std::vector<bool>{false, true}));
    EXPECT_TRUE(isScheduled(store, "B"));
    EXPECT_FALSE(isScheduled(store, "a"));
    ASSERT_EQ(table.entries.size(), 1u);
    EXPECT_EQ(table.entries[0].ProjectName, "b");
    EXPECT_NEAR(table.entries[0].Interval, encodeTime(1, 30, 0), 1e-9);
    EXPECT_NEAR(table.entries[0].NextRun, clock.now() + encodeTime(1, 30, 0), 1e-9);
}

// What the window does at a tick, scripted: loads and backs up through the page.
class Host : public ScheduleHost {
public:
    bool isEditing() const override { return false; }
    bool isBusy() const override { return false; }
    bool selectProject(const std::string& name) override {
        started.push_back(name);
        return true;
    }
    bool askBeforeBackup() const override { return false; }
    void setAskBeforeBackup(bool) override {}
    bool startBackup() override { return true; }
    std::vector<std::string> started;
};

TEST_F(ScheduleRebuildTest, DailyProjectRunsAgainAfterASaveLaterThatDay) {
    makeProject("daily");
    BackupPage page = load("daily");
    chooseScheduleKind(page.schedule, ScheduleKind::DailyOnce);
    page.schedule.timeOfDay = encodeTime(9, 0, 0);
    clock.set(encodeDate(2024, 3, 20) + encodeTime(10, 0, 0));
    ASSERT_FALSE(SaveBackupPage(page, store));
    auto list = store.readProjectList();
    ScheduleTable table = RebuildSchedule(store, list, clock);
    Host host;
    EXPECT_EQ(ScheduleTick(table.entries, clock, host), 1);
    EXPECT_EQ(ScheduleTick(table.entries, clock, host), 0);
    EXPECT_NEAR(table.entries[0].NextRun, encodeDate(2024, 3, 21) + encodeTime(9, 0, 0), 1e-9);

    // A save at 11:00 (of any project) rebuilds: today 09:00 again, due at the next tick.
    clock.set(encodeDate(2024, 3, 20) + encodeTime(11, 0, 0));
    ASSERT_FALSE(SaveBackupPage(page, store));
    table = RebuildSchedule(store, list, clock);
    EXPECT_EQ(ScheduleTick(table.entries, clock, host), 1);
    EXPECT_EQ(host.started, (std::vector<std::string>{"daily", "daily"}));
}

}  // namespace
}  // namespace zb::backup::test
