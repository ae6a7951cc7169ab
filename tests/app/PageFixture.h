// A main window on a scratch settings folder with one project "Docs" whose save folder
// holds archives made by Info-ZIP's zip, for the tests of the pages "Restore" and "Log".
// Its dialog service records the caption of every question as well.
#pragma once

#include <gtest/gtest.h>

#include <QTabWidget>
#include <cstdlib>
#include <functional>
#include <optional>
#include <memory>

#include "app/MainWindow.h"
#include "app/RestorePage.h"
#include "platform/IniFile.h"
#include "ScriptedDialogs.h"
#include "store/ProjectStore.h"
#include "support/ShellCommand.h"
#include "support/TempDir.h"

namespace zb::test {

class CaptionDialogs : public ScriptedDialogs {
public:
    std::vector<QString> questionCaptions;
    // Answers a question by its text when it gives an answer; the script otherwise.
    std::function<std::optional<bool>(const QString&)> decide = [](const QString&) { return std::nullopt; };
    bool question(QWidget* parent, platform::MessageKind kind, const QString& caption, const QString& text) override {
        questionCaptions.push_back(caption);
        if (const auto answer = decide(text)) {
            questions.push_back(text);
            return *answer;
        }
        return ScriptedDialogs::question(parent, kind, caption, text);
    }
};

class PageFixture : public ::testing::Test {
protected:
    TempDir dir;
    CaptionDialogs dialogs;
    platform::ManualClock clock{platform::encodeDateTime({2024, 3, 7, 10, 0, 0, 0})};
    std::filesystem::path appDir = dir / "settings";
    std::filesystem::path archives = dir / "archives";
    std::filesystem::path out = dir / "out";

    PageFixture() {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        std::filesystem::create_directories(appDir);
        std::filesystem::create_directories(archives);
        std::filesystem::create_directories(out);
        dir.write("src/a.txt", "alpha\n");
        dir.write("src/sub/b.txt", std::string(3000, 'b'));
        store::ProjectStore projects(appDir / "project.ini");
        store::ProjectList list = projects.readProjectList();
        store::ProjectRecord record = store::newProjectRecord();
        record.filenamePrefix = "Docs";
        record.savePath = archives.string();
        record.includeLines = {(dir / "src" / "*.*").string()};
        record.usePassword = false;
        projects.createProject("Docs", record, list);
    }
    ~PageFixture() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    // An archive of the source tree in the save folder; `options` go to zip.
    std::filesystem::path makeArchive(const std::string& name, const std::string& options = "") {
        const std::filesystem::path archive = archives / name;
        const auto r = runCommand("cd " + shellQuote((dir / "src").string()) + " && zip -qr " + options + " " +
                                  shellQuote(archive.string()) + " . 2>&1");
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return archive;
    }

    std::unique_ptr<app::MainWindow> open() {
        auto w = std::make_unique<app::MainWindow>(app::AppEnvironment{appDir, clock, dialogs, "/usr/bin/zipbackup"});
        w->restorePage->openArchive = [this](const std::string& path) { opened.push_back(path); };
        return w;
    }
    static void enterRestore(app::MainWindow& w) { w.PageControl1->setCurrentIndex(app::MainWindow::kPageRestore); }

    std::string logKey(int n, const char* key) const {
        return platform::IniFile(appDir / "log.txt").readString("Log" + std::to_string(n), key, "<none>");
    }
    int logTotal() const { return platform::IniFile(appDir / "log.txt").readInteger("Common", "Log Total", 0); }

    std::vector<std::string> opened;
};

}  // namespace zb::test
