// The page "Log": newest entry first with failures in red and the header in navy (as the
// grid's model reports them), the row count following the preferences at once, every
// append shown without a restart, and "Clear all log".
#include <QAction>
#include <QFontInfo>
#include <QSpinBox>
#include <QTableView>

#include "app/GridModel.h"
#include "app/LogPage.h"
#include "app/PreferencesDialog.h"
#include "PageFixture.h"

using namespace zb;

namespace {

class LogPageTest : public test::PageFixture {
protected:
    void writeLog(const std::vector<std::string>& statuses) {
        platform::IniFile log(appDir / "log.txt");
        log.writeString("Common", "Log Total", std::to_string(statuses.size()));
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            const std::string section = "Log" + std::to_string(i + 1);
            log.writeString(section, "Date", "07/03/2024 09:0" + std::to_string(i) + ":00");
            log.writeString(section, "Operate", "Backup");
            log.writeString(section, "Status", statuses[i]);
            log.writeString(section, "Project", "Docs");
            log.writeString(section, "Information", "entry " + std::to_string(i + 1));
        }
        log.save();
    }
};

TEST_F(LogPageTest, NewestFirstWithFailuresInRedAndTheHeaderInNavy) {
    writeLog({"Succeeds", "Fails", "fails", "Interrupt"});
    auto w = open();
    const app::GridModel& rows = w->logPage->rows();
    const QStringList headers{"Date", "Operation", "Status", "Project", "Information"};
    ASSERT_EQ(rows.columnCount(), headers.size());
    for (int c = 0; c < headers.size(); ++c) {
        EXPECT_EQ(rows.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
        EXPECT_EQ(rows.headerData(c, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 128));
    }
    struct Row {
        const char* information;
        bool red;
    };
    const Row expected[] = {{"entry 4", true}, {"entry 3", false}, {"entry 2", true}, {"entry 1", false}};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(rows.cell(r, 4).toStdString(), expected[r].information);
        for (int c = 0; c < headers.size(); ++c) {
            const QVariant colour = rows.data(rows.index(r, c), Qt::ForegroundRole);
            EXPECT_EQ(colour.isValid() && colour.value<QColor>() == QColor(255, 0, 0), expected[r].red) << r << c;
            EXPECT_EQ(rows.data(rows.index(r, c), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                      Qt::AlignLeft | Qt::AlignTop);
        }
    }
    EXPECT_TRUE(rows.cell(4, 0).isEmpty());
    EXPECT_EQ(w->logPage->LogGrid->toolTip(), QStringLiteral("Right-click it to open menu"));
    // The grid font resolves to a real family, Arial where it is installed.
    EXPECT_FALSE(QFontInfo(app::GridModel::gridFont()).family().isEmpty());
}

TEST_F(LogPageTest, RowCountFollowsThePreferencesAndAppendsShowAtOnce) {
    writeLog({"Succeeds"});
    auto w = open();
    EXPECT_EQ(w->logPage->rows().rowCount(), 50);
    dialogs.onExec = [](QDialog& dialog) {
        static_cast<app::PreferencesDialog&>(dialog).LogSpinEdit->setValue(10);
        return int(QDialog::Accepted);
    };
    w->menuPreferencesClick();
    EXPECT_EQ(w->logPage->rows().rowCount(), 10);

    ASSERT_EQ(w->SpStartClick().outcome, backup::BackupOutcome::Succeeded);
    EXPECT_EQ(w->logPage->rows().cell(0, 1), QStringLiteral("Backup"));
    EXPECT_EQ(w->logPage->rows().cell(0, 2), QStringLiteral("Succeeds"));
    EXPECT_EQ(w->logPage->rows().cell(1, 4), QStringLiteral("entry 1"));
}

TEST_F(LogPageTest, ClearAllLogEmptiesTheGridAndTheTotal) {
    writeLog({"Succeeds", "Fails"});
    auto w = open();
    w->logPage->Clearalllog1->trigger();
    EXPECT_EQ(logTotal(), 0);
    const app::GridModel& rows = w->logPage->rows();
    EXPECT_EQ(rows.rowCount(), 50);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_TRUE(rows.cell(r, c).isEmpty()) << r << c;
    EXPECT_FALSE(rows.data(rows.index(1, 0), Qt::ForegroundRole).isValid());
}

}  // namespace
