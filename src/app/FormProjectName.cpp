// The wizard's pages keep their controls while the user goes back and forth, so
// nothing entered is lost; before every step the controls are copied into the core
// wizard, which checks the step, builds the captions and the preview and, at Finish,
// writes the project through the store.
#include "app/FormProjectName.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/DialogFrame.h"
#include "app/DialogService.h"
#include "app/FileListEditor.h"
#include "app/FormControls.h"
#include "app/HelpFiles.h"
#include "app/MainWindow.h"
#include "app/QtUi.h"

namespace zb::app {

namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;

QLabel* heading(const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

FormProjectName::FormProjectName(MainWindow& window)
    : QDialog(&window, kFixedDialogFlags),
      window_(window),
      ui_(std::make_unique<QtUi>(window.dialogs(), this, QtUi::Hooks{})),
      wizard_(window.projectList(), window.preferences(), window.clock()) {
    setObjectName(QStringLiteral("TFormProjectName"));
    // The wizard's own save folder starts at the home folder.
    wizard_.fields.saveFolder = QDir::homePath().toStdString();

    Notebook1 = new QStackedWidget;
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    for (QWidget* page : {buildStep1(), buildStep2(), buildStep3(), buildStep4(), buildStep5(), buildStep6()})
        Notebook1->addWidget(page);
    Button1 = new QPushButton(QStringLiteral("Help"));
    btnBack = new QPushButton(QStringLiteral("Back"));
    btnBack->setObjectName(QStringLiteral("btnBack"));
    btnNext = new QPushButton(QStringLiteral("Next"));
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnNext->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("Cancel"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* body = new QVBoxLayout;
    body->addWidget(Notebook1);
    layOutDialog(*this, body, Button1, {btnBack, btnNext, btnClose});

    connectControls();
    readFields();
    showState();
}

FormProjectName::~FormProjectName() = default;

QString FormProjectName::projectName() const { return comboproject->text().trimmed(); }

QWidget* FormProjectName::buildStep1() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Please enter new project name:"));
    layout->addSpacing(12);
    layout->addWidget(new QLabel(QStringLiteral("Project name")));
    comboproject = new QLineEdit;
    comboproject->setObjectName(QStringLiteral("comboproject"));
    layout->addWidget(comboproject);
    layout->addStretch();
    return page;
}

QWidget* FormProjectName::buildStep2() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Select files to backup"));
    layout->addWidget(new QLabel(QStringLiteral("You can select files by filename or wildcard")));
    IncludeFiles = new FileListEditor({"ListboxBackup", "SpeedButton1", "SpeedButton2", "Button4", "SpeedButton3"});
    IncludeFiles->exposeAs(ListboxBackup, SpeedButton1, SpeedButton2, Button4, SpeedButton3);
    layout->addWidget(IncludeFiles, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Subdirectories included:")));
    RadioYes = new QRadioButton(QStringLiteral("Yes"));
    RadioYes->setChecked(true);
    RadioNo = new QRadioButton(QStringLiteral("No"));
    row->addWidget(RadioYes);
    row->addWidget(RadioNo);
    row->addStretch();
    layout->addLayout(row);
    return page;
}

QWidget* FormProjectName::buildStep3() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Select files to exclude"));
    layout->addWidget(new QLabel(QStringLiteral("You can select files by filename or wildcard")));
    ExcludeFiles =
        new FileListEditor({"ListBoxNobackup", "SpeedButton4", "SpeedButton5", "SpeedButton6", "SpeedButton7"});
    ExcludeFiles->exposeAs(ListBoxNobackup, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7);
    layout->addWidget(ExcludeFiles, 1);
    LabelYesOrNo = new QLabel;
    LabelYesOrNo->setObjectName(QStringLiteral("LabelYesOrNo"));
    layout->addWidget(LabelYesOrNo);
    return page;
}

QWidget* FormProjectName::buildStep4() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Select location to store backup"));
    layout->addWidget(new QLabel(QStringLiteral("Backup filename can be auto created based on prefix and suffix ")));
    auto* prefix = new QGroupBox(QStringLiteral("Prefix"));
    auto* prefixLayout = new QVBoxLayout(prefix);
    EditPrefix = new QLineEdit;
    EditPrefix->setObjectName(QStringLiteral("EditPrefix"));
    prefixLayout->addWidget(EditPrefix);
    layout->addWidget(prefix);

