// The Add Project wizard driven through its buttons: a whole run from the first step to
// Finish writes exactly what the core wizard writes for the same entries, the steps
// refuse what they must, nothing is lost by going back, and the main window takes the
// new project without dropping preferences changed since the start.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>

#include "app/FormProjectName.h"
#include "WindowFixture.h"

using namespace zb;

namespace {

using test::readFile;

class AddProjectWizardFormTest : public test::WindowFixture {
protected:
    AddProjectWizardFormTest() { addProject("Docs"); }

    QStringList errors() const {
        QStringList out;
        for (const auto& m : dialogs.messages) {
            EXPECT_EQ(m.caption, "Error");
            out << m.text;
        }
        return out;
    }
};

TEST_F(AddProjectWizardFormTest, WholeRunWritesWhatTheCoreWrites) {
    auto w = open();
    const std::string before = readFile(ini);
    app::FormProjectName form(*w);
    EXPECT_EQ(form.windowTitle(), "Add project wizard - Step 1 of 6");
    EXPECT_FALSE(form.btnBack->isEnabled());
    EXPECT_EQ(form.LabelYesOrNo->text(), "Subdirectories are included");
    EXPECT_EQ(form.SpinEditNumber->value(), 20);
    EXPECT_EQ(form.DateTimePicker1->time(), QTime(12, 0, 0));
    EXPECT_EQ(form.cbWeekly->currentIndex(), -1);

    form.comboproject->setText("  Mail  ");
    form.btnNext->click();
    EXPECT_EQ(form.EditPrefix->text().trimmed(), "Mail");
    form.btnNext->click();                           // no include line yet
    form.ListboxBackup->addItem("/home/u/mail/*.eml");
    form.RadioNo->click();
    form.btnNext->click();
    EXPECT_EQ(form.LabelYesOrNo->text(), "Subdirectories are not included");
    form.ListBoxNobackup->addItem("/home/u/mail/*.tmp");
    form.btnNext->click();
    form.rxSpinvalue->setValue(7);
    form.RxSpinIncrease->setValue(2);
    EXPECT_TRUE(form.EditFilename->text().endsWith("/Mail07.zip") || form.EditFilename->text().endsWith("/Mail7.zip"))
        << form.EditFilename->text().toStdString();
    form.btnNext->click();
    form.CheckBoxPassword->click();
    EXPECT_TRUE(form.EditPassword->isEnabled());
    form.EditPassword->setText(" Secret ");
    form.EditConfirmPassword->setText("secret");
    form.btnNext->click();  // differs in case
    form.EditConfirmPassword->setText("Secret  ");
    form.CheckBoxcomment->click();
    form.Editcomment->setText(" kept as typed ");
    form.TrackBar1->setValue(9);
    form.btnNext->click();
    EXPECT_EQ(form.windowTitle(), "Add project wizard - Step 6 of 6");
    EXPECT_EQ(form.btnNext->text(), "Finish");
    form.radioWeekly->click();
    EXPECT_EQ(form.cbWeekly->currentText(), "Sunday");
    EXPECT_TRUE(form.cbWeekly->isEnabled());
    EXPECT_FALSE(form.SpinEditNumber->isEnabled());
    form.cbWeekly->setCurrentIndex(3);
    EXPECT_EQ(errors(), (QStringList{"Please select files to backup", "Confirm password is not matching"}));
    EXPECT_EQ(readFile(ini), before);  // nothing written before Finish
    form.btnNext->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);

    // The same entries through the core alone, on a copy of the file as it was.
    const std::filesystem::path other = dir / "other.ini";
    dir.write("other.ini", before);
    store::ProjectStore otherStore(other);
    const store::ProjectList otherList = otherStore.readProjectList();
    const store::Preferences prefs;
    shell::AddProjectWizard core(otherList, prefs, clock);
    core.fields = form.wizard().fields;
    core.finish(otherStore);
    EXPECT_EQ(readFile(ini), readFile(other));
    const store::ProjectRecord stored = store::ProjectStore(ini).loadProject("Mail");
    EXPECT_EQ(stored.comment, "kept as typed");  // the settings file trims values when read
    EXPECT_EQ(stored.scheduleText, "Wednesday");
    EXPECT_EQ(stored.packLevel, 9);
}

TEST_F(AddProjectWizardFormTest, NameInOtherCaseRefusedAndPrefixKeptWhenGoingBack) {
    auto w = open();
    app::FormProjectName form(*w);
    struct Step {
        QString name;
        QString error;  // empty: advances
    };
    for (const Step& s : {Step{"   ", "Please input a new project name!"},
                          Step{" DOCS ", "Project 'DOCS' exists,please input another name!"}, Step{"Music", ""}}) {
        dialogs.messages.clear();
        form.comboproject->setText(s.name);
        form.btnNext->click();
        EXPECT_EQ(errors(), s.error.isEmpty() ? QStringList{} : QStringList{s.error}) << s.name.toStdString();
    }
    EXPECT_EQ(form.windowTitle(), "Add project wizard - Step 2 of 6");
    form.btnBackClick();
    EXPECT_FALSE(form.btnBack->isEnabled());
    EXPECT_EQ(form.btnNext->text(), "Next");
    form.comboproject->setText("Songs");
    form.btnNext->click();
    EXPECT_EQ(form.EditPrefix->text(), "Music");
}

TEST_F(AddProjectWizardFormTest, NewProjectJoinsTheWindowAndKeepsPreferences) {
    auto w = open();
    w->preferences().padNumber = true;
    w->preferences().sortField = store::kSortByName + 1;
    dialogs.onExec = [](QDialog& d) {
        auto* form = dynamic_cast<app::FormProjectName*>(&d);
        if (form == nullptr) return int(QDialog::Rejected);
        form->comboproject->setText("Alpha");
        form->btnNext->click();
        form->ListboxBackup->addItem("/a/*.*");
        for (int i = 0; i < 5; ++i) form->btnNext->click();
        return form->result();
    };
    w->SpNew->click();
    EXPECT_TRUE(w->preferences().padNumber);
    EXPECT_EQ(w->preferences().sortField, store::kSortByName + 1);
    EXPECT_EQ(w->comboProject->currentText(), "Alpha");
    EXPECT_EQ(trayItems(*w), (QStringList{"Alpha", "Docs"}));

    // Cancel writes nothing.
    const std::string before = readFile(ini);
    dialogs.onExec = [](QDialog& d) {
        auto* form = dynamic_cast<app::FormProjectName*>(&d);
        form->comboproject->setText("Beta");
        form->btnClose->click();
        return form->result();
    };
    w->SpNew->click();
    EXPECT_EQ(readFile(ini), before);
}

}  // namespace
