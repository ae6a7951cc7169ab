// Lists allow equal lines and keep the order lines were added in.
#include "app/ListEditActions.h"

#include <QFileInfo>
#include <QListWidget>

#include "app/DialogService.h"

namespace zb::app {

void AddByFilename(QListWidget& list, DialogService& dialogs, QWidget* parent, const QString& startFolder) {
    const QStringList files = dialogs.chooseFiles(parent, QStringLiteral("Select files by filename"), startFolder);
    for (const QString& file : files) list.addItem(QFileInfo(file).absoluteFilePath());
}

void DeleteSelectedLine(QListWidget& list, DialogService& dialogs, QWidget* parent) {
    if (list.count() == 0) return;
    QListWidgetItem* selected = list.currentItem();
    if (selected == nullptr || !selected->isSelected()) {
        dialogs.message(parent, MessageKind::Information, kindCaption(MessageKind::Information),
                        QStringLiteral("Please select a item by clicking"));
        return;
    }
    delete list.takeItem(list.row(selected));
}

void ClearLines(QListWidget& list) { list.clear(); }

}  // namespace zb::app