    auto* suffix = new QGroupBox(QStringLiteral("Suffix"));
    auto* suffixLayout = new QGridLayout(suffix);
    RadioUseNone = new QRadioButton(QStringLiteral("None"));
    RadioUseDate = new QRadioButton(QStringLiteral("Date"));
    RadioUserNumber = new QRadioButton(QStringLiteral("Number"));
    RadioUserNumber->setChecked(true);
    rxSpinvalue = spinBox(backup::kMinRunningNumber, backup::kMaxRunningNumber, 1);
    rxSpinvalue->setObjectName(QStringLiteral("rxSpinvalue"));
    Labelauto = new QLabel(QStringLiteral("Next increase:"));
    RxSpinIncrease = spinBox(1, 1000, 1);
    RxSpinIncrease->setObjectName(QStringLiteral("RxSpinIncrease"));
    suffixLayout->addWidget(RadioUseNone, 0, 0);
    suffixLayout->addWidget(RadioUseDate, 1, 0);
    suffixLayout->addWidget(RadioUserNumber, 2, 0);
    suffixLayout->addWidget(rxSpinvalue, 2, 1);
    suffixLayout->addWidget(Labelauto, 2, 2);
    suffixLayout->addWidget(RxSpinIncrease, 2, 3);
    suffixLayout->setColumnStretch(4, 1);
    layout->addWidget(suffix);

    auto* filename = new QGroupBox(QStringLiteral("Filename"));
    auto* filenameLayout = new QHBoxLayout(filename);
    EditFilename = new QLineEdit;
    EditFilename->setObjectName(QStringLiteral("EditFilename"));
    // Finish stores the folder and the naming fields, not this text: it only shows
    // what they give, so it is not typed into.
    EditFilename->setReadOnly(true);
    EditFilename->setMinimumWidth(380);
    SpSelectDirectory = toolButton(this, "SpSelectDirectory", QStyle::SP_DirOpenIcon, "Select directory to save");
    filenameLayout->addWidget(EditFilename, 1);
    filenameLayout->addWidget(SpSelectDirectory);
    layout->addWidget(filename);
    layout->addStretch();
    return page;
}

QWidget* FormProjectName::buildStep5() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Options"));
    CheckBoxPassword = new QCheckBox(QStringLiteral("Use password protect Zip file"));
    layout->addWidget(CheckBoxPassword);
    auto* grid = new QGridLayout;
    LabInput = new QLabel(QStringLiteral("Enter password:"));
    EditPassword = new QLineEdit;
    EditPassword->setObjectName(QStringLiteral("EditPassword"));
    EditPassword->setEchoMode(QLineEdit::Password);
    LabConfirm = new QLabel(QStringLiteral("Retype password:"));
    EditConfirmPassword = new QLineEdit;
    EditConfirmPassword->setObjectName(QStringLiteral("EditConfirmPassword"));
    EditConfirmPassword->setEchoMode(QLineEdit::Password);
    grid->setContentsMargins(20, 0, 0, 0);
    grid->addWidget(LabInput, 0, 0);
    grid->addWidget(EditPassword, 0, 1);
    grid->addWidget(LabConfirm, 1, 0);
    grid->addWidget(EditConfirmPassword, 1, 1);
    layout->addLayout(grid);
    CheckBoxpath = new QCheckBox(QStringLiteral("Save full path information to Zip file"));
    CheckBoxpath->setChecked(true);
    layout->addWidget(CheckBoxpath);
    CheckBoxcomment = new QCheckBox(QStringLiteral("Add comment to Zip file"));
    layout->addWidget(CheckBoxcomment);
    Editcomment = new QLineEdit;
    Editcomment->setObjectName(QStringLiteral("Editcomment"));
    layout->addWidget(Editcomment);
    auto* ratio = new QGroupBox(QStringLiteral("Compression ratio"));
    auto* ratioLayout = new QHBoxLayout(ratio);
    TrackBar1 = new QSlider(Qt::Horizontal);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 9);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setValue(6);
    ratioLayout->addWidget(new QLabel(QStringLiteral("None")));
    ratioLayout->addWidget(TrackBar1, 1);
    ratioLayout->addWidget(new QLabel(QStringLiteral("Max")));
    layout->addWidget(ratio);
    layout->addStretch();
    return page;
}

