// The layout keeps the lists on the left, where they can grow, and the naming, options
// and schedule on the right. Every row is laid out by Qt layouts, so a larger font or
// a high-density screen makes the page larger rather than clipping it.
#include "app/BackupPageWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/FileListEditor.h"
#include "app/FormControls.h"
#include "platform/DateFormat.h"
#include "platform/TextCase.h"
#include "store/ProjectRecord.h"

namespace zb::app {

namespace {

QTime toQTime(platform::DateTime value) {
    const platform::DateTimeParts parts = platform::decodeDateTime(value);
    return QTime(parts.hour, parts.minute, parts.second);
}

}  // namespace

BackupPageWidgets::BackupPageWidgets(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Tabbackup"));
    buildSource();
    buildDestination();
    buildOptions();
    buildSchedule();
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(GroupSource, 0, 0, 2, 1);
    layout->addWidget(GroupDes, 0, 1);
    layout->addWidget(GroupOption, 1, 1);
    layout->addWidget(GroupSche, 2, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 1);
    showNameFields(backup::BackupPage{});
    showSchedule(backup::ScheduleFields{});
    setEditable(false);
}

void BackupPageWidgets::buildSource() {
    GroupSource = new QGroupBox(QStringLiteral("Source"), this);
    GroupSource->setObjectName(QStringLiteral("GroupSource"));
    // The page holds two lists above each other: their buttons stand close to fit.
    IncludeFiles = new FileListEditor({"ListboxBackup", "Button1", "Button2", "Button4", "SpeedButton1"}, 2);
    ExcludeFiles = new FileListEditor({"ListBoxNobackup", "Button6", "Button3", "Button5", "SpeedButton2"}, 2);
    IncludeFiles->exposeAs(ListboxBackup, Button1, Button2, Button4, SpeedButton1);
    ExcludeFiles->exposeAs(ListBoxNobackup, Button6, Button3, Button5, SpeedButton2);
    RadioYes = new QRadioButton(QStringLiteral("Yes"));
    RadioNo = new QRadioButton(QStringLiteral("No"));
    RadioYes->setChecked(true);

    auto* layout = new QVBoxLayout(GroupSource);
    layout->setSpacing(3);
    layout->addWidget(new QLabel(QStringLiteral("Select files to backup")));
    layout->addWidget(IncludeFiles, 3);
    layout->addWidget(new QLabel(QStringLiteral("Select files to exclude")));
    layout->addWidget(ExcludeFiles, 2);
    auto* subfolders = new QHBoxLayout;
    subfolders->addWidget(new QLabel(QStringLiteral("Subdirectories included:")));
    subfolders->addWidget(RadioYes);
    subfolders->addWidget(RadioNo);
    subfolders->addStretch();
    layout->addLayout(subfolders);
}

void BackupPageWidgets::buildDestination() {
    GroupDes = new QGroupBox(QStringLiteral("Destination"), this);
    GroupDes->setObjectName(QStringLiteral("GroupDes"));
    EditPrefix = new QLineEdit;
    EditPrefix->setObjectName(QStringLiteral("EditPrefix"));
    RadioUseNone = new QRadioButton(QStringLiteral("None"));
    RadioUseDate = new QRadioButton(QStringLiteral("Date"));
    RadioUserNumber = new QRadioButton(QStringLiteral("Number"));
    RadioUserNumber->setChecked(true);
    rxSpinvalue = spinBox(backup::kMinRunningNumber, backup::kMaxRunningNumber, 1);
    Labelauto = new QLabel(QStringLiteral("Next increase:"));
    RxSpinIncrease = spinBox(backup::kMinRunningNumber, backup::kMaxRunningNumber, 1);
    EditFilename = new QLineEdit;
    EditFilename->setObjectName(QStringLiteral("EditFilename"));
    SpSelectDirectory = toolButton(this, "SpSelectDirectory", QStyle::SP_DirOpenIcon, "Select directory to save");

    auto* layout = new QGridLayout(GroupDes);
    layout->addWidget(new QLabel(QStringLiteral("Prefix:")), 0, 0);
    layout->addWidget(EditPrefix, 0, 1, 1, 5);
    layout->addWidget(new QLabel(QStringLiteral("Suffix:")), 1, 0);
    layout->addWidget(RadioUseNone, 1, 1);
    layout->addWidget(RadioUseDate, 1, 2);
    layout->addWidget(RadioUserNumber, 1, 3);
    layout->addWidget(rxSpinvalue, 1, 4, 1, 2);
    auto* increase = new QHBoxLayout;
    increase->addStretch();
    increase->addWidget(Labelauto);
    increase->addWidget(RxSpinIncrease);
    layout->addLayout(increase, 2, 1, 1, 5);
    layout->addWidget(new QLabel(QStringLiteral("Filename:")), 3, 0);
    layout->addWidget(EditFilename, 3, 1, 1, 4);
    layout->addWidget(SpSelectDirectory, 3, 5);
    layout->setColumnStretch(4, 1);

    connect(EditPrefix, &QLineEdit::textEdited, this, &BackupPageWidgets::nameInputsChanged);
    for (QSpinBox* box : {rxSpinvalue, RxSpinIncrease}) {
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (GroupDes->isEnabled()) emit nameInputsChanged();
        });
    }
    const std::pair<QRadioButton*, backup::ArchiveSuffix> suffixes[] = {
        {RadioUseNone, backup::ArchiveSuffix::None},
        {RadioUseDate, backup::ArchiveSuffix::Date},
        {RadioUserNumber, backup::ArchiveSuffix::Number}};
    for (const auto& [radio, suffix] : suffixes) {
        connect(radio, &QRadioButton::clicked, this, [this, s = suffix] { emit suffixClicked(s); });
    }
}

