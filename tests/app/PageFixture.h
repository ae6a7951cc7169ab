// A main window on a scratch settings folder with one project "Docs" whose save folder
// receives archives made by Info-ZIP's zip, for the tests of the pages "Restore" and
// "Log". Its dialog service also records question captions and can answer by text.
#pragma once

#include <gtest/gtest.h>

#include <QTabWidget>
#include <cstdlib>
#include <functional>
#include <optional>

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
    std::vector<QString> captions;
    std::function<std::optional<bool>(const QString&)> decide = [](const QString&) { return std::nullopt; };
    bool question(QWidget* parent, platform::MessageKind kind, const QString& caption, const QString& text) override {
        captions.push_back(caption);
        if (const auto answer = decide(text)) return questions.push_back(text), *answer;
        return ScriptedDialogs::question(parent, kind, caption, text);
    }
};

class PageFixture : public ::testing::Test {
protected:
    TempDir dir;
    CaptionDialogs dialogs;
    platform::ManualClock clock{platform::encodeDateTime({2024, 3, 7, 10, 0, 0, 0})};
    std::filesystem::path appDir = dir / "settings", archives = dir / "archives", out = dir / "out";
    std::vector<std::string> opened;

    PageFixture() {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        for (const auto& folder : {appDir, archives, out}) std::filesystem::create_directories(folder);
        dir.write("src/a.txt", "alpha\n");
        dir.write("src/sub/b.txt", std::string(3000, 'b'));
        store::ProjectStore projects(appDir / "project.ini");
        store::ProjectList list;
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

    void makeArchive(const std::string& name, const std::string& options = "") {
        const auto r = runCommand("cd " + shellQuote((dir / "src").string()) + " && zip -qr " + options + " " +
                                  shellQuote((archives / name).string()) + " . 2>&1");
        EXPECT_EQ(r.exitCode, 0) << r.output;
    }
    std::unique_ptr<app::MainWindow> open(app::DialogService* service = nullptr) {
        auto w = std::make_unique<app::MainWindow>(
            app::AppEnvironment{appDir, clock, service ? *service : dialogs, "/usr/bin/zipbackup"});
        w->restorePage->openArchive = [this](const std::string& path) { opened.push_back(path); };
        w->PageControl1->setCurrentIndex(app::MainWindow::kPageRestore);
        return w;
    }
    int logTotal() const { return platform::IniFile(appDir / "log.txt").readInteger("Common", "Log Total", 0); }
};

}  // namespace zb::test
