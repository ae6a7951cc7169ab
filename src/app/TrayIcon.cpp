// The project items carry their name, so a click starts the project of that name even
// if the list has been rebuilt since the menu opened.
#include "app/TrayIcon.h"

#include "app/Icons.h"

namespace zb::app {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    icon_.setIcon(trayIcon());
    icon_.setToolTip(QStringLiteral("Varnholt ZIP Backup"));
    open_ = menu_.addAction(QStringLiteral("Open Main Window"));
    open_->setObjectName(QStringLiteral("OpenMainWindow1"));
    menu_.addSeparator();
    menuBackup_ = menu_.addMenu(QStringLiteral("Backup"));
    menuBackup_->setObjectName(QStringLiteral("menuBackup"));
    menu_.addSeparator();
    exit_ = menu_.addAction(QStringLiteral("E&xit"));
    exit_->setObjectName(QStringLiteral("Exit1"));
    icon_.setContextMenu(&menu_);
    connect(open_, &QAction::triggered, this, &TrayIcon::openMainWindow);
    connect(exit_, &QAction::triggered, this, &TrayIcon::exitRequested);
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) emit bringToFront();
    });
}

bool TrayIcon::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::show() {
    if (available()) icon_.show();
}

void TrayIcon::BuildTrayBackupMenu(const QStringList& names) {
    menuBackup_->clear();
    for (const QString& name : names) {
        QAction* item = menuBackup_->addAction(name);
        item->setEnabled(itemsEnabled_);
        connect(item, &QAction::triggered, this, [this, name] { emit backupRequested(name); });
    }
}

void TrayIcon::setScheduleMarks(const std::vector<bool>& scheduled) {
    const QList<QAction*> items = menuBackup_->actions();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const bool marked = static_cast<std::size_t>(i) < scheduled.size() && scheduled[static_cast<std::size_t>(i)];
        items[i]->setIcon(marked ? scheduleMark() : QIcon());
    }
}

void TrayIcon::setBackupItemsEnabled(bool enabled) {
    itemsEnabled_ = enabled;
    for (QAction* item : menuBackup_->actions()) item->setEnabled(enabled);
}

}  // namespace zb::app