void BackupPageWidgets::buildOptions() {
    GroupOption = new QGroupBox(QStringLiteral("Options"), this);
    GroupOption->setObjectName(QStringLiteral("GroupOption"));
    CheckBoxPassword = new QCheckBox(QStringLiteral("Use password protect Zip file:"));
    EditPassword = new QLineEdit;
    EditPassword->setEchoMode(QLineEdit::Password);
    EditConfirmPassword = new QLineEdit;
    EditConfirmPassword->setEchoMode(QLineEdit::Password);
    CheckBoxpath = new QCheckBox(QStringLiteral("Save full path information to Zip"));
    CheckBoxcomment = new QCheckBox(QStringLiteral("Add comment"));
    Editcomment = new QLineEdit;
    TrackBar1 = new QSlider(Qt::Horizontal);
    TrackBar1->setRange(0, 9);
    TrackBar1->setValue(6);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setPageStep(1);

    auto* layout = new QGridLayout(GroupOption);
    layout->addWidget(CheckBoxPassword, 0, 0, 1, 4);
    layout->addWidget(new QLabel(QStringLiteral("Enter Password:")), 1, 0);
    layout->addWidget(EditPassword, 1, 1, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Retype Password:")), 2, 0);
    layout->addWidget(EditConfirmPassword, 2, 1, 1, 3);
    layout->addWidget(CheckBoxpath, 3, 0, 1, 4);
    layout->addWidget(CheckBoxcomment, 4, 0);
    layout->addWidget(Editcomment, 4, 1, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Compression ratio:")), 5, 0);
    layout->addWidget(new QLabel(QStringLiteral("None")), 5, 1);
    layout->addWidget(TrackBar1, 5, 2);
    layout->addWidget(new QLabel(QStringLiteral("Max")), 5, 3);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(6, 1);

    connect(CheckBoxcomment, &QCheckBox::toggled, Editcomment, &QWidget::setEnabled);
}

void BackupPageWidgets::buildSchedule() {
    GroupSche = new QGroupBox(QStringLiteral("Schedule"), this);
    GroupSche->setObjectName(QStringLiteral("GroupSche"));
    radioNone = new QRadioButton(QStringLiteral("None"));
    radioNone->setChecked(true);
    radioOnce = new QRadioButton(QStringLiteral("Daily once at"));
    DateTimePicker1 = new QTimeEdit(QTime(12, 0, 0));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    radioDaily = new QRadioButton(QStringLiteral("Daily every"));
    SpinEditNumber = spinBox(backup::kMinScheduleMinutes, backup::kMaxScheduleMinutes, backup::kPageMinutesStart);
    cbhour = new QLabel(QStringLiteral("minutes"));
    radioWeekly = new QRadioButton(QStringLiteral("Weekly every on"));
    cbWeekly = new QComboBox;
    for (const char* day : backup::kWeekdayNames) cbWeekly->addItem(QString::fromLatin1(day));
    cbWeekly->setCurrentIndex(-1);

    auto* layout = new QHBoxLayout(GroupSche);
    layout->addWidget(radioNone);
    layout->addSpacing(8);
    layout->addWidget(radioOnce);
    layout->addWidget(DateTimePicker1);
    layout->addSpacing(8);
    layout->addWidget(radioDaily);
    layout->addWidget(SpinEditNumber);
    layout->addWidget(cbhour);
    layout->addSpacing(8);
    layout->addWidget(radioWeekly);
    layout->addWidget(cbWeekly);
    layout->addStretch();

    const std::pair<QRadioButton*, backup::ScheduleKind> kinds[] = {
        {radioNone, backup::ScheduleKind::None},
        {radioOnce, backup::ScheduleKind::DailyOnce},
        {radioDaily, backup::ScheduleKind::EveryMinutes},
        {radioWeekly, backup::ScheduleKind::Weekly}};
    for (const auto& [radio, kind] : kinds) {
        connect(radio, &QRadioButton::clicked, this, [this, k = kind] { emit scheduleKindClicked(k); });
    }
}

void BackupPageWidgets::showNameFields(const backup::BackupPage& page) {
    const QSignalBlocker blockValue(rxSpinvalue), blockStep(RxSpinIncrease);
    switch (page.suffix) {
        case backup::ArchiveSuffix::None: RadioUseNone->setChecked(true); break;
        case backup::ArchiveSuffix::Date: RadioUseDate->setChecked(true); break;
        case backup::ArchiveSuffix::Number: RadioUserNumber->setChecked(true); break;
    }
    const bool number = backup::numberFieldsEnabled(page);
    rxSpinvalue->setEnabled(number);
    Labelauto->setEnabled(number);
    RxSpinIncrease->setEnabled(number);
    RxSpinIncrease->setValue(page.increase);
    rxSpinvalue->setValue(page.shownNumber);
    EditFilename->setText(QString::fromStdString(page.archiveName));
}

void BackupPageWidgets::showSchedule(const backup::ScheduleFields& fields) {
    DateTimePicker1->setTime(toQTime(fields.timeOfDay));
    SpinEditNumber->setValue(fields.everyMinutes);
    cbWeekly->setCurrentIndex(fields.weekday.value_or(-1));
    switch (fields.kind) {
        case backup::ScheduleKind::DailyOnce: radioOnce->setChecked(true); break;
        case backup::ScheduleKind::EveryMinutes: radioDaily->setChecked(true); break;
        case backup::ScheduleKind::Weekly: radioWeekly->setChecked(true); break;
        case backup::ScheduleKind::None: radioNone->setChecked(true); break;
    }
    const backup::ScheduleControls enabled = backup::scheduleControls(fields);
    DateTimePicker1->setEnabled(enabled.timePicker);
    SpinEditNumber->setEnabled(enabled.minutes);
    cbhour->setEnabled(enabled.minutes);
    cbWeekly->setEnabled(enabled.weekday);
}

void BackupPageWidgets::setEditable(bool editable) {
    for (QGroupBox* group : {GroupSource, GroupDes, GroupOption, GroupSche}) group->setEnabled(editable);
}

void BackupPageWidgets::showPage(const backup::BackupPage& page) {
    const store::ProjectRecord& r = page.record;
    EditPrefix->setText(QString::fromStdString(r.filenamePrefix));
    // The page model holds the effective choices (an unknown stored value has already
    // kept the previous one) and the numbers the fields show.
    showNameFields(page);
    IncludeFiles->setLines(r.includeLines);
    ExcludeFiles->setLines(r.excludeLines);
    (r.includeSubfolders ? RadioYes : RadioNo)->setChecked(true);
    CheckBoxPassword->setChecked(r.usePassword);
    EditPassword->setText(QString::fromStdString(r.password));
    EditConfirmPassword->setText(QString::fromStdString(r.passwordConfirmation));
    CheckBoxpath->setChecked(r.storePaths);
    CheckBoxcomment->setChecked(r.storeComment);
    Editcomment->setEnabled(r.storeComment);
    Editcomment->setText(QString::fromStdString(r.comment));

    showSchedule(page.schedule);
    TrackBar1->setValue(r.packLevel);
}

void BackupPageWidgets::readInto(backup::BackupPage& page) const {
    store::ProjectRecord& r = page.record;
    r.filenamePrefix = EditPrefix->text().toStdString();
    page.suffix = RadioUserNumber->isChecked() ? backup::ArchiveSuffix::Number
                  : RadioUseDate->isChecked()  ? backup::ArchiveSuffix::Date
                  : RadioUseNone->isChecked()  ? backup::ArchiveSuffix::None
                                               : backup::ArchiveSuffix::Number;
    r.suffix = static_cast<int>(page.suffix);
    page.shownNumber = rxSpinvalue->value();
    page.increase = RxSpinIncrease->value();
    r.increaseValue = page.increase;
    r.value = page.shownNumber - page.increase;
    page.archiveName = EditFilename->text().toStdString();
    r.includeLines = IncludeFiles->lines();
    r.excludeLines = ExcludeFiles->lines();
    r.includeSubfolders = RadioYes->isChecked();
    r.usePassword = CheckBoxPassword->isChecked();
    r.password = EditPassword->text().toStdString();
    r.passwordConfirmation = EditConfirmPassword->text().toStdString();
    r.storePaths = CheckBoxpath->isChecked();
    r.storeComment = CheckBoxcomment->isChecked();
    r.comment = Editcomment->text().toStdString();
    backup::ScheduleFields& schedule = page.schedule;
    schedule.kind = radioNone->isChecked()     ? backup::ScheduleKind::None
                    : radioWeekly->isChecked() ? backup::ScheduleKind::Weekly
                    : radioDaily->isChecked()  ? backup::ScheduleKind::EveryMinutes
                                               : backup::ScheduleKind::DailyOnce;
    const QTime t = DateTimePicker1->time();
    schedule.timeOfDay = platform::encodeTime(t.hour(), t.minute(), t.second());
    schedule.everyMinutes = SpinEditNumber->value();
    schedule.weekday.reset();
    if (cbWeekly->currentIndex() >= 0) schedule.weekday = cbWeekly->currentIndex();
    backup::saveScheduleFields(schedule, r.backupMode, r.scheduleText);
    r.packLevel = TrackBar1->value();
}

void BackupPageWidgets::clearPage() {
    EditPrefix->clear();
    EditFilename->clear();
    IncludeFiles->setLines({});
    ExcludeFiles->setLines({});
}

}  // namespace zb::app
