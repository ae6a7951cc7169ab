// The screenshots of the dialogs that add and rename projects and fill the file lists.
#pragma once

#include <QDir>

namespace zb::app {
class MainWindow;
}

void saveDialogShots(zb::app::MainWindow& window, const QDir& out);
