// The page "Log": the activity log's grid, newest entry first, one row per entry the
// limit allows, failed and interrupted runs in red, with the menu "Clear all log". The
// log itself (file, trim, limit) is the core's; the page redraws whenever the window
// says an entry was appended or the preferences changed.
#pragma once

#include <QWidget>

class QAction;
class QMenu;
class QTableView;

namespace zb::app {

class GridModel;
class MainWindow;

class LogPage : public QWidget {
    Q_OBJECT
public:
    explicit LogPage(MainWindow& window);

    // Shows the log's rows as the core holds them.
    void refresh();
    void Clearalllog1Click();

    const GridModel& rows() const { return *model_; }

    QTableView* LogGrid = nullptr;
    QMenu* LogPopupMenu = nullptr;
    QAction* Clearalllog1 = nullptr;

private:
    MainWindow& window_;
    GridModel* model_ = nullptr;
};

}  // namespace zb::app
