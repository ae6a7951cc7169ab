// The activity log: loading the shipped file, appending, the trim on reaching the limit,
// clearing, bounds of the limit, the grid's cells, and writes the system refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <utility>

#include "log/ActivityLog.h"
#include "platform/DateFormat.h"
#include "platform/DateTime.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

using namespace zb;
using namespace zb::activitylog;
using zb::test::TempDir;

namespace {

class ActivityLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::FormatSettings fixed;
        fixed.shortDateFormat = "dd/mm/yyyy";
        fixed.longTimeFormat = "hh:nn:ss";
        fixed.dateSeparator = '/';
        fixed.timeSeparator = ':';
        saved_ = platform::formatSettings();
        platform::setFormatSettings(fixed);
    }
    void TearDown() override { platform::setFormatSettings(saved_); }

    // Appends entries named "e<first>" .. "e<last>", one minute apart.
    void appendNumbered(ActivityLog& log, int first, int last) {
        for (int i = first; i <= last; ++i) {
            log.AppendLog(kBackup, kSucceeds, "p", "e" + std::to_string(i));
            clock_.advanceSeconds(60);
        }
    }

    // The information texts of the rows, newest first.
    static std::vector<std::string> infos(const ActivityLog& log) {
        std::vector<std::string> out;
        for (const LogEntry& e : log.entries()) out.push_back(e.information);
        return out;
    }

    static std::string stored(const std::filesystem::path& file, const std::string& section, const std::string& key) {
        return platform::IniFile(file).readString(section, key, "<absent>");
    }

    // A log file of `count` entries whose informations are "e1" .. "e<count>".
    void writeNumberedFile(int count) {
        platform::IniFile ini(file_);
        ini.writeInteger("Common", "Log Total", count);
        for (int n = 1; n <= count; ++n)
            ini.writeString("Log" + std::to_string(n), "Information", "e" + std::to_string(n));
        ini.save();
    }

    TempDir dir_;
    std::filesystem::path file_ = dir_ / "log.txt";
    platform::ManualClock clock_{platform::encodeDateTime({2025, 3, 7, 14, 5, 9, 0})};

private:
    platform::FormatSettings saved_;
};

using Infos = std::vector<std::string>;

// "e<newest>" down to "e<oldest>", as the rows show appended or numbered entries.
Infos numbered(int newest, int oldest) {
    Infos out;
    for (int n = newest; n >= oldest; --n) out.push_back("e" + std::to_string(n));
    return out;
}

struct StoredKey {
    std::string section, key, value;
};

}  // namespace

TEST_F(ActivityLogTest, ShippedFileShowsThreeEntriesNewestFirst) {
    ActivityLog log(test::testData("ini/log.txt"), 50, clock_);
    log.LoadLog();
    EXPECT_EQ(log.total(), 3);
    ASSERT_EQ(log.entries().size(), 3u);
    EXPECT_EQ(log.entries()[0], (LogEntry{"3/3/2025 6:12:44 PM", "Restore", "Fails", "mail archive", "E:\\mail.zip  20Kb"}));
    EXPECT_EQ(log.entries()[1], (LogEntry{"3/2/2025 9:00:07 AM", "Backup", "Interrupt", "Documents",
                                          "'D:\\Backup\\docs.zip' exists,backup interripted"}));
    EXPECT_EQ(log.entries()[2], (LogEntry{"3/1/2025 9:00:05 AM", "Backup", "Succeeds", "Documents",
                                          "D:\\Backup\\docs005.zip  1523Kb"}));
    EXPECT_TRUE(log.isAlertRow(1));
    EXPECT_TRUE(log.isAlertRow(2));
    EXPECT_FALSE(log.isAlertRow(3));
    EXPECT_EQ(log.cell(4, 0), "");  // the fourth section is above "Log Total"
}

