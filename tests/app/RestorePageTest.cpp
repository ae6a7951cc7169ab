// The page "Restore" driven as its user drives it: the save folder listed on entering,
// the sort menu, the menu's file items with and without archives, a Shift+click range deleted, restores with a
// wrong and a right password, the overwrite question both ways, Escape on the
// confirmation, "Cancel" during a restore, and the list rebuilt after a backup ends on
// this page.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
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
    // A stored archive of `bytes` incompressible bytes, last written `hours` ago.
    void makeStored(const std::string& name, std::size_t bytes, int hours) {
        std::string data(bytes, '\0');
        std::mt19937 random(7);
        for (char& c : data) c = static_cast<char>(random());
        const auto raw = dir.write("raw/data.bin", data);
        ASSERT_EQ(test::runCommand("zip -q0j " + test::shellQuote((archives / name).string()) + " " +
                                   test::shellQuote(raw.string())).exitCode, 0);
        age(name, hours);
    }
    void age(const std::string& name, int hours) {
        std::filesystem::last_write_time(archives / name,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours));
    }
    static QStringList column(const app::GridModel& model, int c) {
        QStringList cells;
        for (int row = 0; row < model.rowCount(); ++row) cells << model.cell(row, c);
        return cells;
    }
    static void clickRow(QTableView& grid, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                          grid.visualRect(grid.model()->index(row, 0)).center());
    }
};

TEST_F(RestorePageTest, ListsTheSaveFolderSortsByTheMenuAndLoadsOnlyWhatIsSelected) {
    makeStored("A.zip", 20 * 1024 + 500, 3);
    makeStored("b.zip", 3 * 1024 + 100, 2);
    // An end record promising a member whose directory entry is not there.
    const char end[] = "PK\x05\x06\0\0\0\0\x01\0\x01\0\x2e\0\0\0\0\0\0\0\0\0";
    dir.write("archives/broken.zip", std::string(60, 'x') + std::string(end, sizeof end - 1));
    age("broken.zip", 1);
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    EXPECT_EQ(page.DirectoryView->text().toStdString(), archives.string());
    // By date, ascending (the defaults); row 1 shows its members, and the rebuild opened
    // no other archive (the damaged one would have said so).
    EXPECT_EQ(column(page.archiveRows(), 0), (QStringList{"A.zip", "b.zip", "broken.zip"}));
    EXPECT_EQ(column(page.archiveRows(), 1), (QStringList{"20", "3", "0"}));
    EXPECT_EQ(page.LabelZipNumber->text(), QStringLiteral("(Total 3 files)"));
    EXPECT_EQ(column(page.memberRows(), 0), QStringList{"data.bin"});
    EXPECT_TRUE(dialogs.messages.empty());

    const struct {
        QAction* item;
        QStringList order;
        std::size_t errors;  // the damaged archive reports itself only as row 1
    } steps[] = {
        {page.PupmenuBysize, {"broken.zip", "A.zip", "b.zip"}, 1},  // sizes as text: "0" < "20" < "3"
        {page.PupMenuByname, {"A.zip", "b.zip", "broken.zip"}, 1},
        {page.PopupmenuDesc, {"broken.zip", "b.zip", "A.zip"}, 2},
    };
    for (const auto& s : steps) {
        s.item->trigger();
        EXPECT_TRUE(s.item->isChecked());
        EXPECT_EQ(column(page.archiveRows(), 0), s.order) << s.item->text().toStdString();
        EXPECT_EQ(dialogs.messages.size(), s.errors) << s.item->text().toStdString();
    }
    EXPECT_TRUE(w->preferences().sortDescending);
    EXPECT_EQ(column(page.memberRows(), 0), QStringList{"data.bin"});  // kept after the error
    page.StringGridZipfilename->setCurrentIndex(page.archiveRows().index(2, 0));
    page.PopupMenuStringPopup();
    EXPECT_TRUE(page.menuspe->isVisible() && page.OpenZipFile1->isVisible() && page.menuDelete->isVisible());
    page.OpenZipFile1->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{(archives / "A.zip").string()});
}

