// The icon in the desktop's notification area with its menu: "Open Main Window", the
// "Backup" submenu with one item per project (scheduled ones marked), and "E&xit".
// Where the desktop has no notification area the menu still exists, unseen, and the
// window behaves as an ordinary one.
#pragma once

#include <QMenu>
#include <QObject>
#include <QStringList>
#include <QSystemTrayIcon>
#include <vector>

namespace zb::app {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    static bool available();
    void show();

    // BuildTrayBackupMenu: one item per name, in the order given.
    void BuildTrayBackupMenu(const QStringList& names);
    // Marks the items of scheduled projects (true per name, in the same order).
    void setScheduleMarks(const std::vector<bool>& scheduled);
    // Greys or enables every project item.
    void setBackupItemsEnabled(bool enabled);

    QMenu* PopupMenu2() { return &menu_; }
    QMenu* menuBackup() { return menuBackup_; }
    QAction* OpenMainWindow1() const { return open_; }
    QAction* Exit1() const { return exit_; }
    QSystemTrayIcon& icon() { return icon_; }

signals:
    void openMainWindow();
    void bringToFront();  // a left click on the icon
    void exitRequested();
    void backupRequested(const QString& project);

private:
    QSystemTrayIcon icon_;
    QMenu menu_;
    QMenu* menuBackup_ = nullptr;
    QAction* open_ = nullptr;
    QAction* exit_ = nullptr;
    bool itemsEnabled_ = true;
};

}  // namespace zb::app
