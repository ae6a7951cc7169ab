// The page "Restore" driven as its user drives it: the save folder listed on entering,
// the sort menu, the menu's file items, a Shift+click range deleted, restores with a
// wrong and a right password, the overwrite question both ways, Escape on the
// confirmation, and the list rebuilt after a backup ends on this page.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <random>

#include "app/GridModel.h"
#include "app/QtDialogService.h"
#include "PageFixture.h"

using namespace zb;

namespace {

class RestorePageTest : public test::PageFixture {
protected:
    // A stored archive of one incompressible file of `bytes` bytes, last written at `age`
    // hours before now.
    void makeStored(const std::string& name, std::size_t bytes, int age) {
        std::string data(bytes, '\0');
        std::mt19937 random(static_cast<unsigned>(bytes));
        for (char& c : data) c = static_cast<char>(random());
        dir.write("raw/data.bin", data);
        const auto r = test::runCommand("zip -q0j " + test::shellQuote((archives / name).string()) + " " +
                                        test::shellQuote((dir / "raw" / "data.bin").string()) + " 2>&1");
        ASSERT_EQ(r.exitCode, 0) << r.output;
        ageFile(name, age);
    }
    void ageFile(const std::string& name, int hours) {
        std::filesystem::last_write_time(archives / name,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours));
    }
    static QStringList column(const app::GridModel& model, int c) {
        QStringList cells;
        for (int row = 0; row < model.rowCount(); ++row) cells << model.cell(row, c);
        return cells;
    }
    static void clickRow(QTableView& grid, int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = grid.visualRect(grid.model()->index(row, 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    void prepareRestore(app::RestorePage& page, const QString& password) {
        page.DirectoryRestore->setText(QString::fromStdString(out.string()));
        page.EditRestorePassword->setText(password);
    }
};

TEST_F(RestorePageTest, ListsTheSaveFolderSortsByTheMenuAndLoadsOnlyWhatIsSelected) {
    makeStored("A.zip", 20 * 1024 + 500, 3);
    makeStored("b.zip", 3 * 1024 + 100, 2);
    // An end record that promises one member whose directory entry is not there.
    const char end[] = "PK\x05\x06\0\0\0\0\x01\0\x01\0\x2e\0\0\0\0\0\0\0\0\0";
    dir.write("archives/broken.zip", std::string(60, 'x') + std::string(end, sizeof end - 1));
    ageFile("broken.zip", 1);
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    enterRestore(*w);

    EXPECT_EQ(page.DirectoryView->text().toStdString(), archives.string());
    EXPECT_TRUE(page.DirectoryView->isReadOnly());
    // The stored defaults: by date, ascending. Row 1 is selected and its members shown;
    // the rebuild itself opened no other archive (the damaged one would have said so).
    EXPECT_EQ(column(page.archiveRows(), 0), (QStringList{"A.zip", "b.zip", "broken.zip"}));
    EXPECT_EQ(column(page.archiveRows(), 1), (QStringList{"20", "3", "0"}));
    EXPECT_EQ(page.LabelZipNumber->text(), QStringLiteral("(Total 3 files)"));
    EXPECT_EQ(column(page.memberRows(), 0), QStringList{"data.bin"});
    EXPECT_EQ(page.LabelfileNumber->text(), QStringLiteral("(Total 1 files)"));
    EXPECT_TRUE(dialogs.messages.empty());

    struct Step {
        QAction* item;
        QStringList order;
        std::size_t errors;  // the damaged archive reports itself only when it is row 1
    };
    const Step steps[] = {
        {page.PupmenuBysize, {"broken.zip", "A.zip", "b.zip"}, 1},  // sizes compared as text: "0" < "20" < "3"
        {page.PupMenuByname, {"A.zip", "b.zip", "broken.zip"}, 1},
        {page.PopupmenuDesc, {"broken.zip", "b.zip", "A.zip"}, 2},
    };
    for (const Step& s : steps) {
        s.item->trigger();
        EXPECT_TRUE(s.item->isChecked());
        EXPECT_EQ(column(page.archiveRows(), 0), s.order) << s.item->text().toStdString();
        EXPECT_EQ(page.StringGridZipfilename->currentIndex().row(), 0);
        EXPECT_EQ(dialogs.messages.size(), s.errors) << s.item->text().toStdString();
    }
    EXPECT_EQ(w->preferences().sortField, store::kSortByName);
    EXPECT_TRUE(w->preferences().sortDescending);
    // A damaged archive leaves the member list as it was.
    EXPECT_EQ(dialogs.messages.back().kind, platform::MessageKind::Error);
    EXPECT_EQ(column(page.memberRows(), 0), QStringList{"data.bin"});

    page.StringGridZipfilename->setCurrentIndex(page.archiveRows().index(2, 0));
    EXPECT_EQ(column(page.memberRows(), 0), QStringList{"data.bin"});
    page.OpenZipFile1->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{(archives / "A.zip").string()});
}

TEST_F(RestorePageTest, EmptyFoldersShowOneEmptyRowAndOnlyTheSortMenu) {
    for (bool withArchive : {true, false}) {
        if (withArchive) makeArchive("p1.zip");
        else std::filesystem::remove(archives / "p1.zip");
        auto w = open();
        app::RestorePage& page = *w->restorePage;
        enterRestore(*w);
        page.PopupMenuStringPopup();
        EXPECT_TRUE(page.FilesSort->menuAction()->isVisible());
        for (QAction* item : {page.menuspe, page.OpenZipFile1, page.menuDelete})
            EXPECT_EQ(item->isVisible(), withArchive) << item->text().toStdString();
        const QString count = withArchive ? QStringLiteral("(Total 1 files)") : QStringLiteral("(Total 0 files)");
        EXPECT_EQ(page.LabelZipNumber->text(), count);
        EXPECT_EQ(page.archiveRows().rowCount(), 1);
        EXPECT_EQ(page.archiveRows().cell(0, 0).isEmpty(), !withArchive);
        if (!withArchive) {
            EXPECT_EQ(page.LabelfileNumber->text(), count);
            EXPECT_EQ(page.memberRows().rowCount(), 1);
            EXPECT_TRUE(page.memberRows().cell(0, 0).isEmpty());
        }
    }
}

TEST_F(RestorePageTest, DeletesExactlyTheShiftClickedRangeAndRebuildsOnNo) {
    for (int i = 1; i <= 6; ++i) makeArchive("p" + std::to_string(i) + ".zip");
    auto w = open();
    w->show();
    app::RestorePage& page = *w->restorePage;
    enterRestore(*w);
    page.PupMenuByname->trigger();
    page.PopupmenuAsc->trigger();
    dialogs.answers = {false, true};
    for (bool yes : {false, true}) {
        clickRow(*page.StringGridZipfilename, 2);
        clickRow(*page.StringGridZipfilename, 4, Qt::ShiftModifier);
        page.menuDelete->trigger();
        EXPECT_EQ(dialogs.questions.back(), QStringLiteral("Do you want to delete the 3 files "));
        EXPECT_EQ(dialogs.questionCaptions.back(), QStringLiteral("Warning"));
        const QStringList left = yes ? QStringList{"p1.zip", "p2.zip", "p6.zip"}
                                     : QStringList{"p1.zip", "p2.zip", "p3.zip", "p4.zip", "p5.zip", "p6.zip"};
        EXPECT_EQ(column(page.archiveRows(), 0), left);
        EXPECT_EQ(page.LabelZipNumber->text(), QStringLiteral("(Total %1 files)").arg(left.size()));
        for (int i = 1; i <= 6; ++i) {
            const std::string name = "p" + std::to_string(i) + ".zip";
            EXPECT_EQ(std::filesystem::exists(archives / name), left.contains(QString::fromStdString(name))) << name;
        }
    }
}

TEST_F(RestorePageTest, WrongThenRightPasswordGivesTwoMessagesAndOneFailure) {
    makeArchive("secret.zip", "-P secret");
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    enterRestore(*w);
    prepareRestore(page, QStringLiteral("wrong"));
    EXPECT_EQ(page.SpRestoreClick().outcome, restore::RestoreOutcome::Failed);
    EXPECT_EQ(dialogs.questionCaptions.front(), QStringLiteral("Warning"));
    EXPECT_TRUE(dialogs.questions.front().startsWith(QStringLiteral("Do you want to restore the file 'secret.zip'?\r")));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("The password is incorrect"));
    EXPECT_TRUE(dialogs.messages[1].timed);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith(QStringLiteral("Restore files fails!")));
    EXPECT_EQ(logTotal(), 1);
    EXPECT_EQ(logKey(1, "Status"), "Fails");