TEST_F(ActivityLogTest, MissingEmptyAndGarbageFilesAreEmptyLogs) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 97 + 3) % 256);
    for (const auto& file : {dir_ / "missing.txt", dir_.write("empty.txt", ""), dir_.write("garbage.txt", garbage),
                             dir_.write("words.txt", "[Common]\r\nLog Total=many\r\n[Log1]\r\nDate=x\r\n")}) {
        ActivityLog log(file, 50, clock_);
        log.LoadLog();
        EXPECT_EQ(log.total(), 0) << file;
        EXPECT_TRUE(log.entries().empty()) << file;
    }
}

TEST_F(ActivityLogTest, FirstAppendCreatesTheFile) {
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    log.AppendLog(kRestore, kSucceeds, "Documents", "/srv/docs.zip  12Kb");
    EXPECT_EQ(log.total(), 1);
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "1");
    EXPECT_EQ(stored(file_, "Log1", "Date"), "07/03/2025 14:05:09");
    EXPECT_EQ(stored(file_, "Log1", "Operate"), "Restore");
    EXPECT_EQ(stored(file_, "Log1", "Status"), "Succeeds");
    EXPECT_EQ(stored(file_, "Log1", "Project"), "Documents");
    EXPECT_EQ(stored(file_, "Log1", "Information"), "/srv/docs.zip  12Kb");
    EXPECT_EQ(log.cell(1, 0), "07/03/2025 14:05:09");
    EXPECT_EQ(log.cell(1, 1), "Restore");
    const std::string text = test::readFile(file_);
    EXPECT_LT(text.find("Date="), text.find("Operate="));
    EXPECT_LT(text.find("Operate="), text.find("Status="));
    EXPECT_LT(text.find("Status="), text.find("Project="));
    EXPECT_LT(text.find("Project="), text.find("Information="));
}

TEST_F(ActivityLogTest, AppendsGoOnTheShippedFile) {
    std::filesystem::copy_file(test::testData("ini/log.txt"), file_);
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    log.AppendLog(kBackup, kSucceeds, "Documents", "new");
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "4");
    EXPECT_EQ(stored(file_, "Log4", "Information"), "new");  // the stale section is overwritten
    EXPECT_EQ(stored(file_, "Log4", "Project"), "Documents");
    EXPECT_EQ(infos(log), (Infos{"new", "E:\\mail.zip  20Kb", "'D:\\Backup\\docs.zip' exists,backup interripted",
                                 "D:\\Backup\\docs005.zip  1523Kb"}));
    ActivityLog reloaded(file_, 50, clock_);
    reloaded.LoadLog();
    EXPECT_EQ(infos(reloaded), infos(log));
}

TEST_F(ActivityLogTest, LimitBoundsAreSixAndTheMaximum) {
    for (const auto& [asked, bounded] : {std::pair{1, 6}, {-7, 6}, {6, 6}, {200, 200}, {1 << 30, kMaxLogLimit}})
        EXPECT_EQ(boundedLogLimit(asked), bounded) << asked;
}

