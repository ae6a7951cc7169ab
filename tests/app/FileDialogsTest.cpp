// The list dialogs as a user drives them: a folder and a wildcard chosen in "Select
// files by wildcard" become one list line, the favourites edited in "Edit wildcard"
// reach the file and the drop-down, and a project renamed through "Rename project".
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <cstdlib>

#include "app/AddByWildcard.h"
#include "app/BackupPageWidgets.h"
#include "app/DriveList.h"
#include "app/FormRename.h"
#include "app/FormSelectByFilter.h"
#include "app/FormWildcard.h"
#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "platform/IniFile.h"
#include "ScriptedDialogs.h"
#include "support/TempDir.h"

using namespace zb;

namespace {

class FileDialogsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    platform::ManualClock clock{platform::encodeDateTime({2024, 3, 7, 10, 0, 0, 0})};
    std::filesystem::path ini = dir / "project.ini";
    store::PreferencesStore prefs{ini};

    FileDialogsTest() {
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        std::filesystem::create_directories(dir / "data");
    }
    ~FileDialogsTest() override {
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    // The user picks `folder` in the wildcard dialog, leaves the drop-down as offered
    // and confirms.
    void pickFolder(const QString& folder) {
        dialogs.onExec = [folder](QDialog& d) {
            auto& form = dynamic_cast<app::FormSelectByFilter&>(d);
            form.setFolder(folder);
            EXPECT_EQ(form.LabelFolder->text(), folder);
            return int(QDialog::Accepted);
        };
    }

    static QStringList lines(const QListWidget& list) {
        QStringList out;
        for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
        return out;
    }
};

TEST_F(FileDialogsTest, WildcardDialogAddsFolderAndWildcard) {
    const QString data = QString::fromStdString((dir / "data").string());
    struct Case {
        std::vector<std::string> favourites;
        QString folder, offered, line;
    };
    const Case cases[] = {
        {{}, data, "*.*", data + "/*.*"},
        {{}, "/", "*.*", "/*.*"},
        {{"*.txt", "", "*.doc"}, data + "/", "*.txt", data + "/*.txt"},
    };
    for (const Case& c : cases) {
        prefs.writeWildcards(c.favourites);
        app::FormSelectByFilter form(prefs, dialogs);
        EXPECT_EQ(form.ComboBox1->currentText(), c.offered);
        EXPECT_EQ(form.SpeedButton1->toolTip(), "Edit wildcard");
        QListWidget list;
        pickFolder(c.folder);
        app::AddByWildcard(list, prefs, dialogs, nullptr);
        EXPECT_EQ(lines(list), QStringList{c.line}) << c.folder.toStdString();
    }
}

TEST_F(FileDialogsTest, SameLineTwiceSelectsTheFirstAndCancelAddsNothing) {
    const QString data = QString::fromStdString((dir / "data").string());
    QListWidget list;
    list.addItem("/other/*.*");
    pickFolder(data);
    app::AddByWildcard(list, prefs, dialogs, nullptr);
    app::AddByWildcard(list, prefs, dialogs, nullptr);
    EXPECT_EQ(lines(list), (QStringList{"/other/*.*", data + "/*.*", data + "/*.*"}));
    EXPECT_EQ(list.currentRow(), 1);
    dialogs.onExec = [](QDialog&) { return int(QDialog::Rejected); };
    app::AddByWildcard(list, prefs, dialogs, nullptr);
    EXPECT_EQ(list.count(), 3);
}

TEST_F(FileDialogsTest, WildcardEditorKeepsFavourites) {
    prefs.writeWildcards({"*.a", "*.b", "*.c", "*.d", "*.e"});
    {
        app::FormWildcard editor(prefs, dialogs);
        EXPECT_EQ(lines(*editor.ListBox1), (QStringList{"*.a", "*.b", "*.c", "*.d", "*.e"}));
        EXPECT_EQ(editor.Edit1->toolTip(), "Please enter a new  wildcard");
        struct Typed {
            QString text;
            int count;
            QString left;  // what the field holds afterwards
        };
        for (const Typed& t : {Typed{"  ", 5, "  "}, Typed{"*.B", 5, ""}, Typed{" *.zip ", 6, ""}}) {
            editor.Edit1->setText(t.text);
            editor.SpNewClick();
            EXPECT_EQ(editor.ListBox1->count(), t.count) << t.text.toStdString();
            EXPECT_EQ(editor.Edit1->text(), t.left) << t.text.toStdString();
        }
        EXPECT_EQ(editor.ListBox1->item(5)->text(), "*.zip");
        editor.btnCancel->click();
    }
    EXPECT_EQ(prefs.readWildcards().size(), 5u);  // cancel wrote nothing

    // Shortened from five to two through the select dialog's "Edit wildcard".
    app::FormSelectByFilter form(prefs, dialogs);
    dialogs.onExec = [](QDialog& d) {
        auto& editor = dynamic_cast<app::FormWildcard&>(d);
        editor.SpeedButton1->click();
        for (const char* w : {"*.txt", "*.doc"}) {
            editor.Edit1->setText(w);
            editor.SpNew->click();
        }
        editor.btnOk->click();
        return editor.result();
    };
    form.SpeedButton1Click();
    EXPECT_EQ(platform::IniFile(ini).readInteger("Common", "Wildcard Total", 0), 2);
    EXPECT_EQ(form.ComboBox1->count(), 2);
    EXPECT_EQ(form.ComboBox1->currentText(), "*.txt");
}

TEST(DriveListTest, PseudoFileSystemsAreLeftOut) {
    struct Case {
        const char* root;
        const char* type;
        bool offered;
    };
    const Case cases[] = {
        {"/", "ext4", true},          {"/home", "ext4", true},         {"/media/usb", "vfat", true},
        {"/run/media/u/stick", "exfat", true}, {"/mnt/share", "nfs4", true}, {"/proc", "proc", false},
        {"/sys/fs/cgroup", "cgroup2", false}, {"/dev/shm", "tmpfs", false}, {"/run/user/1000", "tmpfs", false},
    };
    for (const Case& c : cases) EXPECT_EQ(app::isUserMount(c.root, c.type), c.offered) << c.root;
    EXPECT_EQ(app::driveOf("/home/u/docs", {"/", "/home", "/home/u/docs2"}), "/home");
    EXPECT_TRUE(app::userDrives().contains("/"));
}

TEST_F(FileDialogsTest, RenameRefusesEmptyAndTakenNames) {
    store::ProjectStore projects(ini);
    for (const char* name : {"Docs", "Photos"}) {
        store::ProjectList list = projects.readProjectList();
        store::ProjectRecord record = store::newProjectRecord();
        record.filenamePrefix = name;
        record.savePath = dir.path().string();
        record.includeLines = {(dir / "data" / "*.*").string()};
        record.usePassword = false;
        projects.createProject(name, record, list);
    }
    app::MainWindow w(app::AppEnvironment{dir.path(), clock, dialogs, "/usr/bin/zipbackup"});
    w.comboProject->setCurrentIndex(0);
    w.comboProjectChange();
    struct Case {
        QString typed;
        QString message;  // empty: none
        QStringList names;
    };
    const Case cases[] = {
        {"   ", "Please enter project name", {"Docs", "Photos"}},
        {"PHOTOS", "Project Name exists,Rename fail!", {"Docs", "Photos"}},
        {"DOCS", "", {"Docs", "Photos"}},
        {" Letters ", "", {"Letters", "Photos"}},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        dialogs.onExec = [&c](QDialog& d) {
            auto& form = dynamic_cast<app::FormRename&>(d);
            EXPECT_EQ(form.windowTitle(), "Rename project");
            form.EditProjName->setText(c.typed);
            form.ButtonOk->click();
            return form.result();
        };
        w.SpRename->click();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.empty()) << c.typed.toStdString();
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u) << c.typed.toStdString();
            EXPECT_EQ(dialogs.messages[0].text, c.message);
        }
        QStringList boxNames, trayNames;
        for (int i = 0; i < w.comboProject->count(); ++i) boxNames << w.comboProject->itemText(i);
        for (QAction* a : w.RxTrayIcon1->menuBackup()->actions()) trayNames << a->text();
        EXPECT_EQ(boxNames, c.names) << c.typed.toStdString();
        EXPECT_EQ(trayNames, c.names) << c.typed.toStdString();
    }
    EXPECT_EQ(w.comboProject->currentText(), "Letters");
    const store::ProjectRecord renamed = projects.loadProject("Letters");
    EXPECT_EQ(renamed.filenamePrefix, "Docs");
    EXPECT_FALSE(platform::IniFile(ini).sectionExists("Docs"));
}

}  // namespace