    prepareRestore(page, QStringLiteral("secret"));
    EXPECT_EQ(page.SpRestoreClick().outcome, restore::RestoreOutcome::Succeeded);
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QStringLiteral("Restore Files Succeeds!\rProject Name: 'Docs'")));
    EXPECT_EQ(logTotal(), 2);
    EXPECT_EQ(logKey(2, "Status"), "Succeeds");
    EXPECT_EQ(test::readFile(out / "sub" / "b.txt"), std::string(3000, 'b'));
    EXPECT_TRUE(w->isIdle());
    EXPECT_EQ(w->ProgressBar1->value(), 0);
}

TEST_F(RestorePageTest, TheOverwriteQuestionIsAnsweredBothWays) {
    makeArchive("p1.zip");
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    enterRestore(*w);
    prepareRestore(page, QString());
    page.RadioAlways->setChecked(true);
    ASSERT_TRUE(page.SpRestoreClick().ok());
    dir.write("out/a.txt", "mine\n");
    dir.write("out/sub/b.txt", "mine too\n");

    page.RadioPrompt->setChecked(true);
    dialogs.decide = [](const QString& text) -> std::optional<bool> {
        if (text.startsWith(QStringLiteral("Replace existing file "))) return text.contains(QStringLiteral("b.txt"));
        return std::nullopt;
    };
    const std::size_t before = dialogs.questions.size();
    ASSERT_TRUE(page.SpRestoreClick().ok());
    QStringList prompts;
    for (std::size_t i = before + 1; i < dialogs.questions.size(); ++i) {
        prompts << dialogs.questions[i];
        EXPECT_EQ(dialogs.questionCaptions[i], QStringLiteral("File Exists Alert"));
    }
    EXPECT_EQ(prompts.size(), 2);
    EXPECT_EQ(test::readFile(out / "a.txt"), "mine\n");
    EXPECT_EQ(test::readFile(out / "sub" / "b.txt"), std::string(3000, 'b'));
}

