// The activity log: loading the shipped file, appending, the trim on reaching the limit,
// clearing, bounds of the limit, the grid's cells, and writes the system refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

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

    TempDir dir_;
    std::filesystem::path file_ = dir_ / "log.txt";
    platform::ManualClock clock_{platform::encodeDateTime({2025, 3, 7, 14, 5, 9, 0})};

private:
    platform::FormatSettings saved_;
};

using Infos = std::vector<std::string>;

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

TEST_F(ActivityLogTest, ReachingTheLimitKeepsTheFiveNewest) {
    ActivityLog log(file_, 10, clock_);
    log.LoadLog();
    appendNumbered(log, 1, 9);
    EXPECT_EQ(log.total(), 9);
    appendNumbered(log, 10, 10);
    EXPECT_EQ(log.total(), 5);
    EXPECT_EQ(infos(log), (Infos{"e10", "e9", "e8", "e7", "e6"}));
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "5");
    EXPECT_EQ(stored(file_, "Log5", "Information"), "e10");
    EXPECT_EQ(stored(file_, "Log1", "Information"), "e6");
    EXPECT_EQ(stored(file_, "Log6", "Information"), "e6");    // left from before, ignored
    EXPECT_EQ(stored(file_, "Log10", "Information"), "e10");  // the new entry was written there first
    appendNumbered(log, 11, 11);
    EXPECT_EQ(infos(log), (Infos{"e11", "e10", "e9", "e8", "e7", "e6"}));
    EXPECT_EQ(stored(file_, "Log6", "Information"), "e11");
}

TEST_F(ActivityLogTest, FileAboveTheLimitLoadsItsNewestEntriesAndAppendsPastThem) {
    {
        platform::IniFile ini(file_);
        ini.writeInteger("Common", "Log Total", 80);
        for (int n = 1; n <= 80; ++n) ini.writeString("Log" + std::to_string(n), "Information", "e" + std::to_string(n));
        ini.save();
    }
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    EXPECT_EQ(log.total(), 80);
    ASSERT_EQ(log.entries().size(), 49u);
    EXPECT_EQ(log.cell(1, 4), "e80");
    EXPECT_EQ(log.cell(49, 4), "e32");
    log.AppendLog(kBackup, kSucceeds, "p", "new");
    EXPECT_EQ(stored(file_, "Log81", "Information"), "new");
    EXPECT_EQ(stored(file_, "Log50", "Information"), "e50");
    EXPECT_EQ(infos(log), (Infos{"new", "e80", "e79", "e78", "e77"}));
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "5");
    EXPECT_EQ(stored(file_, "Log1", "Information"), "e77");
    EXPECT_EQ(stored(file_, "Log5", "Information"), "new");
}

TEST_F(ActivityLogTest, RaisingTheLimitAboveAFullFileShowsAndKeepsEveryEntry) {
    {
        platform::IniFile ini(file_);
        ini.writeInteger("Common", "Log Total", 80);
        for (int n = 1; n <= 80; ++n) ini.writeString("Log" + std::to_string(n), "Information", "e" + std::to_string(n));
        ini.save();
    }
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    log.setLimit(200);
    ASSERT_EQ(log.entries().size(), 80u);
    EXPECT_EQ(log.cell(80, 4), "e1");
    log.AppendLog(kBackup, kSucceeds, "p", "new");
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "81");
    // The next start sees every entry, the old ones untouched.
    ActivityLog again(file_, 200, clock_);
    again.LoadLog();
    ASSERT_EQ(again.entries().size(), 81u);
    EXPECT_EQ(again.cell(1, 4), "new");
    EXPECT_EQ(again.cell(2, 4), "e80");
    EXPECT_EQ(again.cell(32, 4), "e50");
    EXPECT_EQ(again.cell(81, 4), "e1");
}

TEST_F(ActivityLogTest, ClearingEmptiesTheLogButKeepsTheSections) {
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    appendNumbered(log, 1, 3);
    log.clearAll();
    EXPECT_EQ(log.total(), 0);
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "0");
    EXPECT_EQ(stored(file_, "Log3", "Information"), "e3");
    appendNumbered(log, 4, 4);
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "1");
    EXPECT_EQ(stored(file_, "Log1", "Information"), "e4");
    EXPECT_EQ(infos(log), (Infos{"e4"}));
}

TEST_F(ActivityLogTest, LimitBelowSixIsRaisedToSix) {
    EXPECT_EQ(boundedLogLimit(1), 6);
    EXPECT_EQ(boundedLogLimit(-7), 6);
    EXPECT_EQ(boundedLogLimit(6), 6);
    EXPECT_EQ(boundedLogLimit(200), 200);
    EXPECT_EQ(boundedLogLimit(1 << 30), kMaxLogLimit);
    ActivityLog log(file_, 1, clock_);
    log.LoadLog();
    EXPECT_EQ(log.rowCount(), 7);
    appendNumbered(log, 1, 5);
    EXPECT_EQ(log.total(), 5);
    appendNumbered(log, 6, 6);
    EXPECT_EQ(infos(log), (Infos{"e6", "e5", "e4", "e3", "e2"}));
    // Five entries are held between appends, so every further append trims again.
    appendNumbered(log, 7, 7);
    EXPECT_EQ(infos(log), (Infos{"e7", "e6", "e5", "e4", "e3"}));
    EXPECT_EQ(log.total(), 5);
    for (int row = 1; row <= 5; ++row) EXPECT_NE(log.cell(row, 0), "");  // no empty entries written
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

TEST_F(ActivityLogTest, LowerLimitHidesRowsAndTrimsAtTheNextAppend) {
    ActivityLog log(file_, 50, clock_);
    log.LoadLog();
    appendNumbered(log, 1, 30);
    log.setLimit(10);
    EXPECT_EQ(log.rowCount(), 11);
    EXPECT_EQ(log.entries().size(), 10u);
    EXPECT_EQ(log.total(), 30);
    EXPECT_EQ(stored(file_, "Common", "Log Total"), "30");
    appendNumbered(log, 31, 31);
    EXPECT_EQ(stored(file_, "Log31", "Information"), "e31");
    EXPECT_EQ(infos(log), (Infos{"e31", "e30", "e29", "e28", "e27"}));
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
    EXPECT_EQ(log.cell(0, 0), "Date");
    EXPECT_EQ(log.cell(0, 1), "Operation");
    EXPECT_EQ(log.cell(0, 2), "Status");
    EXPECT_EQ(log.cell(0, 3), "Project");
    EXPECT_EQ(log.cell(0, 4), "Information");
    EXPECT_EQ(log.cell(0, 5), "");
    EXPECT_EQ(log.cell(-1, 0), "");
    EXPECT_EQ(log.cell(11, 0), "");
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
