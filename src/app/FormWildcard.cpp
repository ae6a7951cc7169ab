// The favourites editor. Wildcards match file names without regard to case, so two
// entries differing only in case would be the same favourite twice: the second is not
// added.
#include "app/FormWildcard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DialogService.h"
#include "app/HelpFiles.h"
#include "app/ListEditActions.h"

namespace zb::app {

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const char* hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    return button;
}

}  // namespace

FormWildcard::FormWildcard(const store::PreferencesStore& prefs, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      prefs_(prefs),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TFormWildcard"));
    setWindowTitle(QStringLiteral("Edit wildcard"));

    ListBox1 = new QListWidget;
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button4 = toolButton(this, "Button4", QStyle::SP_DialogDiscardButton, "Delete a item");
    SpeedButton1 = toolButton(this, "SpeedButton1", QStyle::SP_TrashIcon, "Delete all items");
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setToolTip(QStringLiteral("Please enter a new  wildcard"));
    SpNew = toolButton(this, "SpNew", QStyle::SP_FileDialogNewFolder, "Add wildcard");
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
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

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
