// The page "Log": newest entry first, failures in red and the header in navy (as the
// grid's model reports them), the row count following the preferences at once, appends
// shown without a restart, and "Clear all log".
#include <QAction>
#include <QSpinBox>

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
        log.writeInteger("Common", "Log Total", static_cast<int>(statuses.size()));
        for (std::size_t i = 0; i < statuses.size(); ++i) {
            const std::string section = "Log" + std::to_string(i + 1);
            log.writeString(section, "Status", statuses[i]);
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
    const std::pair<QString, bool> expected[] = {{"entry 4", true}, {"entry 3", false}, {"entry 2", true},
                                                 {"entry 1", false}, {"", false}};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(rows.cell(r, 4), expected[r].first);
        for (int c = 0; c < headers.size(); ++c) {
            const QVariant colour = rows.data(rows.index(r, c), Qt::ForegroundRole);
            EXPECT_EQ(colour.isValid() && colour.value<QColor>() == QColor(255, 0, 0), expected[r].second) << r;
        }
    }
    EXPECT_EQ(rows.data(rows.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignLeft | Qt::AlignTop);
}

TEST_F(LogPageTest, RowCountFollowsThePreferencesAppendsShowAndClearEmpties) {
    writeLog({"Succeeds"});
    auto w = open();
    const app::GridModel& rows = w->logPage->rows();
    EXPECT_EQ(rows.rowCount(), 50);
    dialogs.onExec = [](QDialog& dialog) {
        static_cast<app::PreferencesDialog&>(dialog).LogSpinEdit->setValue(10);
        return int(QDialog::Accepted);
    };
    w->menuPreferencesClick();
    EXPECT_EQ(rows.rowCount(), 10);
    ASSERT_EQ(w->SpStartClick().outcome, backup::BackupOutcome::Succeeded);
    EXPECT_EQ(rows.cell(0, 1) + rows.cell(0, 2) + rows.cell(1, 4), QStringLiteral("BackupSucceedsentry 1"));

    w->logPage->Clearalllog1->trigger();
    EXPECT_EQ(logTotal(), 0);
    EXPECT_EQ(rows.rowCount(), 10);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_TRUE(rows.cell(r, c).isEmpty()) << r << c;
}

}  // namespace
