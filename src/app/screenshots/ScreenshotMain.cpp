// Renders the window and this program's dialogs into PNG files for the README, on a
// demonstration settings folder with two projects (one scheduled) and real archives.
// Usage: zipbackup-screenshots OUTPUT_FOLDER (run on the offscreen platform).
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "DialogShots.h"
#include "app/BackupPageWidgets.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/MsgForm.h"
#include "app/PreferencesDialog.h"
#include "app/QtDialogService.h"
#include "log/LogEntry.h"
#include "platform/AppDir.h"
#include "store/ProjectStore.h"
#include "zip/TZipWriter.h"

namespace {

void save(QWidget& widget, const QDir& out, const char* name) {
    const QString path = out.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

void addProject(const std::filesystem::path& ini, const std::filesystem::path& root, const std::string& name,
                int mode, const std::string& when) {
    zb::store::ProjectStore projects(ini);
    zb::store::ProjectList list = projects.readProjectList();
    zb::store::ProjectRecord record = zb::store::newProjectRecord();
    record.filenamePrefix = name;
    record.savePath = (root / "archives").string();
    record.includeLines = {(root / "documents" / "*.*").string(), (root / "photos" / "*.jpg").string()};
    record.excludeLines = {(root / "documents" / "*.tmp").string()};
    record.usePassword = false;
    record.comment = "Weekly copy of the documents";
    record.backupMode = mode;
    record.scheduleText = when;
    projects.createProject(name, record, list);
}

// A real archive of the demonstration files, dated `hoursAgo` hours back.
void writeArchive(const std::filesystem::path& root, const std::string& name, const std::string& pattern,
                  int hoursAgo) {
    zb::zip::TZipWriter writer;
    writer.SetZipName((root / "archives" / name).string());
    writer.SetRecurse(true);
    writer.FilesList = {(root / "documents" / pattern).string()};
    writer.Zip();
    std::filesystem::last_write_time(root / "archives" / name,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Varnholt ZIP Backup"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: zipbackup-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    QTemporaryDir scratch;
    const std::filesystem::path root = scratch.path().toStdString();
    std::filesystem::create_directories(root / "archives");
    std::filesystem::create_directories(root / "documents");
    std::ofstream(root / "documents" / "letter.txt") << "Dear reader,\n";
    std::filesystem::create_directories(root / "documents" / "reports");
    for (int i = 1; i <= 4; ++i) {
        std::ofstream report(root / "documents" / "reports" / ("report-" + std::to_string(i) + ".txt"));
        for (int line = 0; line < 400 * i; ++line) report << "Quarter " << i << ", line " << line << ": figures\n";
    }
    writeArchive(root, "Documents1.zip", "*.txt", 72);
    writeArchive(root, "Documents2.zip", "*.*", 48);
    writeArchive(root, "Documents3.zip", "*.*", 24);
    addProject(root / "project.ini", root, "Documents", zb::store::kModeWeekly, "Friday");
    addProject(root / "project.ini", root, "Photos", zb::store::kModeNone, "");

    zb::platform::SystemClock clock;
    zb::app::QtDialogService dialogs;
    zb::app::MainWindow window(zb::app::AppEnvironment{root, clock, dialogs, "/usr/bin/zipbackup"});
    zb::activitylog::ActivityLog& log = window.activityLog();
    const std::string archives = (root / "archives").string() + "/";
    log.AppendLog(zb::activitylog::kBackup, zb::activitylog::kSucceeds, "Documents", archives + "Documents1.zip  9Kb");
    log.AppendLog(zb::activitylog::kBackup, zb::activitylog::kInterrupt, "Photos",
                  archives + "Photos1.zip exists");
    log.AppendLog(zb::activitylog::kBackup, zb::activitylog::kSucceeds, "Documents", archives + "Documents2.zip  33Kb");
    log.AppendLog(zb::activitylog::kRestore, zb::activitylog::kFails, "Documents", archives + "Documents2.zip  33Kb");
    log.AppendLog(zb::activitylog::kRestore, zb::activitylog::kSucceeds, "Documents", archives + "Documents2.zip  33Kb");
    emit window.logChanged();
    window.show();
    save(window, out, "main-backup.png");
    window.SpEditClick();
    save(window, out, "main-backup-edit.png");
    window.SpCancelClick();
    window.PageControl1->setCurrentIndex(zb::app::MainWindow::kPageRestore);
    save(window, out, "main-restore.png");
    window.PageControl1->setCurrentIndex(zb::app::MainWindow::kPageLog);
    save(window, out, "main-log.png");
    window.PageControl1->setCurrentIndex(zb::app::MainWindow::kPageBackup);

    zb::app::PreferencesDialog prefs(&window);
    prefs.setValues(zb::shell::openPreferencesDialog(window.preferences(), window.preferencesStore()));
    prefs.show();
    save(prefs, out, "preferences-general.png");
    prefs.pages->setCurrentIndex(1);
    save(prefs, out, "preferences-backup.png");
    prefs.hide();

    zb::app::MsgForm message(QStringLiteral("Backup Files Succeeds!\rProject Name: 'Documents'\r"
                                            "File Name:    'Documents1.zip'\rFile Size:    '12Kb'"),
                             zb::platform::MessageKind::Information, 4, &window);
    message.show();
    save(message, out, "message-window.png");
    message.hide();
    saveDialogShots(window, out);
    window.hide();
    return 0;
}
