// A small world for backup-run tests: a settings folder with "project.ini" and
// "log.txt", a tree of source files, a save folder, a fixed clock and date format, the
// scripted user, and helpers to make a project and back it up as the page would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "backup/BackupRun.h"
#include "log/ActivityLog.h"
#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "store/ProjectStore.h"
#include "support/FixedFormats.h"
#include "support/FakeUi.h"
#include "support/ProjectMaker.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"

namespace zb::backup::test {

using zb::test::FakeUi;

class BackupBench : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
        std::filesystem::create_directories(appDir());
        std::filesystem::create_directories(saveDir());
        dir.write("src/a.txt", "alpha\n");
        dir.write("src/sub/b.txt", std::string(5000, 'b'));
        dir.write("src/sub/deeper/c.bin", std::string("\0\1\2\3", 4));
        log.LoadLog();
    }

    std::filesystem::path appDir() const { return dir / "app"; }
    std::filesystem::path saveDir() const { return dir / "save"; }
    std::filesystem::path srcDir() const { return dir / "src"; }
    std::string iniPath() const { return (appDir() / "project.ini").string(); }
    std::string logPath() const { return (appDir() / "log.txt").string(); }

    // A project backing up the source tree into the save folder with a number suffix.
    void makeProject(const std::string& name,
                     const std::function<void(store::ProjectRecord&)>& adjust = {}) {
        zb::test::addTestProject(store, name, saveDir().string(), (srcDir() / "*.*").string(), adjust);
    }

    BackupPage load(const std::string& name) { return LoadBackupPage(store, name, prefs, clock); }

    BackupResult backup(BackupPage& page) {
        BackupServices services{ui, clock, store, log, &cancel};
        return SpStartClick(page, prefs, services);
    }
    BackupResult backup(const std::string& name) {
        auto page = load(name);
        return backup(page);
    }

    std::string logKey(int n, const char* key) const {
        return platform::IniFile(logPath()).readString("Log" + std::to_string(n), key, "<none>");
    }
    int logTotal() const { return platform::IniFile(logPath()).readInteger("Common", "Log Total", 0); }
    std::string projectKey(const std::string& section, const char* key) const {
        return platform::IniFile(iniPath()).readString(section, key, "<none>");
    }

    // Names of the members as a peer tool lists them, one a line.
    static std::string peerMembers(const std::string& archive) {
        return zb::test::runCommand("unzip -Z1 " + zb::test::shellQuote(archive) + " 2>&1").output;
    }
    static bool peerTestsOk(const std::string& archive, const std::string& password = "") {
        std::string cmd = "unzip -tqq ";
        if (!password.empty()) cmd += "-P " + zb::test::shellQuote(password) + " ";
        return zb::test::runCommand(cmd + zb::test::shellQuote(archive) + " >/dev/null 2>&1").exitCode == 0;
    }
    // Files of a folder by name, sorted.
    static std::vector<std::string> folderNames(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    zb::test::TempDir dir;
    platform::ManualClock clock{platform::encodeDate(2024, 3, 20) + platform::encodeTime(14, 5, 9)};
    store::ProjectStore store{appDir() / "project.ini"};
    store::Preferences prefs;
    activitylog::ActivityLog log{appDir() / "log.txt", 50, clock};
    FakeUi ui;
    platform::CancelRequest cancel;  // the window's "Cancel"
};

}  // namespace zb::backup::test
