// The favourites editor. Wildcards match file names without regard to case, so two
// entries differing only in case would be the same favourite twice: the second is not
// added.
#include "app/FormWildcard.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DialogFrame.h"
#include "app/DialogService.h"
#include "app/FormControls.h"
#include "app/HelpFiles.h"
#include "app/ListEditActions.h"

namespace zb::app {

FormWildcard::FormWildcard(const store::PreferencesStore& prefs, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      prefs_(prefs),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TFormWildcard"));
    setWindowTitle(QStringLiteral("Edit wildcard"));

    ListBox1 = new QListWidget;
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button4 = toolButton(this, "Button4", QStyle::SP_DialogDiscardButton, "Delete a item");
    SpeedButton1 = toolButton(this, "SpeedButton1", QStyle::SP_TrashIcon, "Delete all items");
    SpNew = toolButton(this, "SpNew", QStyle::SP_FileDialogNewFolder, "Add wildcard");
    for (QToolButton* b : {Button4, SpeedButton1, SpNew}) b->setAutoRaise(true);
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setToolTip(QStringLiteral("Please enter a new  wildcard"));
    Button1 = new QPushButton(QStringLiteral("Help"));
    btnOk = new QPushButton(QStringLiteral("&Ok"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("Can&cel"));
    // Enter in the field adds the wildcard rather than closing the dialog.
    for (QPushButton* b : {Button1, btnOk, btnCancel}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Wildcard list:")), 0, 0);
    grid->addWidget(ListBox1, 1, 0);
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(Button4);
    listButtons->addWidget(SpeedButton1);
    listButtons->addStretch();
    grid->addLayout(listButtons, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Add wildcard:")), 2, 0);
    grid->addWidget(Edit1, 3, 0);
    grid->addWidget(SpNew, 3, 1);
    layOutDialog(*this, grid, Button1, {btnOk, btnCancel});

    for (const std::string& wildcard : prefs_.readWildcards()) ListBox1->addItem(QString::fromStdString(wildcard));

    connect(SpNew, &QToolButton::clicked, this, &FormWildcard::SpNewClick);
    connect(Edit1, &QLineEdit::returnPressed, this, &FormWildcard::SpNewClick);
    connect(Button4, &QToolButton::clicked, this, [this] { DeleteSelectedLine(*ListBox1, dialogs_, this); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { ClearLines(*ListBox1); });
    connect(Button1, &QPushButton::clicked, this, [] { openHelp(HelpTopic::Dialogs); });
    connect(btnOk, &QPushButton::clicked, this, &FormWildcard::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FormWildcard::SpNewClick() {
    const QString wildcard = Edit1->text().trimmed();
    if (wildcard.isEmpty()) return;
    if (ListBox1->findItems(wildcard, Qt::MatchFixedString).isEmpty()) ListBox1->addItem(wildcard);
    Edit1->clear();
}

void FormWildcard::btnOkClick() {
    std::vector<std::string> wildcards;
    for (int i = 0; i < ListBox1->count(); ++i) wildcards.push_back(ListBox1->item(i)->text().toStdString());
    try {
        prefs_.writeWildcards(wildcards);
    } catch (const std::exception& e) {
        // The dialog stays open so the user can try again or cancel.
        dialogs_.message(this, MessageKind::Error, kindCaption(MessageKind::Error), QString::fromStdString(e.what()));
        return;
    }
    accept();
}

}  // namespace zb::app
