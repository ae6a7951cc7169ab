// An include or exclude list with its four buttons in a column beside it: "Select files
// by wildcard", "Select files by filename", "Delete a item" and "Delete all items".
// The page "Backup " and the Add Project wizard each show two of them; every form
// names the list and the buttons its own way, so the names are given at construction.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QListWidget;
class QToolButton;

namespace zb::store {
class PreferencesStore;
}

namespace zb::app {

class DialogService;

class FileListEditor : public QWidget {
    Q_OBJECT
public:
    // The object names of the list and of its buttons, top to bottom.
    struct Names {
        const char* list;
        const char* byWildcard;
        const char* byFilename;
        const char* deleteOne;
        const char* deleteAll;
    };

    // buttonSpacing: the gap between the buttons; -1 takes the style's.
    explicit FileListEditor(const Names& names, int buttonSpacing = -1, QWidget* parent = nullptr);

    // Connects the buttons to the list operations; their dialogs open over
    // dialogParent, and the file chooser starts in the home folder.
    void connectActions(const store::PreferencesStore& prefs, DialogService& dialogs, QWidget* dialogParent);

    // Points a form's own names for the controls at them.
    void exposeAs(QListWidget*& listName, QToolButton*& byWildcardName, QToolButton*& byFilenameName,
                  QToolButton*& deleteOneName, QToolButton*& deleteAllName) const;

    std::vector<std::string> lines() const;
    void setLines(const std::vector<std::string>& lines);

    QListWidget* list = nullptr;
    QToolButton* byWildcard = nullptr;
    QToolButton* byFilename = nullptr;
    QToolButton* deleteOne = nullptr;
    QToolButton* deleteAll = nullptr;
};

}  // namespace zb::app
