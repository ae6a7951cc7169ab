// Program start: a second start hands over to the running window and ends; the first
// one finds its settings folder, creates the main window and runs until it closes.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <exception>

#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/QtDialogService.h"
#include "app/SingleInstance.h"
#include "platform/AppDir.h"
#include "platform/DateTime.h"
#include "platform/Version.h"

namespace {

// An error that no handler caught is shown, and the window stays usable.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(activeWindow(), QStringLiteral("Error"), QString::fromStdString(e.what()));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zipbackup"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varnholt ZIP Backup"));
    QApplication::setApplicationVersion(QString::fromLatin1(zb::platform::programVersion()));
    QApplication::setWindowIcon(zb::app::applicationIcon());
    // Closing the window ends the program even when it was hidden in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption appDirOption(QStringLiteral("app-dir"),
                                    QStringLiteral("Folder of project.ini and log.txt."), QStringLiteral("folder"));
    parser.addOption(appDirOption);
    parser.process(app);

    if (zb::app::SingleInstance::handOff()) return 0;
    zb::app::SingleInstance instance;
    instance.listen();

    const std::string exe = zb::platform::executablePath();
    const std::string appDir = zb::platform::resolveAppDir(parser.value(appDirOption).toStdString(), exe);
    zb::platform::SystemClock clock;
    zb::app::QtDialogService dialogs;
    zb::app::MainWindow window(zb::app::AppEnvironment{appDir, clock, dialogs, exe});
    QObject::connect(&instance, &zb::app::SingleInstance::showRequested, &window,
                     &zb::app::MainWindow::OpenMainWindow1Click);
    window.show();
    return app.exec();
}