// The standard question closed by Escape is a No: nothing is restored or logged.
class EscapingDialogs : public test::CaptionDialogs {
public:
    bool question(QWidget* parent, platform::MessageKind kind, const QString& caption, const QString& text) override {
        questions.push_back(text);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        return real.question(parent, kind, caption, text);
    }
    app::QtDialogService real;
};

TEST_F(RestorePageTest, EscapeOnTheConfirmationRestoresNothing) {
    makeArchive("p1.zip");
    EscapingDialogs escaping;
    app::MainWindow w(app::AppEnvironment{appDir, clock, escaping, "/usr/bin/zipbackup"});
    enterRestore(w);
    w.restorePage->DirectoryRestore->setText(QString::fromStdString(out.string()));
    EXPECT_EQ(w.restorePage->SpRestoreClick().outcome, restore::RestoreOutcome::Declined);
    EXPECT_EQ(escaping.questions.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(out));
    EXPECT_EQ(logTotal(), 0);
}

TEST_F(RestorePageTest, ABackupEndingOnThisPageRebuildsTheList) {
    auto w = open();
    enterRestore(*w);
    EXPECT_EQ(w->restorePage->LabelZipNumber->text(), QStringLiteral("(Total 0 files)"));
    ASSERT_EQ(w->SpStartClick().outcome, backup::BackupOutcome::Succeeded);
    EXPECT_EQ(w->PageControl1->currentIndex(), app::MainWindow::kPageRestore);
    EXPECT_EQ(w->restorePage->LabelZipNumber->text(), QStringLiteral("(Total 1 files)"));
    EXPECT_TRUE(w->restorePage->archiveRows().cell(0, 0).endsWith(QStringLiteral(".zip")));
    EXPECT_EQ(w->restorePage->memberRows().rowCount(), 2);
}

}  // namespace