// Runs of appends, limit changes and clearing on one log, each step followed by what
// the log and its file then hold; after every run a fresh start shows the same rows.
TEST_F(ActivityLogTest, TrimsAtTheLimitKeepingTheFiveNewest) {
    using Act = std::function<void(ActivityLog&)>;
    const auto append = [this](int first, int last) -> Act {
        return [=, this](ActivityLog& log) { appendNumbered(log, first, last); };
    };
    const auto limit = [](int n) -> Act { return [n](ActivityLog& log) { log.setLimit(n); }; };
    struct Step {
        Act act = nullptr;  // none: just loaded
        std::optional<int> total = std::nullopt, gridRows = std::nullopt;
        std::optional<Infos> shown = std::nullopt;
        std::vector<StoredKey> keys = {};
    };
    struct Run {
        const char* what;
        int limit, entriesInFile;
        std::vector<Step> steps;
    };
    const Run runs[] = {
        {"reaching the limit", 10, 0,
         {{.act = append(1, 9), .total = 9},
          {.act = append(10, 10), .total = 5, .shown = numbered(10, 6),
           .keys = {{"Common", "Log Total", "5"}, {"Log5", "Information", "e10"}, {"Log1", "Information", "e6"},
                    {"Log6", "Information", "e6"},      // left from before, ignored
                    {"Log10", "Information", "e10"}}},  // the new entry was written there first
          {.act = append(11, 11), .shown = numbered(11, 6), .keys = {{"Log6", "Information", "e11"}}}}},
        {"a file above the limit loads its newest entries and appends past them", 50, 80,
         {{.total = 80, .shown = numbered(80, 32)},
          {.act = append(81, 81), .shown = numbered(81, 77),
           .keys = {{"Log81", "Information", "e81"}, {"Log50", "Information", "e50"}, {"Common", "Log Total", "5"},
                    {"Log1", "Information", "e77"}, {"Log5", "Information", "e81"}}}}},
        {"raising the limit above a full file shows and keeps every entry", 50, 80,
         {{.act = limit(200), .shown = numbered(80, 1)},
          {.act = append(81, 81), .shown = numbered(81, 1), .keys = {{"Common", "Log Total", "81"}}}}},
        {"clearing empties the log but keeps the sections", 50, 0,
         {{.act = append(1, 3)},
          {.act = [](ActivityLog& log) { log.clearAll(); }, .total = 0, .shown = Infos{},
           .keys = {{"Common", "Log Total", "0"}, {"Log3", "Information", "e3"}}},
          {.act = append(4, 4), .shown = Infos{"e4"},
           .keys = {{"Common", "Log Total", "1"}, {"Log1", "Information", "e4"}}}}},
        {"a limit below six is raised to six", 1, 0,
         {{.gridRows = 7},
          {.act = append(1, 5), .total = 5},
          {.act = append(6, 6), .shown = numbered(6, 2)},
          // Five entries are held between appends, so every further append trims again.
          {.act = append(7, 7), .total = 5, .shown = numbered(7, 3)}}},
        {"a lower limit hides rows and trims at the next append", 50, 0,
         {{.act = append(1, 30)},
          {.act = limit(10), .total = 30, .gridRows = 11, .shown = numbered(30, 21),
           .keys = {{"Common", "Log Total", "30"}}},
          {.act = append(31, 31), .shown = numbered(31, 27), .keys = {{"Log31", "Information", "e31"}}}}},
    };
    for (const Run& run : runs) {
        std::filesystem::remove(file_);
        if (run.entriesInFile > 0) writeNumberedFile(run.entriesInFile);
        ActivityLog log(file_, run.limit, clock_);
        log.LoadLog();
        for (std::size_t i = 0; i < run.steps.size(); ++i) {
            const Step& step = run.steps[i];
            const std::string at = std::string(run.what) + ", step " + std::to_string(i + 1);
            if (step.act) step.act(log);
            EXPECT_EQ(log.total(), step.total.value_or(log.total())) << at;
            EXPECT_EQ(log.rowCount(), step.gridRows.value_or(log.rowCount())) << at;
            EXPECT_EQ(infos(log), step.shown.value_or(infos(log))) << at;
            for (const StoredKey& k : step.keys)
                EXPECT_EQ(stored(file_, k.section, k.key), k.value) << at << ": " << k.section << " " << k.key;
            // No empty entries are written.
            for (int row = 1; run.entriesInFile == 0 && row <= static_cast<int>(log.entries().size()); ++row)
                EXPECT_NE(log.cell(row, 0), "") << at << ", row " << row;
        }
        ActivityLog again(file_, log.limit(), clock_);
        again.LoadLog();
        EXPECT_EQ(infos(again), infos(log)) << run.what;
    }
}

TEST_F(ActivityLogTest, NegativeTotalIsAnEmptyLog) {
    dir_.write("log.txt", "[Common]\nLog Total=-3\n");
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    EXPECT_EQ(log.total(), 0);
    log.AppendLog(kBackup, kSucceeds, "p", "first");
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "1");
    EXPECT_EQ(stored(file_, "Log1", "Information"), "first");
    EXPECT_EQ(stored(file_, "Log-2", "Information"), "<absent>");
}

