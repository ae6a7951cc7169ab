// The schedule timer over simulated days: each kind of schedule runs when it should
// and only then, nothing starts while a project is edited or a run is going, the prompt
// is suppressed for the run and put back, and a computer that slept through several
// periods makes a project run once, not once per missed period.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FixedFormats.h"
#include "backup/ScheduleTick.h"
#include "backup/ScheduleTimes.h"
#include "platform/DateFormat.h"

namespace zb::backup {
namespace {

using platform::DateTime;
using platform::encodeDate;
using platform::encodeTime;

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kTick = kScheduleTickMilliseconds / 1000.0 * kSecond;

struct Run {
    std::string project;
    DateTime at;
    bool promptWhileRunning;
};

class ScriptedHost : public ScheduleHost {
public:
    explicit ScriptedHost(const platform::Clock& clock) : clock_(clock) {}

    std::vector<std::string> projects{"Docs", "Mail", "Photos"};
    bool editing = false;
    bool busy = false;
    bool prompt = true;
    std::vector<std::string> failing;   // runs of these end with an error
    std::vector<std::string> throwing;  // runs of these raise
    std::vector<Run> runs;
    std::string selected;

    bool isEditing() const override { return editing; }
    bool isBusy() const override { return busy; }
    bool selectProject(const std::string& name) override {
        for (const auto& p : projects) {
            if (equalsNoCase(p, name)) {
                selected = p;
                return true;
            }
        }
        return false;
    }
    bool askBeforeBackup() const override { return prompt; }
    void setAskBeforeBackup(bool on) override { prompt = on; }
    bool startBackup() override {
        runs.push_back({selected, clock_.now(), prompt});
        for (const auto& f : throwing)
            if (f == selected) throw std::runtime_error("disk gone");
        for (const auto& f : failing)
            if (f == selected) return false;
        return true;
    }

private:
    static bool equalsNoCase(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
        return true;
    }
    const platform::Clock& clock_;
};

class ScheduleTickTest : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
    }

    // Ticks every 50 seconds from the clock's time until `until`.
    void runTicksUntil(DateTime until) {
        while (clock.now() < until) {
            clock.advanceSeconds(kScheduleTickMilliseconds / 1000.0);
            ScheduleTick(table, clock, host);
        }
    }
    Schedules build(const std::vector<ScheduleSource>& sources) {
        table = ComputeScheduleTimes(sources, clock);
        return table;
    }

    DateTime day = encodeDate(2024, 3, 20);  // a Wednesday
    platform::ManualClock clock{day + encodeTime(10, 0, 0)};
    ScriptedHost host{clock};
    Schedules table;
};

TEST_F(ScheduleTickTest, DailyOnceAtAPassedTimeRunsAtFirstTickThenNextDayAtThatTime) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});
    runTicksUntil(day + 3 + encodeTime(0, 0, 0));
    ASSERT_EQ(host.runs.size(), 3u);
    EXPECT_NEAR(host.runs[0].at, day + encodeTime(10, 0, 0), kTick + kSecond);
    for (int d = 1; d <= 2; ++d) {
        const DateTime due = day + d + encodeTime(9, 0, 0);
        EXPECT_GT(host.runs[d].at, due);
        EXPECT_LE(host.runs[d].at, due + kTick + kSecond);
    }
    for (const auto& r : host.runs) EXPECT_EQ(r.project, "Docs");
}

TEST_F(ScheduleTickTest, RebuildSetsTodaysPassedTimeAgainSoItRunsAgainAtNextTick) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});
    runTicksUntil(day + encodeTime(11, 0, 0));
    ASSERT_EQ(host.runs.size(), 1u);
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});  // a save at 11:00 rebuilds the table
    const DateTime rebuilt = clock.now();
    runTicksUntil(day + encodeTime(11, 5, 0));
    ASSERT_EQ(host.runs.size(), 2u);
    EXPECT_NEAR(host.runs[1].at, rebuilt + kTick, kSecond);
}

TEST_F(ScheduleTickTest, EveryNinetyMinutesRunsEachPeriodAfterTheRebuild) {
    build({{"Mail", store::kModeEveryMinutes, "90"}});
    runTicksUntil(day + encodeTime(21, 50, 0));  // seven periods end before then
    ASSERT_EQ(host.runs.size(), 7u);
    for (std::size_t i = 0; i < host.runs.size(); ++i) {
        const DateTime due = day + encodeTime(10, 0, 0) + double(i + 1) * encodeTime(1, 30, 0);
        EXPECT_GT(host.runs[i].at, due) << i;
        EXPECT_LE(host.runs[i].at, due + kTick + kSecond) << i;
    }
}

TEST_F(ScheduleTickTest, WeeklyOnTodayBeforeNoonRunsAtNoonThenAWeekLater) {
    clock.set(day + encodeTime(11, 0, 0));
    build({{"Photos", store::kModeWeekly, "Wednesday"}});
    runTicksUntil(day + 8);
    ASSERT_EQ(host.runs.size(), 2u);
    EXPECT_GT(host.runs[0].at, day + encodeTime(12, 0, 0));
    EXPECT_LE(host.runs[0].at, day + encodeTime(12, 0, 0) + kTick + kSecond);
    EXPECT_GT(host.runs[1].at, day + 7 + encodeTime(12, 0, 0));
    EXPECT_LE(host.runs[1].at, day + 7 + encodeTime(12, 0, 0) + kTick + kSecond);
}

