// The operations on an include or exclude list, shared by the main window and the Add
// Project wizard: add files chosen by name, delete the selected line, delete all lines.
// (Adding by wildcard opens its own dialog and lives beside it.)
#pragma once

#include <QString>

class QListWidget;
class QWidget;

namespace zb::app {

class DialogService;

// "Select files by filename": several files at once; their full paths are added at the
// end in the order the chooser gives them. The selection is not changed.
void AddByFilename(QListWidget& list, DialogService& dialogs, QWidget* parent, const QString& startFolder);

// "Delete a item": nothing on an empty list; "Please select a item by clicking" when no
// line is selected.
void DeleteSelectedLine(QListWidget& list, DialogService& dialogs, QWidget* parent);

// "Delete all items", without asking.
void ClearLines(QListWidget& list);

}  // namespace zb::app
