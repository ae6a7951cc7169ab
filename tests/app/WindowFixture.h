// A main window on a scratch settings folder, started as the program starts it: the
// runtime and config folders are the test's own, the clock stands on Thursday
// 2024-03-07 10:00:00 and every dialog goes through the scripted service. Projects are
// written through the store before the window opens, as a user's earlier run left them.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "ScriptedDialogs.h"
#include "store/ProjectStore.h"
#include "support/TempDir.h"

namespace zb::test {

class WindowFixture : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dialogs;
    platform::ManualClock clock{platform::encodeDateTime({2024, 3, 7, 10, 0, 0, 0})};
    std::filesystem::path appDir = dir / "settings", archives = dir / "archives", sources = dir / "sources";
    std::filesystem::path ini = appDir / "project.ini";

    WindowFixture() {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        std::filesystem::create_directories(appDir);
        std::filesystem::create_directories(archives);
        dir.write("sources/a.txt", std::string(5000, 'a'));
        dir.write("sources/b.txt", "hello, world\n");
    }
    ~WindowFixture() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    // A project that packs every file of `sources` into `archives`, named by its prefix.
    void addProject(const std::string& name, int mode = store::kModeNone, const std::string& scheduleText = {}) {
        store::ProjectStore projects(ini);
        store::ProjectList list = projects.readProjectList();
        store::ProjectRecord record = store::newProjectRecord();
        record.filenamePrefix = name;
        record.savePath = archives.string();
        record.includeLines = {(sources / "*.*").string()};
        record.usePassword = false;
        record.backupMode = mode;
        record.scheduleText = scheduleText;
        projects.createProject(name, record, list);
    }

    std::unique_ptr<app::MainWindow> open() {
        return std::make_unique<app::MainWindow>(app::AppEnvironment{appDir, clock, dialogs, "/usr/bin/zipbackup"});
    }

    // The project items of the tray's "Backup" submenu, top to bottom.
    static QStringList trayItems(app::MainWindow& w) {
        QStringList names;
        for (QAction* a : w.RxTrayIcon1->menuBackup()->actions()) names << a->text();
        return names;
    }
};

}  // namespace zb::test