TEST_F(RestorePageTest, DeletesExactlyTheShiftClickedRangeAndRebuildsOnNo) {
    for (int i = 1; i <= 6; ++i) makeArchive("p" + std::to_string(i) + ".zip");
    auto w = open();
    w->show();
    app::RestorePage& page = *w->restorePage;
    page.PupMenuByname->trigger();
    dialogs.answers = {false, true};
    for (const QStringList& left : {QStringList{"p1.zip", "p2.zip", "p3.zip", "p4.zip", "p5.zip", "p6.zip"},
                                    QStringList{"p1.zip", "p2.zip", "p6.zip"}}) {
        clickRow(*page.StringGridZipfilename, 2);
        clickRow(*page.StringGridZipfilename, 4, Qt::ShiftModifier);
        page.menuDelete->trigger();
        EXPECT_EQ(dialogs.questions.back(), QStringLiteral("Do you want to delete the 3 files "));
        EXPECT_EQ(dialogs.captions.back(), QStringLiteral("Warning"));
        EXPECT_EQ(column(page.archiveRows(), 0), left);
        for (int i = 1; i <= 6; ++i) {
            const QString name = QStringLiteral("p%1.zip").arg(i);
            EXPECT_EQ(std::filesystem::exists(archives / name.toStdString()), left.contains(name)) << i;
        }
    }
}

TEST_F(RestorePageTest, WrongThenRightPasswordGivesTwoMessagesAndOneFailure) {
    makeArchive("secret.zip", "-P secret");
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    page.DirectoryRestore->setText(QString::fromStdString(out.string()));
    page.EditRestorePassword->setText(QStringLiteral("wrong"));
    EXPECT_EQ(page.SpRestoreClick().outcome, restore::RestoreOutcome::Failed);
    EXPECT_TRUE(dialogs.questions.at(0).startsWith(QStringLiteral("Do you want to restore the file 'secret.zip'?\r")));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].caption + dialogs.messages[0].text, QStringLiteral("ErrorThe password is incorrect"));
    EXPECT_TRUE(dialogs.messages[1].timed && dialogs.messages[1].text.startsWith(QStringLiteral("Restore files fails!")));
    page.EditRestorePassword->setText(QStringLiteral("secret"));
    EXPECT_EQ(page.SpRestoreClick().outcome, restore::RestoreOutcome::Succeeded);
    EXPECT_TRUE(dialogs.messages.back().text.startsWith(QStringLiteral("Restore Files Succeeds!\rProject Name: 'Docs'")));
    EXPECT_EQ(logTotal(), 2);
    EXPECT_EQ(w->activityLog().cell(1, 2) + w->activityLog().cell(2, 2), "SucceedsFails");
    EXPECT_EQ(test::readFile(out / "sub" / "b.txt"), std::string(3000, 'b'));
    EXPECT_TRUE(w->isIdle());
}

TEST_F(RestorePageTest, TheOverwriteQuestionIsAnsweredBothWays) {
    makeArchive("p1.zip");
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    page.DirectoryRestore->setText(QString::fromStdString(out.string()));
    page.RadioAlways->setChecked(true);
    ASSERT_TRUE(page.SpRestoreClick().ok());
    dir.write("out/a.txt", "mine\n");
    dir.write("out/sub/b.txt", "mine too\n");
    page.RadioPrompt->setChecked(true);
    QStringList captions;
    dialogs.decide = [&](const QString& text) -> std::optional<bool> {
        if (!text.startsWith(QStringLiteral("Replace existing file "))) return std::nullopt;
        captions << dialogs.captions.back();
        return text.contains(QStringLiteral("b.txt"));
    };
    ASSERT_TRUE(page.SpRestoreClick().ok());
    EXPECT_EQ(captions, (QStringList{"File Exists Alert", "File Exists Alert"}));
    EXPECT_EQ(test::readFile(out / "a.txt"), "mine\n");
    EXPECT_EQ(test::readFile(out / "sub" / "b.txt"), std::string(3000, 'b'));
}