TEST_F(ScheduleTickTest, WeeklyOnTodayAfterNoonRunsAtNextTickThenAWeekAfterNoon) {
    clock.set(day + encodeTime(13, 0, 0));
    build({{"Photos", store::kModeWeekly, "Wednesday"}});
    runTicksUntil(day + 8);
    ASSERT_EQ(host.runs.size(), 2u);
    EXPECT_NEAR(host.runs[0].at, day + encodeTime(13, 0, 0), kTick + kSecond);
    EXPECT_GT(host.runs[1].at, day + 7 + encodeTime(12, 0, 0));
    EXPECT_LE(host.runs[1].at, day + 7 + encodeTime(12, 0, 0) + kTick + kSecond);
}

TEST_F(ScheduleTickTest, SleepThroughManyPeriodsRunsOnceAndKeepsThePhase) {
    build({{"Mail", store::kModeEveryMinutes, "10"}});
    runTicksUntil(day + encodeTime(10, 11, 0));
    ASSERT_EQ(host.runs.size(), 1u);
    // The computer sleeps for five hours: thirty periods missed.
    clock.set(day + encodeTime(15, 11, 20));
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    EXPECT_EQ(ScheduleTick(table, clock, host), 0);
    ASSERT_EQ(host.runs.size(), 2u);
    // Still due on the ten-minute grid of the rebuild at 10:00.
    EXPECT_NEAR(table[0].NextRun, day + encodeTime(15, 20, 0), kSecond);
    runTicksUntil(day + encodeTime(15, 35, 0));
    EXPECT_EQ(host.runs.size(), 4u);
}

TEST_F(ScheduleTickTest, DailyOnceAfterSleepingSeveralDaysRunsOnce) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});
    runTicksUntil(day + encodeTime(10, 1, 0));
    ASSERT_EQ(host.runs.size(), 1u);
    clock.set(day + 4 + encodeTime(8, 0, 0));  // wakes four days later, before nine
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    EXPECT_NEAR(table[0].NextRun, day + 4 + encodeTime(9, 0, 0), kSecond);
    runTicksUntil(day + 4 + encodeTime(9, 5, 0));
    EXPECT_EQ(host.runs.size(), 3u);
}

TEST_F(ScheduleTickTest, NothingStartsWhileEditingOrBusyAndADueProjectStartsAfterwards) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});
    const DateTime due = table[0].NextRun;
    host.editing = true;
    runTicksUntil(day + encodeTime(10, 30, 0));
    EXPECT_TRUE(host.runs.empty());
    EXPECT_DOUBLE_EQ(table[0].NextRun, due);
    host.editing = false;
    host.busy = true;
    runTicksUntil(day + encodeTime(10, 40, 0));
    EXPECT_TRUE(host.runs.empty());
    host.busy = false;
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    ASSERT_EQ(host.runs.size(), 1u);
}

TEST_F(ScheduleTickTest, PromptIsSuppressedForTheRunAndPutBack) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}});
    host.prompt = true;
    runTicksUntil(day + encodeTime(10, 1, 0));
    ASSERT_EQ(host.runs.size(), 1u);
    EXPECT_FALSE(host.runs[0].promptWhileRunning);
    EXPECT_TRUE(host.prompt);

    host.prompt = false;
    clock.set(day + 1 + encodeTime(9, 0, 30));
    ScheduleTick(table, clock, host);
    EXPECT_FALSE(host.prompt);
}

TEST_F(ScheduleTickTest, PromptIsPutBackWhenTheRunRaises) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}, {"Mail", store::kModeDailyOnce, "09:00:00"}});
    host.throwing = {"Docs"};
    clock.advanceSeconds(50);
    EXPECT_THROW(ScheduleTick(table, clock, host), std::runtime_error);
    EXPECT_TRUE(host.prompt);
    ASSERT_EQ(host.runs.size(), 1u);  // the raise ended the pass before "Mail"
    EXPECT_GT(table[0].NextRun, clock.now());  // already advanced
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    EXPECT_EQ(host.runs.back().project, "Mail");
}

TEST_F(ScheduleTickTest, AFailedRunEndsThePassAndTheRestRunAtTheNextTick) {
    build({{"Docs", store::kModeDailyOnce, "09:00:00"}, {"Mail", store::kModeDailyOnce, "08:00:00"}});
    host.failing = {"Docs"};
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    ASSERT_EQ(host.runs.size(), 2u);
    EXPECT_EQ(host.runs[0].project, "Docs");
    EXPECT_EQ(host.runs[1].project, "Mail");
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 0);
}

TEST_F(ScheduleTickTest, ARenamedProjectIsPassedOverAndNamesMatchWithoutCase) {
    build({{"Gone", store::kModeDailyOnce, "09:00:00"}, {"docs", store::kModeDailyOnce, "09:00:00"}});
    clock.advanceSeconds(50);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
    ASSERT_EQ(host.runs.size(), 1u);
    EXPECT_EQ(host.runs[0].project, "Docs");
    EXPECT_GT(table[0].NextRun, clock.now());  // the missing one moved on as well
}

TEST_F(ScheduleTickTest, DueOnlyWhenStrictlyLater) {
    build({{"Mail", store::kModeEveryMinutes, "10"}});
    clock.set(table[0].NextRun);
    EXPECT_EQ(ScheduleTick(table, clock, host), 0);
    clock.advanceSeconds(1);
    EXPECT_EQ(ScheduleTick(table, clock, host), 1);
}

TEST_F(ScheduleTickTest, UnknownModeNeverRunsAndNoScheduleMeansNoTable) {
    build({{"Docs", 9, "09:00:00"}});
    runTicksUntil(day + 2);
    EXPECT_TRUE(host.runs.empty());
    EXPECT_TRUE(build({{"Docs", store::kModeNone, "09:00:00"}}).empty());
}

}  // namespace
}  // namespace zb::backup
