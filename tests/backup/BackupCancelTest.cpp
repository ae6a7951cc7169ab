// Cancelling a running backup from the window: no archive is left, an older archive of
// the same name stays as it was, the number does not move and "Interrupt" is logged.
#include <gtest/gtest.h>

#include "backup/BackupBench.h"

namespace zb::backup::test {
namespace {

using zb::test::readFile;

class BackupCancelTest : public BackupBench {};

TEST_F(BackupCancelTest, CancelLeavesNoArchiveAndTheOldOneAsItWas) {
    struct Case {
        bool oldArchive;  // an archive of the same name exists (overwriting on)
    };
    for (const Case c : {Case{false}, Case{true}}) {
        const std::string name = c.oldArchive ? "Same" : "Fresh";
        makeProject(name, [](store::ProjectRecord& r) { r.suffix = store::kSuffixNone; });
        prefs.overwriteArchive = true;
        const auto archive = saveDir() / (name + ".zip");
        if (c.oldArchive) {
            ASSERT_EQ(backup(name).outcome, BackupOutcome::Succeeded);
        }
        const std::string before = c.oldArchive ? readFile(archive) : "";
        const auto filesBefore = folderNames(saveDir());
        const int entriesBefore = logTotal();

        cancel.request();  // a request left from before the run does not stop it...
        ui.onProcessEvents = [&] { cancel.request(); };  // ...the user's click during it does
        auto page = load(name);
        const auto result = backup(page);
        ui.onProcessEvents = nullptr;
        EXPECT_EQ(result.outcome, BackupOutcome::Cancelled) << name;
        EXPECT_EQ(folderNames(saveDir()), filesBefore) << name;
        EXPECT_EQ(std::filesystem::exists(archive), c.oldArchive) << name;
        if (c.oldArchive) {
            EXPECT_EQ(readFile(archive), before);
        }
        EXPECT_EQ(logTotal(), entriesBefore + 1);
        EXPECT_EQ(logKey(logTotal(), "Operate"), "Backup");
        EXPECT_EQ(logKey(logTotal(), "Status"), "Interrupt");
        EXPECT_EQ(logKey(logTotal(), "Information"), "'" + archive.string() + "' backup cancelled by the user");
        EXPECT_FALSE(cancel.requested());
        EXPECT_FALSE(ui.isBusy);
    }
    // The number of a cancelled run is not used up.
    makeProject("Num", [](store::ProjectRecord& r) { r.value = 4; });
    auto page = load("Num");
    ui.onProcessEvents = [&] { cancel.request(); };
    EXPECT_EQ(backup(page).outcome, BackupOutcome::Cancelled);
    EXPECT_EQ(page.shownNumber, 5);
    EXPECT_EQ(projectKey("Num", "Value"), "4");
}

}  // namespace
}  // namespace zb::backup::test
