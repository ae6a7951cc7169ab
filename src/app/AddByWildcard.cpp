// Adding a line selects the first equal one, so a line added twice shows where the
// list already held it.
#include "app/AddByWildcard.h"

#include <QListWidget>

#include "app/DialogService.h"
#include "app/FormSelectByFilter.h"

namespace zb::app {

void AddByWildcard(QListWidget& list, const store::PreferencesStore& prefs, DialogService& dialogs,
                   QWidget* parent) {
    FormSelectByFilter dialog(prefs, dialogs, parent);
    if (dialogs.exec(dialog) != QDialog::Accepted) return;
    const QString line = dialog.selectedLine();
    list.addItem(line);
    const QList<QListWidgetItem*> equal = list.findItems(line, Qt::MatchFixedString);
    QListWidgetItem* first = equal.front();
    for (QListWidgetItem* item : equal) {
        if (list.row(item) < list.row(first)) first = item;
    }
    list.setCurrentItem(first);
}

}  // namespace zb::app
