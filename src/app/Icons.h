// The program's own pictures: the application icon, the notification-area icon and
// the mark of a scheduled project (image 0 of the window's image list).
#pragma once

#include <QIcon>

namespace zb::app {

QIcon applicationIcon();
QIcon trayIcon();
QIcon scheduleMark();

}  // namespace zb::app
