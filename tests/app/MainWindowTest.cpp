// The main window driven as its user drives it, on real settings files in a scratch
// folder: the states, a project loaded, edited, saved and cancelled, a backup from the
// start button to a checked archive, a timer start, the tray's project items, closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "app/BackupPageWidgets.h"
#include "app/PreferencesDialog.h"
#include "platform/IniFile.h"
#include "WindowFixture.h"

using namespace zb;

namespace {

using test::readFile;

using MainWindowTest = test::WindowFixture;

TEST_F(MainWindowTest, ViewEditAndBusyStatesCompose) {
    addProject("Docs");
    auto w = open();
    struct Case {
        bool view, idle;
        bool projectTools, start, saveCancel, groups, pages, trayItems;
    };
    const Case cases[] = {
        {true, true, true, true, false, false, true, true},
        {false, true, false, false, true, true, true, false},
        {true, false, false, false, false, false, false, false},
        {false, false, false, false, true, false, false, false},
    };
    for (const Case& c : cases) {
        w->SetViewState(c.view);
        w->SetIdleState(c.idle);
        const std::string at = std::string(c.view ? "view" : "edit") + (c.idle ? "/idle" : "/busy");
        for (QWidget* tool : {static_cast<QWidget*>(w->comboProject), static_cast<QWidget*>(w->SpRename),
                              static_cast<QWidget*>(w->SpNew), static_cast<QWidget*>(w->SpEdit),
                              static_cast<QWidget*>(w->SpDelete)})
            EXPECT_EQ(tool->isEnabled(), c.projectTools) << at << " " << tool->objectName().toStdString();
        EXPECT_EQ(w->menuPreferences->isEnabled(), c.projectTools) << at;
        EXPECT_EQ(w->SpStart->isEnabled(), c.start) << at;
        EXPECT_EQ(w->SpRestore->isEnabled(), c.start) << at;
        EXPECT_EQ(w->SpSave->isEnabled(), c.saveCancel) << at;
        EXPECT_EQ(w->SpCancel->isEnabled(), c.saveCancel) << at;
        EXPECT_EQ(w->backupPage->GroupSource->isEnabled(), c.groups) << at;
        EXPECT_EQ(w->backupPage->GroupSche->isEnabled(), c.groups) << at;
        EXPECT_EQ(w->PageControl1->isEnabled(), c.pages) << at;
        EXPECT_EQ(w->RxTrayIcon1->menuBackup()->actions().at(0)->isEnabled(), c.trayItems) << at;
        EXPECT_EQ(w->ButtonCancelRun->isVisibleTo(w.get()), !c.idle) << at;
    }
    w->SetIdleState(true);
}

TEST_F(MainWindowTest, EditOnlyWithAProject) {
    auto w = open();
    w->SpEditClick();
    EXPECT_TRUE(w->isViewState());
    EXPECT_FALSE(w->SpSave->isEnabled());
}

TEST_F(MainWindowTest, LoadEditSaveAndCancel) {
    addProject("Docs");
    auto w = open();
    app::BackupPageWidgets& p = *w->backupPage;
    const std::string folder = archives.string() + "/";
    EXPECT_EQ(w->comboProject->currentText(), QStringLiteral("Docs"));
    EXPECT_EQ(p.EditPrefix->text(), QStringLiteral("Docs"));
    EXPECT_EQ(p.rxSpinvalue->value(), 1);
    EXPECT_EQ(p.EditFilename->text().toStdString(), folder + "Docs1.zip");

    w->SpEditClick();
    EXPECT_EQ(p.ListboxBackup->currentRow(), 0);
    p.EditPrefix->selectAll();
    QTest::keyClicks(p.EditPrefix, QStringLiteral("papers"));
    EXPECT_EQ(p.EditFilename->text().toStdString(), folder + "papers1.zip");
    p.rxSpinvalue->setValue(5);
    EXPECT_EQ(p.EditFilename->text().toStdString(), folder + "papers5.zip");
    w->SpSaveClick();
    EXPECT_TRUE(w->isViewState());
    const store::ProjectRecord saved = store::ProjectStore(ini).loadProject("Docs");
    EXPECT_EQ(saved.filenamePrefix, "papers");
    EXPECT_EQ(saved.value, 4);  // the shown number minus the step

    w->SpEditClick();
    p.EditPrefix->selectAll();
    QTest::keyClicks(p.EditPrefix, QStringLiteral("scratch"));
    p.ListboxBackup->clear();
    w->SpCancelClick();
    EXPECT_TRUE(w->isViewState());
    EXPECT_EQ(p.EditPrefix->text(), QStringLiteral("papers"));
    EXPECT_EQ(p.ListboxBackup->count(), 1);
    EXPECT_EQ(p.rxSpinvalue->value(), 5);
}

TEST_F(MainWindowTest, SaveRefusedByTheFieldCheckKeepsTheEditState) {
    addProject("Docs");
    auto w = open();
    w->SpEditClick();
    w->backupPage->ListboxBackup->clear();
    w->SpSaveClick();
    EXPECT_FALSE(w->isViewState());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Please select files to backup"));
    EXPECT_EQ(store::ProjectStore(ini).loadProject("Docs").includeLines.size(), 1u);
}

TEST_F(MainWindowTest, BackupFromTheStartButton) {
    addProject("Docs");
    auto w = open();
    const backup::BackupResult result = w->SpStartClick();
    ASSERT_EQ(result.outcome, backup::BackupOutcome::Succeeded) << result.error;
    const std::filesystem::path archive = archives / "Docs1.zip";
    ASSERT_TRUE(std::filesystem::exists(archive));
    const std::string check = "unzip -tq '" + archive.string() + "' > /dev/null";
    EXPECT_EQ(std::system(check.c_str()), 0);

    ASSERT_FALSE(w->activityLog().entries().empty());
    EXPECT_EQ(w->activityLog().cell(1, 1), "Backup");
    EXPECT_EQ(w->activityLog().cell(1, 2), "Succeeds");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].timed);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("Backup Files Succeeds!\r")));

    EXPECT_EQ(w->backupPage->rxSpinvalue->value(), 2);
    EXPECT_EQ(w->backupPage->EditFilename->text().toStdString(), (archives / "Docs2.zip").string());
    EXPECT_TRUE(w->isIdle());
    EXPECT_EQ(w->ProgressBar1->value(), 0);
    EXPECT_FALSE(w->ButtonCancelRun->isVisibleTo(w.get()));
}

