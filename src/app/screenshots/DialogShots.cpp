// Each dialog is rendered as the user first sees it, on the demonstration settings the
// screenshot program prepared (two favourite wildcards are stored for the purpose).
#include "DialogShots.h"

#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <QLineEdit>
#include <QListWidget>
#include <cstdio>

#include "app/FormProjectName.h"
#include "app/FormRename.h"
#include "app/FormSelectByFilter.h"
#include "app/FormWildcard.h"
#include "app/MainWindow.h"

namespace {

void shoot(QWidget& widget, const QDir& out, const char* name) {
    widget.show();
    // The folder tree reads the disk in the background; give it a moment.
    QEventLoop wait;
    QTimer::singleShot(500, &wait, &QEventLoop::quit);
    wait.exec();
    const QString path = out.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
    widget.hide();
}

}  // namespace

void saveDialogShots(zb::app::MainWindow& window, const QDir& out) {
    window.preferencesStore().writeWildcards({"*.*", "*.docx", "*.jpg"});
    zb::app::FormSelectByFilter select(window.preferencesStore(), window.dialogs(), &window);
    select.setFolder(QStringLiteral("/usr/share"));
    shoot(select, out, "dialog-select-by-wildcard.png");

    zb::app::FormWildcard wildcards(window.preferencesStore(), window.dialogs(), &window);
    wildcards.Edit1->setText(QStringLiteral("*.pdf"));
    shoot(wildcards, out, "dialog-edit-wildcard.png");

    zb::app::FormProjectName wizard(window);
    wizard.comboproject->setText(QStringLiteral("Letters"));
    shoot(wizard, out, "wizard-step1.png");
    wizard.btnNextClick();
    wizard.ListboxBackup->addItem(QDir::home().filePath(QStringLiteral("letters/*.odt")));
    wizard.ListboxBackup->addItem(QDir::home().filePath(QStringLiteral("letters/*.pdf")));
    shoot(wizard, out, "wizard-step2.png");
    wizard.btnNextClick();
    wizard.ListBoxNobackup->addItem(QDir::home().filePath(QStringLiteral("letters/drafts/*.*")));
    const char* steps[] = {"wizard-step3.png", "wizard-step4.png", "wizard-step5.png", "wizard-step6.png"};
    for (const char* step : steps) {
        shoot(wizard, out, step);
        wizard.btnNextClick();
    }

    zb::app::FormRename rename(window.comboProject->currentText(), window.dialogs(), &window);
    shoot(rename, out, "dialog-rename.png");
}
