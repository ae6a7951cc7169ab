// The dialog's controls; the values it opens with and what "Ap&ply" does with them
// are the core's, so this file only lays the controls out and copies values in and out.
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

#include "app/DialogFrame.h"

namespace zb::app {

PreferencesDialog::PreferencesDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
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
    LogSpinEdit->setRange(shell::kMinLogCount, shell::kMaxLogCount);
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
    SpinEdit1->setRange(shell::kMinNumberWidth, shell::kMaxNumberWidth);
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
    auto* body = new QVBoxLayout;
    body->addWidget(pages);
    layOutDialog(*this, body, nullptr, {btnApply, btnClose});

    connect(cbRun, &QCheckBox::toggled, this, [this] { cbRunClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnApply, &QPushButton::clicked, this, &QDialog::accept);
    pages->setCurrentIndex(0);
}

void PreferencesDialog::cbRunClick() { cbMini->setEnabled(shell::runMinimizedEnabled(values())); }

void PreferencesDialog::setValues(const shell::PreferencesDialogValues& v) {
    cbRun->setChecked(v.runAtStart);
    cbMini->setChecked(v.runMinimized);
    cbprompt->setChecked(v.prompt);
    cbWidth->setChecked(v.padNumber);
    SpinEdit1->setValue(v.numberWidth);
    (v.overwrite ? rbOverwrite : rbSkip)->setChecked(true);
    LogSpinEdit->setValue(v.logCount);
    cbRunClick();
}

shell::PreferencesDialogValues PreferencesDialog::values() const {
    shell::PreferencesDialogValues v;
    v.runAtStart = cbRun->isChecked();
    v.runMinimized = cbMini->isChecked();
    v.prompt = cbprompt->isChecked();
    v.padNumber = cbWidth->isChecked();
    v.numberWidth = SpinEdit1->value();
    v.overwrite = rbOverwrite->isChecked();
    v.logCount = LogSpinEdit->value();
    return v;
}

}  // namespace zb::app