QWidget* FormProjectName::buildStep6() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading("Schedule"));
    layout->addWidget(new QLabel(QStringLiteral("You can customize a schedule for project to launch the\n"
                                                "backup operation within a specified time automatically.")));
    auto* grid = new QGridLayout;
    radioNone = new QRadioButton(QStringLiteral("None"));
    radioNone->setChecked(true);
    radioOnce = new QRadioButton(QStringLiteral("Occurs daily once at"));
    radioDaily = new QRadioButton(QStringLiteral("Occurs daily every"));
    radioWeekly = new QRadioButton(QStringLiteral("Occurs weekly every on"));
    DateTimePicker1 = new QTimeEdit(QTime(12, 0, 0));
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    SpinEditNumber = spinBox(backup::kMinScheduleMinutes, backup::kMaxScheduleMinutes, backup::kWizardMinutesStart);
    SpinEditNumber->setObjectName(QStringLiteral("SpinEditNumber"));
    cbhour = new QLabel(QStringLiteral("minutes"));
    cbWeekly = new QComboBox;
    cbWeekly->setObjectName(QStringLiteral("cbWeekly"));
    for (const char* day : backup::kWeekdayNames) cbWeekly->addItem(QString::fromLatin1(day));
    cbWeekly->setCurrentIndex(-1);
    grid->addWidget(radioNone, 0, 0);
    grid->addWidget(radioOnce, 1, 0);
    grid->addWidget(DateTimePicker1, 1, 1);
    grid->addWidget(radioDaily, 2, 0);
    grid->addWidget(SpinEditNumber, 2, 1);
    grid->addWidget(cbhour, 2, 2);
    grid->addWidget(radioWeekly, 3, 0);
    grid->addWidget(cbWeekly, 3, 1);
    grid->setColumnStretch(3, 1);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addStretch();
    return page;
}

