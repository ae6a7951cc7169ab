// TFormMain, the program as its user sees it: the toolbar with the project box, the
// pages "Backup ", "Restore" and "Log", the progress bar with its "Cancel" button, the
// notification-area icon and the schedule timer. It owns the program-wide state (the
// preferences held in memory, the project list, the activity log, the schedule table)
// and hands the rules to the core; the pages "Restore" and "Log" and the dialogs are
// built in their own files on the hooks below.
#pragma once

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "app/QtUi.h"
#include "backup/BackupOutcome.h"
#include "backup/BackupPage.h"
#include "backup/ScheduleEntry.h"
#include "backup/ScheduleHost.h"
#include "log/ActivityLog.h"
#include "platform/CancelRequest.h"
#include "platform/DateTime.h"
#include "store/Preferences.h"
#include "shell/WindowState.h"
#include "store/ProjectStore.h"

class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace zb::app {

class BackupPageWidgets;
class DialogService;
class LogPage;
class RestorePage;
class TrayIcon;

struct AppEnvironment {
    std::filesystem::path appDir;  // where "project.ini" and "log.txt" are
    const platform::Clock& clock;
    DialogService& dialogs;
    std::string executablePath;    // what the desktop start-up entry runs
};

class MainWindow : public QWidget, private backup::ScheduleHost {
    Q_OBJECT
public:
    explicit MainWindow(AppEnvironment env, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The page indexes of PageControl1.
    enum Page { kPageBackup = 0, kPageRestore = 1, kPageLog = 2 };

    // Brings the window back from the notification area or from minimised, raised and
    // activated: what "Open Main Window" and a second start of the program do.
    void OpenMainWindow1Click();

    // Hooks for the pages and dialogs built on this window.
    QWidget* TabRestore() const { return tabRestore_; }
    QWidget* TabSheet1() const { return tabLog_; }
    DialogService& dialogs() { return env_.dialogs; }
    platform::Ui& ui() { return *ui_; }
    const platform::Clock& clock() const { return env_.clock; }
    store::Preferences& preferences() { return prefs_; }
    const store::ProjectStore& projectStore() const { return projects_; }
    const store::PreferencesStore& preferencesStore() const { return prefsStore_; }
    activitylog::ActivityLog& activityLog() { return log_; }
    store::ProjectList& projectList() { return list_; }
    const backup::BackupPage& backupPageModel() const { return page_; }
    bool isIdle() const { return state_.idle; }
    bool isViewState() const { return state_.viewing; }
    // Re-reads the project list from the file and selects `name` (or what the file says).
    void reloadProjectList(const QString& select = QString());
    // After the project list changed through the core: the project box, the tray
    // submenu and the schedules follow it, and the selected project is loaded.
    void projectListChanged(const QString& select);
    // Busy while a backup or restore runs; "Cancel" (or Escape) sets the request that a
    // run started from this window looks at.
    void SetIdleState(bool idle);
    platform::CancelRequest& cancelRequest() { return cancel_; }

    // The controls, named as the program's rules name them.
    QComboBox* comboProject = nullptr;
    QToolButton* SpRename = nullptr;
    QToolButton* SpNew = nullptr;
    QToolButton* SpEdit = nullptr;
    QToolButton* SpDelete = nullptr;
    QToolButton* SpSave = nullptr;
    QToolButton* SpCancel = nullptr;
    QToolButton* SpMenu = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpStart = nullptr;
    QToolButton* SpRestore = nullptr;
    QToolButton* SpExit = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* menuPreferences = nullptr;
    QAction* Help1 = nullptr;
    QAction* About1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    BackupPageWidgets* backupPage = nullptr;
    RestorePage* restorePage = nullptr;
    LogPage* logPage = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* ButtonCancelRun = nullptr;
    TrayIcon* RxTrayIcon1 = nullptr;
    QTimer Timer1;

    // The actions, callable by the tests as the buttons call them.
    void comboProjectChange();
    void SetViewState(bool view);
    void SpEditClick();
    void SpCancelClick();
    void SpSaveClick();
    void SpDeleteClick();
    backup::BackupResult SpStartClick();
    void Timer1Timer();
    void trayBackupClick(const QString& name);
    void menuPreferencesClick();
    void About1Click();
    void SpSelectDirectoryClick();
    void BuildTrayBackupMenu();
    void RebuildSchedule();
    const backup::Schedules& schedules() const { return schedules_; }

signals:
    void restoreRequested();      // SpRestore
    void newProjectRequested();   // SpNew, after the page "Backup " is shown
    void renameRequested();       // SpRename
    void pageEntered(int index);  // the user or a run switched pages
    void logChanged();            // an entry was appended
    void preferencesChanged();    // the preferences dialog closed with OK
    void windowClosed();          // the window closed and wrote its settings

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildToolbar();
    void buildPages();
    QWidget* buildProgressRow();
    void FormCreate();
    void LoadSettings();
    void FormClose();
    void applyStates();
    void updateArchiveName();
    void cancelRun();
    void suffixClicked(backup::ArchiveSuffix suffix);
    void scheduleKindClicked(backup::ScheduleKind kind);
    QString currentProject() const;
    bool isScheduled(const QString& name) const;
    void ApplicationEvents1Minimize();
    void showError(const QString& text);

    // The schedule tick's view of the window.
    bool isEditing() const override { return !state_.viewing; }
    bool isBusy() const override { return !state_.idle; }
    bool selectProject(const std::string& name) override;
    bool askBeforeBackup() const override { return prefs_.askBeforeBackup; }
    void setAskBeforeBackup(bool on) override { prefs_.askBeforeBackup = on; }
    bool startBackup() override;

    AppEnvironment env_;
    store::ProjectStore projects_;
    store::PreferencesStore prefsStore_;
    store::Preferences prefs_;
    store::ProjectList list_;
    activitylog::ActivityLog log_;
    backup::BackupPage page_;
    backup::Schedules schedules_;
    std::vector<bool> scheduledMarks_;
    std::unique_ptr<QtUi> ui_;
    platform::CancelRequest cancel_;
    QWidget* tabRestore_ = nullptr;
    QWidget* tabLog_ = nullptr;
    shell::WindowState state_;
    bool StartMinimized = false;
    bool closeAfterRun_ = false;
    bool loadingProjects_ = false;
};

}  // namespace zb::app
