// The help is plain HTML: one frame page with the contents and one page per window.
#include "app/HelpFiles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace zb::app {

namespace {

QString pageName(HelpTopic topic) {
    switch (topic) {
        case HelpTopic::Contents: return QStringLiteral("index.html");
        case HelpTopic::MainWindow: return QStringLiteral("main-window.html");
        case HelpTopic::Preferences: return QStringLiteral("preferences.html");
        case HelpTopic::MessageWindow: return QStringLiteral("message-window.html");
        case HelpTopic::Dialogs: return QStringLiteral("dialogs.html");
    }
    return QStringLiteral("index.html");
}

}  // namespace

QString helpPage(HelpTopic topic) {
    const QDir exeDir(QCoreApplication::applicationDirPath());
    const QString folders[] = {exeDir.filePath(QStringLiteral("help")),
                               exeDir.filePath(QStringLiteral("../share/zipbackup/help")),
                               QStringLiteral("/usr/share/zipbackup/help")};
    for (const QString& folder : folders) {
        const QString page = QDir(folder).filePath(pageName(topic));
        if (QFileInfo::exists(page)) return QFileInfo(page).absoluteFilePath();
        // A topic whose page is not written yet opens the contents.
        const QString contents = QDir(folder).filePath(pageName(HelpTopic::Contents));
        if (QFileInfo::exists(contents)) return QFileInfo(contents).absoluteFilePath();
    }
    return {};
}

void openHelp(HelpTopic topic) {
    const QString page = helpPage(topic);
    if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void openWebsite() { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsiteAddress))); }

}  // namespace zb::app