void FormProjectName::connectControls() {
    connect(Button1, &QPushButton::clicked, this, [] { openHelp(HelpTopic::Dialogs); });
    connect(btnBack, &QPushButton::clicked, this, &FormProjectName::btnBackClick);
    connect(btnNext, &QPushButton::clicked, this, &FormProjectName::btnNextClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    for (FileListEditor* files : {IncludeFiles, ExcludeFiles})
        files->connectActions(window_.preferencesStore(), window_.dialogs(), this);

    const auto changed = [this] {
        readFields();
        showState();
    };
    for (QRadioButton* r : {RadioYes, RadioNo, RadioUseNone, RadioUseDate, RadioUserNumber})
        connect(r, &QRadioButton::toggled, this, changed);
    connect(EditPrefix, &QLineEdit::textChanged, this, changed);
    connect(rxSpinvalue, &QSpinBox::valueChanged, this, changed);
    connect(RxSpinIncrease, &QSpinBox::valueChanged, this, changed);
    connect(CheckBoxPassword, &QCheckBox::toggled, this, changed);
    connect(CheckBoxcomment, &QCheckBox::toggled, this, changed);
    connect(SpSelectDirectory, &QToolButton::clicked, this, &FormProjectName::SpSelectDirectoryClick);
    for (QRadioButton* r : {radioNone, radioOnce, radioDaily, radioWeekly})
        connect(r, &QRadioButton::clicked, this, &FormProjectName::scheduleClicked);
}

void FormProjectName::readFields() {
    shell::WizardFields& f = wizard_.fields;
    f.name = text(comboproject);
    f.includeLines = IncludeFiles->lines();
    f.includeSubfolders = RadioYes->isChecked();
    f.excludeLines = ExcludeFiles->lines();
    f.prefix = text(EditPrefix);
    f.suffix = RadioUserNumber->isChecked() ? backup::ArchiveSuffix::Number
               : RadioUseDate->isChecked()  ? backup::ArchiveSuffix::Date
                                            : backup::ArchiveSuffix::None;
    f.number = rxSpinvalue->value();
    f.increase = RxSpinIncrease->value();
    f.usePassword = CheckBoxPassword->isChecked();
    f.password = text(EditPassword);
    f.confirmation = text(EditConfirmPassword);
    f.storePaths = CheckBoxpath->isChecked();
    f.storeComment = CheckBoxcomment->isChecked();
    f.comment = text(Editcomment);
    f.packLevel = TrackBar1->value();
    f.schedule.kind = radioOnce->isChecked()     ? backup::ScheduleKind::DailyOnce
                      : radioDaily->isChecked()  ? backup::ScheduleKind::EveryMinutes
                      : radioWeekly->isChecked() ? backup::ScheduleKind::Weekly
                                                 : backup::ScheduleKind::None;
    f.schedule.timeOfDay = DateTimePicker1->time().msecsSinceStartOfDay() / 1000.0 / kSecondsPerDay;
    f.schedule.everyMinutes = SpinEditNumber->value();
    if (cbWeekly->currentIndex() >= 0) {
        f.schedule.weekday = cbWeekly->currentIndex();
    } else {
        f.schedule.weekday.reset();
    }
}

void FormProjectName::showState() {
    const QSignalBlocker block(EditPrefix);
    Notebook1->setCurrentIndex(wizard_.step() - 1);
    setWindowTitle(QString::fromStdString(wizard_.caption()));
    btnNext->setText(QString::fromStdString(wizard_.nextCaption()));
    btnBack->setEnabled(wizard_.backEnabled());
    LabelYesOrNo->setText(QString::fromStdString(wizard_.subfolderLabel()));
    if (EditPrefix->text() != QString::fromStdString(wizard_.fields.prefix))
        EditPrefix->setText(QString::fromStdString(wizard_.fields.prefix));
    for (QWidget* w : std::initializer_list<QWidget*>{rxSpinvalue, Labelauto, RxSpinIncrease})
        w->setEnabled(wizard_.numberFieldsEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{LabInput, EditPassword, LabConfirm, EditConfirmPassword})
        w->setEnabled(wizard_.passwordFieldsEnabled());
    Editcomment->setEnabled(wizard_.commentEnabled());
    const backup::ScheduleControls schedule = wizard_.scheduleControls();
    DateTimePicker1->setEnabled(schedule.timePicker);
    SpinEditNumber->setEnabled(schedule.minutes);
    cbhour->setEnabled(schedule.minutes);
    cbWeekly->setEnabled(schedule.weekday);
    EditFilename->setText(QString::fromStdString(wizard_.archiveName()));
}

void FormProjectName::scheduleClicked() {
    readFields();
    wizard_.chooseScheduleKind(wizard_.fields.schedule.kind);
    if (const auto day = wizard_.fields.schedule.weekday) {
        const QSignalBlocker block(cbWeekly);
        cbWeekly->setCurrentIndex(*day);
    }
    showState();
}

void FormProjectName::SpSelectDirectoryClick() {
    readFields();
    if (wizard_.SpSelectDirectoryClick(*ui_)) showState();
}

void FormProjectName::btnNextClick() {
    readFields();
    try {
        if (wizard_.btnNextClick(*ui_, window_.projectStore()) == shell::AddProjectWizard::NextResult::Finished) {
            accept();
            return;
        }
    } catch (const std::exception& e) {
        // A refused write leaves the wizard open with everything entered.
        window_.dialogs().message(this, MessageKind::Error, kindCaption(MessageKind::Error),
                                  QString::fromStdString(e.what()));
    }
    showState();
}

void FormProjectName::btnBackClick() {
    readFields();
    wizard_.btnBackClick();
    showState();
}

}  // namespace zb::app