// Qt's own question, closed by Escape: a No, so nothing is restored or logged.
class EscapingDialogs : public test::ScriptedDialogs {
public:
    bool question(QWidget* parent, platform::MessageKind kind, const QString& caption, const QString& text) override {
        questions.push_back(text);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        return app::QtDialogService().question(parent, kind, caption, text);
    }
};

TEST_F(RestorePageTest, EscapeOnTheConfirmationRestoresNothing) {
    makeArchive("p1.zip");
    EscapingDialogs escaping;
    auto w = open(&escaping);
    w->restorePage->DirectoryRestore->setText(QString::fromStdString(out.string()));
    EXPECT_EQ(w->restorePage->SpRestoreClick().outcome, restore::RestoreOutcome::Declined);
    EXPECT_EQ(escaping.questions.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(out));
    EXPECT_EQ(logTotal(), 0);
}

TEST_F(RestorePageTest, CancelStopsTheRestoreAndLeavesEveryTargetWholeOrAsItWas) {
    std::string data(300000, '\0');
    std::mt19937 random(11);
    for (char& c : data) c = static_cast<char>(random());
    for (const std::string name : {"0", "1", "2", "3", "4", "5"}) {
        dir.write("big/" + name, data);
        dir.write("out/" + name, "mine");
    }
    ASSERT_EQ(test::runCommand("zip -qrj " + test::shellQuote((archives / "big.zip").string()) + " " +
                               test::shellQuote((dir / "big").string())).exitCode, 0);
    auto w = open();
    w->restorePage->DirectoryRestore->setText(QString::fromStdString(out.string()));
    w->restorePage->RadioAlways->setChecked(true);
    QObject::connect(w->ProgressBar1, &QProgressBar::valueChanged, w->ButtonCancelRun, &QPushButton::click);
    const restore::RestoreResult result = w->restorePage->SpRestoreClick();
    ASSERT_EQ(result.outcome, restore::RestoreOutcome::Cancelled) << result.error;
    int whole = 0, entries = 0;  // six targets, each whole or as it was, and no temporary file
    for (const auto& e : std::filesystem::directory_iterator(out)) {
        const std::string now = test::readFile(e.path());
        EXPECT_TRUE(now == data || now == "mine") << e.path();
        whole += now == data;
        ++entries;
    }
    EXPECT_EQ(entries, 6);
    EXPECT_EQ(whole, result.restored);
    EXPECT_EQ(w->activityLog().cell(1, 1) + w->activityLog().cell(1, 2), "RestoreInterrupt");
    EXPECT_TRUE(w->isIdle());
}

TEST_F(RestorePageTest, AnEmptyFolderShowsOnlyTheSortMenuUntilABackupEndsOnThisPage) {
    auto w = open();
    app::RestorePage& page = *w->restorePage;
    page.PopupMenuStringPopup();
    EXPECT_TRUE(page.FilesSort->menuAction()->isVisible());
    EXPECT_FALSE(page.menuspe->isVisible() || page.OpenZipFile1->isVisible() || page.menuDelete->isVisible());
    EXPECT_EQ(page.archiveRows().rowCount() + page.memberRows().rowCount(), 2);
    EXPECT_EQ(page.LabelZipNumber->text() + page.LabelfileNumber->text(), "(Total 0 files)(Total 0 files)");
    ASSERT_EQ(w->SpStartClick().outcome, backup::BackupOutcome::Succeeded);
    EXPECT_EQ(w->PageControl1->currentIndex(), app::MainWindow::kPageRestore);
    EXPECT_EQ(w->restorePage->LabelZipNumber->text(), QStringLiteral("(Total 1 files)"));
    EXPECT_EQ(w->restorePage->memberRows().rowCount(), 2);
}

}  // namespace
