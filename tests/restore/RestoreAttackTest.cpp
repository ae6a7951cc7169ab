// The restore run against the attack corpus: whatever the overwrite rule, nothing
// beside the destination changes, and a member refused as unsafe makes the run fail
// with its name in the message.
#include <gtest/gtest.h>

#include "log/ActivityLog.h"
#include "restore/RestoreSession.h"
#include "support/AttackCorpus.h"
#include "support/FakeUi.h"

namespace zb::restore {
namespace {

using namespace zb::test;

TEST(RestoreAttack, NothingOutsideChangesAndUnsafeMembersFailTheRun) {
    const std::pair<zip::TUZOverwriteMode, bool> modes[] = {
        {zip::Always, true}, {zip::Never, false}, {zip::ifNewer, false}, {zip::ifOlder, true}};
    for (const AttackCase& c : attackCases()) {
        for (auto [mode, replaces] : modes) {
            AttackScene scene(c);
            TempDir logDir;
            platform::ManualClock clock{45000.0};
            activitylog::ActivityLog log{logDir / "log.txt", 50, clock};
            FakeUi ui;
            RestoreSession session{ui, log};
            RestoreChoices choices;
            choices.folder = scene.archive.parent_path().string();
            choices.fileName = scene.archive.filename().string();
            choices.destination = scene.dest.string();
            choices.overwriteMode = mode;
            choices.askFirst = false;
            const RestoreResult result = session.SpRestoreClick(choices, "Attack");
            scene.check(c, replaces, "restore mode " + std::to_string(int(mode)));
            if (c.unsafe.empty()) continue;
            EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << c.label;
            ASSERT_FALSE(ui.timedMessages().empty());
            EXPECT_NE(ui.timedMessages().back().text.find(c.unsafe.front()), std::string::npos)
                << ui.timedMessages().back().text;
        }
    }
}

}  // namespace
}  // namespace zb::restore
