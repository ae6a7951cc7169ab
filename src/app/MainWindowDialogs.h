// The dialogs the main window opens: "Rename project" (SpRename) and the Add Project
// wizard (SpNew). The main window creates one of these as its child; it only connects
// the window's buttons to the dialogs and hands what they return to the store.
#pragma once

#include <QObject>

namespace zb::app {

class MainWindow;

class MainWindowDialogs : public QObject {
    Q_OBJECT
public:
    explicit MainWindowDialogs(MainWindow& window);

    // Renames the selected project: an empty name is refused by the dialog, another
    // project's name by the store ("Project Name exists,Rename fail!"); after a rename
    // the project box, the tray submenu and the schedules follow.
    void SpRenameClick();
    // Runs the Add Project wizard; after Finish only the project list is read again
    // and the new project is selected and loaded. The preferences held in memory stay
    // as they are: they reach the file only when the program closes.
    void SpNewClick();

private:
    MainWindow& window_;
};

}  // namespace zb::app
