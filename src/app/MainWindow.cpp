// The window's start, its states and its actions. Each action reads the controls into
// the page model, calls the core, and shows what the core returned; the window itself
// decides only what needs a widget: which control is enabled, what is shown where,
// when the timer runs.
#include "app/MainWindow.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include "app/BackupPageWidgets.h"
#include "app/DialogService.h"
#include "app/FileListEditor.h"
#include "app/FormControls.h"
#include "app/HelpFiles.h"
#include "app/Icons.h"
#include "app/MainWindowDialogs.h"
#include "app/LogPage.h"
#include "app/PreferencesDialog.h"
#include "app/ProjectBoxDelegate.h"
#include "app/RestorePage.h"
#include "app/TrayIcon.h"
#include "backup/BackupRun.h"
#include "backup/ScheduleTick.h"
#include "backup/ScheduleTimes.h"
#include "backup/ScheduleRebuild.h"
#include "platform/Version.h"
#include "shell/DeleteProject.h"
#include "shell/PreferencesDialog.h"

namespace zb::app {

namespace {

constexpr int kClientWidth = 786;
constexpr int kClientHeight = 517;

QToolButton* speedButton(QWidget* owner, const char* name, QStyle::StandardPixmap icon, const char* hint) {
    QToolButton* button = toolButton(owner, name, icon, hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    return button;
}

}  // namespace

MainWindow::MainWindow(AppEnvironment env, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      env_(std::move(env)),
      projects_(env_.appDir / "project.ini"),
      prefsStore_(env_.appDir / "project.ini"),
      log_(env_.appDir / "log.txt", prefs_.logCount, env_.clock) {
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QString::fromStdString(platform::programTitle()));
    setWindowIcon(applicationIcon());
    ui_ = std::make_unique<QtUi>(env_.dialogs, this,
                                 QtUi::Hooks{[this](int percent) { ProgressBar1->setValue(percent); },
                                             [this](bool busy) { SetIdleState(!busy); }});
    RxTrayIcon1 = new TrayIcon(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(buildToolbar());
    buildPages();
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buildProgressRow());

    Timer1.setInterval(backup::kScheduleTickMilliseconds);
    connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
    connect(RxTrayIcon1, &TrayIcon::openMainWindow, this, &MainWindow::OpenMainWindow1Click);
    connect(RxTrayIcon1, &TrayIcon::bringToFront, this, &MainWindow::OpenMainWindow1Click);
    connect(RxTrayIcon1, &TrayIcon::exitRequested, this, &QWidget::close);
    connect(RxTrayIcon1, &TrayIcon::backupRequested, this, &MainWindow::trayBackupClick);
    new MainWindowDialogs(*this);

    FormCreate();
    restorePage = new RestorePage(*this);
    logPage = new LogPage(*this);
    // The design size, or what the controls need at least when a larger font or a
    // high-density screen asks for more: nothing is clipped, and the user cannot resize.
    layout->activate();
    const QSize least = minimumSizeHint();
    setFixedSize(std::max(kClientWidth, least.width()), std::max(kClientHeight, least.height()));
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildToolbar() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Project:")));
    comboProject = new QComboBox;
    comboProject->setObjectName(QStringLiteral("comboProject"));
    comboProject->setMinimumContentsLength(24);
    comboProject->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    comboProject->setItemDelegate(new ProjectBoxDelegate([this](const QString& n) { return isScheduled(n); },
                                                         comboProject));
    row->addWidget(comboProject);
    SpRename = speedButton(this, "SpRename", QStyle::SP_FileDialogInfoView, "Rename Project");
    SpNew = speedButton(this, "SpNew", QStyle::SP_FileDialogNewFolder, "Add Project");
    SpEdit = speedButton(this, "SpEdit", QStyle::SP_FileDialogDetailedView, "Edit Project");
    SpDelete = speedButton(this, "SpDelete", QStyle::SP_TrashIcon, "Delete Project");
    SpSave = speedButton(this, "SpSave", QStyle::SP_DialogSaveButton, "Save Project");
    SpCancel = speedButton(this, "SpCancel", QStyle::SP_DialogCancelButton, "Cancel ");
    SpMenu = speedButton(this, "SpMenu", QStyle::SP_FileDialogListView, "Menu");
    SpeedButton3 = speedButton(this, "SpeedButton3", QStyle::SP_DialogHelpButton, "Help");
    SpStart = speedButton(this, "SpStart", QStyle::SP_MediaPlay, "Start Backup");
    SpRestore = speedButton(this, "SpRestore", QStyle::SP_BrowserReload, "Start Restore");
    SpExit = speedButton(this, "SpExit", QStyle::SP_DialogCloseButton, "Exit");
    PopupMenu1 = new QMenu(this);
    menuPreferences = PopupMenu1->addAction(QStringLiteral("Preferences..."));
    menuPreferences->setObjectName(QStringLiteral("menuPreferences"));
    PopupMenu1->addSeparator();
    Help1 = PopupMenu1->addAction(QStringLiteral("Visits Website..."));
    About1 = PopupMenu1->addAction(QStringLiteral("About..."));
    SpMenu->setMenu(PopupMenu1);
    SpMenu->setPopupMode(QToolButton::InstantPopup);
    for (QToolButton* b : {SpRename, SpNew, SpEdit, SpDelete, SpSave, SpCancel, SpMenu, SpeedButton3, SpStart,
                           SpRestore, SpExit})
        row->addWidget(b);
    row->addStretch();

    connect(comboProject, &QComboBox::activated, this, [this] { comboProjectChange(); });
    connect(SpRename, &QToolButton::clicked, this, &MainWindow::renameRequested);
    connect(SpNew, &QToolButton::clicked, this, [this] {
        PageControl1->setCurrentIndex(kPageBackup);
        emit newProjectRequested();
    });
    connect(SpEdit, &QToolButton::clicked, this, &MainWindow::SpEditClick);
    connect(SpDelete, &QToolButton::clicked, this, &MainWindow::SpDeleteClick);
    connect(SpSave, &QToolButton::clicked, this, &MainWindow::SpSaveClick);
    connect(SpCancel, &QToolButton::clicked, this, &MainWindow::SpCancelClick);
    connect(SpeedButton3, &QToolButton::clicked, this, [] { openHelp(HelpTopic::Contents); });
    connect(SpStart, &QToolButton::clicked, this, [this] { SpStartClick(); });
    connect(SpRestore, &QToolButton::clicked, this, &MainWindow::restoreRequested);
    connect(SpExit, &QToolButton::clicked, this, &QWidget::close);
    connect(menuPreferences, &QAction::triggered, this, &MainWindow::menuPreferencesClick);
    connect(Help1, &QAction::triggered, this, [] { openWebsite(); });
    connect(About1, &QAction::triggered, this, &MainWindow::About1Click);
    return bar;
}

void MainWindow::buildPages() {
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    backupPage = new BackupPageWidgets;
    tabRestore_ = new QWidget;
    tabRestore_->setObjectName(QStringLiteral("TabRestore"));
    tabLog_ = new QWidget;
    tabLog_->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(backupPage, QStringLiteral("Backup "));
    PageControl1->addTab(tabRestore_, QStringLiteral("Restore"));
    PageControl1->addTab(tabLog_, QStringLiteral("Log"));
    connect(PageControl1, &QTabWidget::currentChanged, this, &MainWindow::pageEntered);

    BackupPageWidgets* p = backupPage;
    connect(p, &BackupPageWidgets::nameInputsChanged, this, &MainWindow::updateArchiveName);
    connect(p, &BackupPageWidgets::suffixClicked, this, &MainWindow::suffixClicked);
    connect(p, &BackupPageWidgets::scheduleKindClicked, this, &MainWindow::scheduleKindClicked);
    connect(p->SpSelectDirectory, &QToolButton::clicked, this, &MainWindow::SpSelectDirectoryClick);
    for (FileListEditor* files : {p->IncludeFiles, p->ExcludeFiles})
        files->connectActions(prefsStore_, env_.dialogs, this);
}

QWidget* MainWindow::buildProgressRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ButtonCancelRun = new QPushButton(QStringLiteral("Cancel"));
    ButtonCancelRun->setObjectName(QStringLiteral("ButtonCancelRun"));
    ButtonCancelRun->setAutoDefault(false);
    // A button's shortcut works only while the button is shown: Escape cancels a run
    // and means nothing otherwise.
    ButtonCancelRun->setShortcut(QKeySequence(Qt::Key_Escape));
    ButtonCancelRun->hide();
    // Keeps the row's height when the button hides, so the pages do not jump.
    QSizePolicy keep = ButtonCancelRun->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    ButtonCancelRun->setSizePolicy(keep);
    layout->addWidget(ProgressBar1, 1);
    layout->addWidget(ButtonCancelRun);
    connect(ButtonCancelRun, &QPushButton::clicked, this, &MainWindow::cancelRun);
    return row;
}

void MainWindow::FormCreate() {
    RxTrayIcon1->icon().setIcon(trayIcon());
    applyStates();
    LoadSettings();
    log_.setLimit(prefs_.logCount);
    log_.LoadLog();
    RxTrayIcon1->show();
    if (StartMinimized) setWindowState(windowState() | Qt::WindowMinimized);
}

void MainWindow::LoadSettings() {
    PageControl1->setCurrentIndex(kPageBackup);
    prefsStore_.load(prefs_);
    reloadProjectList();
    if (prefsStore_.readStartupKeys().startMinimized()) StartMinimized = true;
}

void MainWindow::reloadProjectList(const QString& select) {
    list_ = projects_.readProjectList();
    const std::string wanted = select.isEmpty() ? projects_.readLastProject() : select.toStdString();
    projectListChanged(QString::fromStdString(wanted));
}

void MainWindow::projectListChanged(const QString& select) {
    loadingProjects_ = true;
    comboProject->clear();
    for (const std::string& name : list_.names()) comboProject->addItem(QString::fromStdString(name));
    BuildTrayBackupMenu();
    if (const auto index = list_.initialSelection(select.toStdString())) {
        comboProject->setCurrentIndex(static_cast<int>(*index));
    }
    loadingProjects_ = false;
    RebuildSchedule();
    if (list_.empty()) {
        backupPage->clearPage();
        page_ = backup::BackupPage{};
    } else {
        comboProjectChange();
    }
}

QString MainWindow::currentProject() const { return comboProject->currentText().trimmed(); }

void MainWindow::comboProjectChange() {
    if (comboProject->currentIndex() < 0) return;
    try {
        // Loaded into the page as it stands: an unknown stored choice keeps the shown one.
        backup::LoadBackupPage(page_, projects_, currentProject().toStdString(), prefs_, env_.clock);
        backupPage->showPage(page_);
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

void MainWindow::updateArchiveName() {
    backupPage->readInto(page_);
    backup::UpdateArchiveName(page_, prefs_, env_.clock);
    backupPage->EditFilename->setText(QString::fromStdString(page_.archiveName));
}

void MainWindow::suffixClicked(backup::ArchiveSuffix suffix) {
    backupPage->readInto(page_);
    backup::chooseSuffix(page_, suffix, prefs_, env_.clock);
    backupPage->showNameFields(page_);
}

void MainWindow::scheduleKindClicked(backup::ScheduleKind kind) {
    backupPage->readInto(page_);
    backup::chooseScheduleKind(page_.schedule, kind);
    backupPage->showSchedule(page_.schedule);
}

void MainWindow::SpSelectDirectoryClick() {
    backupPage->readInto(page_);
    page_.projectName = currentProject().toStdString();
    if (backup::SpSelectDirectoryClick(page_, *ui_, prefs_, env_.clock))
        backupPage->EditFilename->setText(QString::fromStdString(page_.archiveName));
}

// Every control takes what the window's state tables say; the tables also keep a run
// from being disturbed by choosing, adding, editing or deleting a project meanwhile.
void MainWindow::applyStates() {
    using shell::WindowControl;
    const auto on = [this](WindowControl control) { return shell::controlEnabled(state_, control); };
    comboProject->setEnabled(on(WindowControl::ProjectBox));
    SpRename->setEnabled(on(WindowControl::RenameProject));
    SpNew->setEnabled(on(WindowControl::NewProject));
    SpEdit->setEnabled(on(WindowControl::EditProject));
    SpDelete->setEnabled(on(WindowControl::DeleteProject));
    menuPreferences->setEnabled(on(WindowControl::Preferences));
    SpStart->setEnabled(on(WindowControl::StartBackup));
    SpRestore->setEnabled(on(WindowControl::StartRestore));
    SpSave->setEnabled(on(WindowControl::SaveProject));
    SpCancel->setEnabled(on(WindowControl::CancelEdit));
    backupPage->GroupSource->setEnabled(on(WindowControl::GroupSource));
    backupPage->GroupDes->setEnabled(on(WindowControl::GroupDestination));
    backupPage->GroupOption->setEnabled(on(WindowControl::GroupOptions));
    backupPage->GroupSche->setEnabled(on(WindowControl::GroupSchedule));
    PageControl1->setEnabled(on(WindowControl::Pages));
    RxTrayIcon1->setBackupItemsEnabled(on(WindowControl::TrayBackupItems));
}

void MainWindow::SetViewState(bool view) {
    shell::SetViewState(state_, view);
    applyStates();
    if (!view && backupPage->ListboxBackup->count() > 0) {
        backupPage->ListboxBackup->setFocus();
        backupPage->ListboxBackup->setCurrentRow(0);
    }
}

void MainWindow::SetIdleState(bool idle) {
    if (idle == state_.idle) return;
    shell::SetIdleState(state_, idle);
    applyStates();
    ButtonCancelRun->setVisible(!idle);
    // Closing was asked for during the run; the run has unwound by the next event.
    if (idle && closeAfterRun_) QTimer::singleShot(0, this, &QWidget::close);
    if (!shell::hourglass(state_)) {
        QApplication::restoreOverrideCursor();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

void MainWindow::cancelRun() { cancel_.request(); }

void MainWindow::SpEditClick() {
    if (!shell::SpEditClick(state_, comboProject->count() > 0)) return;
    PageControl1->setCurrentIndex(kPageBackup);
    SetViewState(false);
}

void MainWindow::SpCancelClick() {
    SetViewState(true);
    comboProjectChange();
}

void MainWindow::SpSaveClick() {
    if (currentProject().isEmpty()) return;
    backupPage->readInto(page_);
    try {
        page_.projectName = currentProject().toStdString();
        if (const auto refusal = backup::SaveBackupPage(page_, projects_)) {
            env_.dialogs.message(this, MessageKind::Error, kindCaption(MessageKind::Error),
                                 QString::fromStdString(*refusal));
            return;
        }
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
        return;
    }
    // The save empties the password or comment fields it did not store.
    const QSignalBlocker block(backupPage);
    backupPage->EditPassword->setText(QString::fromStdString(page_.record.password));
    backupPage->EditConfirmPassword->setText(QString::fromStdString(page_.record.passwordConfirmation));
    backupPage->Editcomment->setText(QString::fromStdString(page_.record.comment));
    SetViewState(true);
    RebuildSchedule();
}

void MainWindow::SpDeleteClick() {
    backupPage->readInto(page_);
    page_.projectName = currentProject().toStdString();
    try {
        if (!shell::SpDeleteClick(*ui_, projects_, list_, page_, prefs_, env_.clock)) return;
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
        return;
    }
    projectListChanged(list_.empty() ? QString() : QString::fromStdString(list_[0]));
}

backup::BackupResult MainWindow::SpStartClick() {
    if (comboProject->count() == 0 || !state_.idle) return {};
    const int page = PageControl1->currentIndex();
    backupPage->readInto(page_);
    page_.projectName = currentProject().toStdString();
    cancel_.clear();
    backup::BackupServices services{*ui_, env_.clock, projects_, log_, &cancel_};
    const backup::BackupResult result = backup::SpStartClick(page_, prefs_, services);
    if (result.outcome != backup::BackupOutcome::NoProject && result.outcome != backup::BackupOutcome::Declined &&
        result.outcome != backup::BackupOutcome::Refused)
        emit logChanged();
    if (result.outcome == backup::BackupOutcome::Succeeded || result.outcome == backup::BackupOutcome::Incomplete) {
        backupPage->showPage(page_);
        PageControl1->setCurrentIndex(page);
        emit pageEntered(page);
    }
    return result;
}

bool MainWindow::selectProject(const std::string& name) {
    const auto index = list_.indexOf(name);
    if (!index) return false;
    comboProject->setCurrentIndex(static_cast<int>(*index));
    comboProjectChange();
    return true;
}

bool MainWindow::startBackup() {
    const backup::BackupResult result = SpStartClick();
    return result.outcome != backup::BackupOutcome::Failed;
}

void MainWindow::trayBackupClick(const QString& name) {
    if (!shell::controlEnabled(state_, shell::WindowControl::TrayBackupItems)) return;
    if (selectProject(name.toStdString())) SpStartClick();
}

void MainWindow::Timer1Timer() {
    try {
        backup::ScheduleTick(schedules_, env_.clock, *this);
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

bool MainWindow::isScheduled(const QString& name) const {
    const auto index = list_.indexOf(name.toStdString());
    return index && *index < scheduledMarks_.size() && scheduledMarks_[*index];
}

void MainWindow::BuildTrayBackupMenu() {
    QStringList names;
    for (const std::string& name : list_.names()) names << QString::fromStdString(name);
    RxTrayIcon1->BuildTrayBackupMenu(names);
    RxTrayIcon1->setScheduleMarks(scheduledMarks_);
}

void MainWindow::RebuildSchedule() {
    Timer1.stop();
    backup::ScheduleTable table = backup::RebuildSchedule(projects_, list_, env_.clock);
    schedules_ = std::move(table.entries);
    scheduledMarks_ = std::move(table.marked);
    RxTrayIcon1->setScheduleMarks(scheduledMarks_);
    for (int i = 0; i < comboProject->count(); ++i)
        comboProject->setItemIcon(i, isScheduled(comboProject->itemText(i)) ? scheduleMark() : QIcon());
    if (table.timerRuns) Timer1.start();
}

void MainWindow::menuPreferencesClick() {
    PreferencesDialog dialog(this);
    dialog.setValues(shell::openPreferencesDialog(prefs_, prefsStore_));
    if (env_.dialogs.exec(dialog) != QDialog::Accepted) return;
    try {
        shell::btnApplyClick(dialog.values(), prefs_, prefsStore_, env_.executablePath, *ui_, &log_);
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
    emit preferencesChanged();
}

void MainWindow::About1Click() {
    env_.dialogs.message(this, MessageKind::Information, QStringLiteral("About"),
                         QStringLiteral("Varnholt ZIP Backup V%1\rProject version %1\rQt %2")
                             .arg(QString::fromLatin1(platform::programVersion()), QString::fromLatin1(qVersion())));
}

void MainWindow::OpenMainWindow1Click() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void MainWindow::ApplicationEvents1Minimize() {
    if (StartMinimized) {
        StartMinimized = false;
        return;
    }
    // Only the notification-area icon remains; without one, minimised stays minimised.
    if (TrayIcon::available()) QTimer::singleShot(0, this, &QWidget::hide);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        ApplicationEvents1Minimize();
    }
    QWidget::changeEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        openHelp(HelpTopic::MainWindow);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!state_.idle) {
        // The run is on the stack below this event; the window closes once it has
        // ended, after the user agreed to stop it.
        event->ignore();
        if (!closeAfterRun_ &&
            env_.dialogs.question(this, MessageKind::Confirmation, kindCaption(MessageKind::Confirmation),
                                  QStringLiteral("A backup or restore is running.\rStop it and exit?"))) {
            closeAfterRun_ = true;
            cancelRun();
        }
        return;
    }
    FormClose();
    RxTrayIcon1->icon().hide();
    event->accept();
    emit windowClosed();
    QApplication::quit();
}

void MainWindow::FormClose() {
    Timer1.stop();
    try {
        prefsStore_.writeAtClose(prefs_, list_, currentProject().toStdString());
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

void MainWindow::showError(const QString& text) {
    env_.dialogs.message(this, MessageKind::Error, kindCaption(MessageKind::Error), text);
}

}  // namespace zb::app
