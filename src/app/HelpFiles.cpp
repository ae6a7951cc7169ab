// The help is plain HTML: one frame page with the contents and one page per window.
#include "app/HelpFiles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <string>

#include "platform/DataDir.h"

namespace zb::app {

namespace {

const char* pageName(HelpTopic topic) {
    switch (topic) {
        case HelpTopic::Contents: return "index.html";
        case HelpTopic::MainWindow: return "main-window.html";
        case HelpTopic::Preferences: return "preferences.html";
        case HelpTopic::MessageWindow: return "message-window.html";
        case HelpTopic::Dialogs: return "dialogs.html";
    }
    return "index.html";
}

}  // namespace

QString helpPage(HelpTopic topic) {
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    std::string page = platform::findDataFile(std::string("help/") + pageName(topic), exe);
    // A topic whose page is not written yet opens the contents.
    if (page.empty()) page = platform::findDataFile(std::string("help/") + pageName(HelpTopic::Contents), exe);
    return QString::fromStdString(page);
}

void openHelp(HelpTopic topic) {
    const QString page = helpPage(topic);
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void openWebsite() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsiteAddress))); }

}  // namespace zb::app