// Enough data for the run to report progress several times, so the tests can act in
// the middle of it as a user would.
void writeManyFiles(test::TempDir& dir) {
    std::string block;
    for (int i = 0; i < 200000; ++i) block += static_cast<char>('a' + (i * 7919) % 26);
    for (int i = 0; i < 40; ++i) dir.write("sources/big" + std::to_string(i) + ".txt", block);
}

TEST_F(MainWindowTest, CancelStopsTheRunningBackupAndClosingDuringARunAsksFirst) {
    writeManyFiles(dir);
    addProject("Docs");
    auto w = open();
    bool clicked = false;
    const QMetaObject::Connection cancelling = QObject::connect(w->ProgressBar1, &QProgressBar::valueChanged, [&](int value) {
        if (value <= 0 || clicked) return;
        clicked = true;
        EXPECT_TRUE(w->ButtonCancelRun->isVisibleTo(w.get()));
        EXPECT_FALSE(w->SpStart->isEnabled());
        w->ButtonCancelRun->click();
    });
    const backup::BackupResult cancelled = w->SpStartClick();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(cancelled.outcome, backup::BackupOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(archives / "Docs1.zip"));
    EXPECT_EQ(w->activityLog().cell(1, 2), "Interrupt");
    EXPECT_EQ(w->backupPage->rxSpinvalue->value(), 1);
    EXPECT_TRUE(w->isIdle());

    // Closing mid-run: the question first; Yes stops the run and then closes.
    clicked = false;
    QSignalSpy closed(w.get(), &app::MainWindow::windowClosed);
    QObject::disconnect(cancelling);
    QObject::connect(w->ProgressBar1, &QProgressBar::valueChanged, [&](int value) {
        if (value <= 0 || clicked) return;
        clicked = true;
        EXPECT_FALSE(w->close());
    });
    dialogs.questions.clear();
    EXPECT_EQ(w->SpStartClick().outcome, backup::BackupOutcome::Cancelled);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(closed.count() == 1 || closed.wait(5000));
    EXPECT_EQ(platform::IniFile(ini).readString("Common", "Last Project", ""), "Docs");
}

TEST_F(MainWindowTest, DueProjectStartsAtTheTickWithoutTheQuestion) {
    addProject("Nightly", store::kModeDailyOnce, "09:00:00");
    {
        platform::IniFile file(ini);
        file.writeBool("Common", "PromptBeforeBackup", true);
        file.save();
    }
    auto w = open();
    EXPECT_TRUE(w->Timer1.isActive());
    EXPECT_EQ(w->Timer1.interval(), 50000);
    w->Timer1Timer();
    EXPECT_TRUE(std::filesystem::exists(archives / "Nightly1.zip"));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(w->preferences().askBeforeBackup);

    // Started by the user, the same project asks first; No starts nothing.
    dialogs.answers = {false};
    w->SpStartClick();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(archives / "Nightly2.zip"));

    // Nothing starts while the project is edited.
    clock.set(clock.now() + 2);
    w->SpEditClick();
    w->Timer1Timer();
    EXPECT_FALSE(std::filesystem::exists(archives / "Nightly2.zip"));
}

