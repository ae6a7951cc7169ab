// The start-up entry is written before the two start-up keys, and the keys only when
// the entry could be written, so the file never claims a start with the desktop that
// will not happen. The other preferences are taken in any case: the dialog has closed
// with OK by then.
#include "app/PreferencesDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/DialogService.h"
#include "platform/Autostart.h"

namespace zb::app {

PreferencesDialog::PreferencesDialog(const store::PreferencesStore& store, std::string executablePath,
                                     DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      store_(store),
      executablePath_(std::move(executablePath)),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("TFormPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    pages = new QTabWidget(this);

    auto* general = new QWidget;
    auto* runGroup = new QGroupBox(QStringLiteral("Run"));
    cbRun = new QCheckBox(QStringLiteral("Run  ZIP Backup when windows starts"));
    cbMini = new QCheckBox(QStringLiteral("Run Minimized"));
    auto* runLayout = new QVBoxLayout(runGroup);
    runLayout->addWidget(cbRun);
    runLayout->addWidget(cbMini);
    auto* logGroup = new QGroupBox(QStringLiteral("Log"));
    LogSpinEdit = new QSpinBox;
    LogSpinEdit->setRange(10, 200);
    auto* logLayout = new QGridLayout(logGroup);
    logLayout->addWidget(new QLabel(QStringLiteral("When the log items exceed")), 0, 0);
    logLayout->addWidget(LogSpinEdit, 0, 1);
    logLayout->addWidget(new QLabel(QStringLiteral(",the log")), 0, 2);
    logLayout->addWidget(new QLabel(QStringLiteral("will be cleared except for the last 5 items.")), 1, 0, 1, 3);
    logLayout->setColumnStretch(3, 1);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(runGroup);
    generalLayout->addWidget(logGroup);
    generalLayout->addStretch();
    pages->addTab(general, QStringLiteral("General"));

    auto* backup = new QWidget;
    cbWidth = new QCheckBox(QStringLiteral("If filename suffix is number,when number width"));
    SpinEdit1 = new QSpinBox;
    SpinEdit1->setRange(2, 30);
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(new QLabel(QStringLiteral("is less than")));
    widthRow->addWidget(SpinEdit1);
    widthRow->addWidget(new QLabel(QStringLiteral(", append 0 before number")));
    widthRow->addStretch();
    cbprompt = new QCheckBox(QStringLiteral("Prompt before start backup a project"));
    auto* existsGroup = new QGroupBox(QStringLiteral("When  backup, if  filename exists:"));
    rbOverwrite = new QRadioButton(QStringLiteral("Overwrite"));
    rbSkip = new QRadioButton(QStringLiteral("Skip"));
    rbSkip->setChecked(true);
    auto* existsLayout = new QHBoxLayout(existsGroup);
    existsLayout->addWidget(rbOverwrite);
    existsLayout->addWidget(rbSkip);
    existsLayout->addStretch();
    auto* backupLayout = new QVBoxLayout(backup);
    backupLayout->addWidget(cbWidth);
    backupLayout->addLayout(widthRow);
    backupLayout->addWidget(cbprompt);
    backupLayout->addWidget(existsGroup);
    backupLayout->addStretch();
    pages->addTab(backup, QStringLiteral("Backup"));

    btnApply = new QPushButton(QStringLiteral("Ap&ply"));
    btnClose = new QPushButton(QStringLiteral("Clo&se"));
    btnApply->setAutoDefault(false);
    btnClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cbRun, &QCheckBox::toggled, this, [this] { cbRunClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnApply, &QPushButton::clicked, this, [this] {
        accept();
        btnApplyClick();
    });
    FormCreate();
}

void PreferencesDialog::FormCreate() {
    pages->setCurrentIndex(0);
    const store::StartupKeys keys = store_.readStartupKeys();
    cbRun->setChecked(keys.autoRun);
    cbMini->setChecked(keys.isMinimized);
    cbRunClick();
}

void PreferencesDialog::cbRunClick() { cbMini->setEnabled(cbRun->isChecked()); }

void PreferencesDialog::btnApplyClick() {
    try {
        if (cbRun->isChecked()) {
            platform::enableAutostart(executablePath_);
        } else {
            platform::disableAutostart();
        }
        store_.writeStartupKeys({cbRun->isChecked(), cbMini->isChecked()});
    } catch (const std::exception& e) {
        dialogs_.message(parentWidget(), MessageKind::Error, kindCaption(MessageKind::Error),
                         QString::fromStdString(e.what()));
    }
}

void PreferencesDialog::setValues(const store::Preferences& prefs) {
    cbprompt->setChecked(prefs.askBeforeBackup);
    cbWidth->setChecked(prefs.padNumber);
    SpinEdit1->setValue(prefs.numberWidth);
    if (prefs.overwriteArchive) rbOverwrite->setChecked(true);
    LogSpinEdit->setValue(prefs.logCount);
}

void PreferencesDialog::takeValues(store::Preferences& prefs) const {
    prefs.askBeforeBackup = cbprompt->isChecked();
    prefs.padNumber = cbWidth->isChecked();
    prefs.numberWidth = SpinEdit1->value();
    prefs.overwriteArchive = rbOverwrite->isChecked();
    prefs.logCount = LogSpinEdit->value();
}

}  // namespace zb::app