TEST_F(ActivityLogTest, MissingKeysOfAnEntryReadAsEmpty) {
    dir_.write("log.txt", "[Common]\nLog Total=2\n[Log2]\nStatus=Fails\n");
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    ASSERT_EQ(log.entries().size(), 2u);
    EXPECT_EQ(log.entries()[0], (LogEntry{"", "", "Fails", "", ""}));
    EXPECT_EQ(log.entries()[1], LogEntry{});
}

TEST_F(ActivityLogTest, BlankLogGridEmptiesTheRowsOnly) {
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    appendNumbered(log, 1, 2);
    log.BlankLogGrid();
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(log.total(), 2);
    EXPECT_EQ(log.cell(1, 4), "");
    EXPECT_EQ(log.cell(0, 0), "Date");
}

TEST_F(ActivityLogTest, GridCells) {
    ActivityLog log(file_, 10, clock_);
    log.LoadLog();
    struct Cell {
        int row, column;
        const char* text;
    };
    for (const Cell& c : {Cell{0, 0, "Date"}, Cell{0, 1, "Operation"}, Cell{0, 2, "Status"}, Cell{0, 3, "Project"},
                          Cell{0, 4, "Information"}, Cell{0, 5, ""}, Cell{-1, 0, ""}, Cell{11, 0, ""}})
        EXPECT_EQ(log.cell(c.row, c.column), c.text) << c.row << "," << c.column;
    EXPECT_FALSE(log.isAlertRow(0));
}

TEST_F(ActivityLogTest, OnlyExactFailureStatusesAreAlerts) {
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    log.AppendLog(kRestore, "fails", "p", "lower case");
    log.AppendLog(kBackup, kSucceeds, "p", "fine");
    log.AppendLog(kBackup, kInterrupt, "p", "exists");
    log.AppendLog(kRestore, kFails, "p", "password");
    EXPECT_TRUE(log.isAlertRow(1));
    EXPECT_TRUE(log.isAlertRow(2));
    EXPECT_FALSE(log.isAlertRow(3));
    EXPECT_FALSE(log.isAlertRow(4));
    EXPECT_FALSE(log.isAlertRow(5));
}

TEST_F(ActivityLogTest, RefusedAppendLeavesFileAndLogUnchanged) {
    const auto folder = dir_ / "app";
    std::filesystem::create_directory(folder);
    const auto file = folder / "log.txt";
    std::filesystem::copy_file(test::testData("ini/log.txt"), file);
    test::giveToNobody(folder);
    test::giveToNobody(file);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const std::string before = test::readFile(file);
    ActivityLog log(file, 50, clock_);
    log.LoadLog();
    const int status = test::runUnprivileged([&] {
        int result = 0;
        try {
            log.AppendLog(kBackup, kSucceeds, "p", "refused");
            result |= 1;
        } catch (const platform::IniWriteError& e) {
            if (std::string(e.what()) != "Unable to write to " + file.string()) result |= 2;
        }
        if (log.total() != 3 || log.entries().size() != 3 || log.cell(1, 4) != "E:\\mail.zip  20Kb") result |= 4;
        try {
            log.clearAll();
            result |= 8;
        } catch (const platform::IniWriteError&) {
        }
        if (log.total() != 3) result |= 16;
        return result;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

TEST_F(ActivityLogTest, RefusedTrimLeavesTheFileUnchanged) {
    const auto folder = dir_ / "app";
    std::filesystem::create_directory(folder);
    const auto file = folder / "log.txt";
    {
        ActivityLog setup(file, 10, clock_);
        setup.LoadLog();
        appendNumbered(setup, 1, 9);
    }
    test::giveToNobody(folder);
    test::giveToNobody(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    const std::string before = test::readFile(file);
    ActivityLog log(file, 10, clock_);
    log.LoadLog();
    const int status = test::runUnprivileged([&] {
        try {
            log.AppendLog(kBackup, kSucceeds, "p", "e10");
        } catch (const platform::IniWriteError&) {
            return log.total() == 9 && log.entries().size() == 9 ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(file), before);
}