TEST_F(MainWindowTest, TraySubmenuFollowsAddRenameAndDelete) {
    addProject("Beta");
    auto w = open();
    EXPECT_EQ(trayItems(*w), QStringList{QStringLiteral("Beta")});

    store::ProjectRecord record = store::newProjectRecord();
    record.filenamePrefix = "alpha";
    record.includeLines = {"/tmp/*.*"};
    record.backupMode = store::kModeEveryMinutes;
    record.scheduleText = "30";
    w->projectStore().createProject("Alpha", record, w->projectList());
    w->projectListChanged(QStringLiteral("Alpha"));
    EXPECT_EQ(trayItems(*w), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta")}));
    EXPECT_FALSE(w->RxTrayIcon1->menuBackup()->actions().at(0)->icon().isNull());
    EXPECT_TRUE(w->RxTrayIcon1->menuBackup()->actions().at(1)->icon().isNull());
    EXPECT_EQ(w->comboProject->currentText(), QStringLiteral("Alpha"));

    backup::BackupPage page = w->backupPageModel();
    const store::RenameResult renamed =
        w->projectStore().renameProject("Alpha", "Gamma", page.record, page.archiveName, w->projectList());
    ASSERT_EQ(renamed.outcome, store::RenameOutcome::Renamed) << renamed.message;
    w->projectListChanged(QStringLiteral("Gamma"));
    EXPECT_EQ(trayItems(*w), (QStringList{QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    EXPECT_FALSE(w->RxTrayIcon1->menuBackup()->actions().at(1)->icon().isNull());

    w->SpDeleteClick();  // Gamma is selected; the question is answered Yes
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], QStringLiteral("Do you want to delete 'Gamma' project?"));
    EXPECT_EQ(trayItems(*w), QStringList{QStringLiteral("Beta")});
    EXPECT_FALSE(w->Timer1.isActive());
}

TEST_F(MainWindowTest, TrayItemStartsThatProjectAfterTheQuestion) {
    addProject("Alpha");
    addProject("Beta");
    auto w = open();
    w->preferences().askBeforeBackup = true;
    w->RxTrayIcon1->menuBackup()->actions().at(1)->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], QStringLiteral("Do you want to backup the project 'Beta'?"));
    EXPECT_EQ(w->comboProject->currentText(), QStringLiteral("Beta"));
    EXPECT_TRUE(std::filesystem::exists(archives / "Beta1.zip"));
    EXPECT_FALSE(std::filesystem::exists(archives / "Alpha1.zip"));
}

TEST_F(MainWindowTest, ClosingWritesThePreferencesAndTheList) {
    addProject("Docs");
    auto w = open();
    w->preferences().padNumber = true;
    w->preferences().logCount = 120;
    w->close();
    platform::IniFile file(ini);
    EXPECT_EQ(file.readString("Common", "Is Append 0", ""), "1");
    EXPECT_EQ(file.readString("Common", "Log Count", ""), "120");
    EXPECT_EQ(file.readString("Common", "Last Project", ""), "Docs");
    EXPECT_EQ(file.readString("Common", "Project Count", ""), "1");
}

TEST_F(MainWindowTest, ClosingWithNoProjectLeavesTheFileUntouched) {
    dir.write("settings/project.ini", "[Common]\r\nPromptBeforeBackup=0\r\n");
    const std::string before = readFile(ini);
    auto w = open();
    w->preferences().askBeforeBackup = true;
    w->close();
    EXPECT_EQ(readFile(ini), before);
}

TEST_F(MainWindowTest, PreferencesApplyAndClose) {
    addProject("Docs");
    auto w = open();
    dialogs.onExec = [](QDialog& d) {
        auto& prefs = dynamic_cast<app::PreferencesDialog&>(d);
        EXPECT_FALSE(prefs.cbMini->isEnabled());
        prefs.cbprompt->setChecked(true);
        prefs.LogSpinEdit->setValue(10);
        prefs.cbRun->setChecked(true);
        EXPECT_TRUE(prefs.cbMini->isEnabled());
        prefs.cbMini->setChecked(true);
        prefs.btnApply->click();
        return d.result();
    };
    w->menuPreferencesClick();
    EXPECT_TRUE(w->preferences().askBeforeBackup);
    EXPECT_EQ(w->activityLog().rowCount(), 11);
    const store::StartupKeys keys = w->preferencesStore().readStartupKeys();
    EXPECT_TRUE(keys.autoRun);
    EXPECT_TRUE(keys.isMinimized);
    EXPECT_TRUE(std::filesystem::exists(dir / "config" / "autostart"));

    dialogs.onExec = [](QDialog& d) {
        auto& prefs = dynamic_cast<app::PreferencesDialog&>(d);
        EXPECT_TRUE(prefs.cbRun->isChecked());
        prefs.cbprompt->setChecked(false);
        prefs.cbRun->setChecked(false);
        prefs.btnClose->click();
        return d.result();
    };
    w->menuPreferencesClick();
    EXPECT_TRUE(w->preferences().askBeforeBackup);
    EXPECT_TRUE(w->preferencesStore().readStartupKeys().autoRun);
}

}  // namespace
