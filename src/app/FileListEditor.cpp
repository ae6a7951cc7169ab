// The list takes the width the row leaves; the buttons keep their size at its side.
#include "app/FileListEditor.h"

#include <QDir>
#include <QHBoxLayout>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AddByWildcard.h"
#include "app/FormControls.h"
#include "app/ListEditActions.h"

namespace zb::app {

FileListEditor::FileListEditor(const Names& names, int buttonSpacing, QWidget* parent) : QWidget(parent) {
    list = new QListWidget;
    list->setObjectName(QString::fromLatin1(names.list));
    byWildcard = toolButton(this, names.byWildcard, QStyle::SP_FileDialogContentsView, "Select files by wildcard");
    byFilename = toolButton(this, names.byFilename, QStyle::SP_FileIcon, "Select files by filename");
    deleteOne = toolButton(this, names.deleteOne, QStyle::SP_DialogDiscardButton, "Delete a item");
    deleteAll = toolButton(this, names.deleteAll, QStyle::SP_TrashIcon, "Delete all items");

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list, 1);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(buttonSpacing);
    for (QToolButton* b : {byWildcard, byFilename, deleteOne, deleteAll}) buttons->addWidget(b);
    buttons->addStretch();
    layout->addLayout(buttons);
}

void FileListEditor::connectActions(const store::PreferencesStore& prefs, DialogService& dialogs,
                                    QWidget* dialogParent) {
    const QString home = QDir::homePath();
    connect(byWildcard, &QToolButton::clicked, this,
            [this, &prefs, &dialogs, dialogParent] { AddByWildcard(*list, prefs, dialogs, dialogParent); });
    connect(byFilename, &QToolButton::clicked, this,
            [this, &dialogs, dialogParent, home] { AddByFilename(*list, dialogs, dialogParent, home); });
    connect(deleteOne, &QToolButton::clicked, this,
            [this, &dialogs, dialogParent] { DeleteSelectedLine(*list, dialogs, dialogParent); });
    connect(deleteAll, &QToolButton::clicked, this, [this] { ClearLines(*list); });
}

void FileListEditor::exposeAs(QListWidget*& listName, QToolButton*& byWildcardName, QToolButton*& byFilenameName,
                              QToolButton*& deleteOneName, QToolButton*& deleteAllName) const {
    listName = list;
    byWildcardName = byWildcard;
    byFilenameName = byFilename;
    deleteOneName = deleteOne;
    deleteAllName = deleteAll;
}

std::vector<std::string> FileListEditor::lines() const {
    std::vector<std::string> out;
    for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
    return out;
}

void FileListEditor::setLines(const std::vector<std::string>& lines) {
    list->clear();
    for (const std::string& line : lines) list->addItem(QString::fromStdString(line));
}

}  // namespace zb::app
