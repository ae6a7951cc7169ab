// The restore run against the attack corpus: whatever the overwrite rule, nothing
// beside the destination changes, and a member refused as unsafe makes the run fail
// with its name in the message. Links from peer archives come back as links when they
// stay inside.
#include <gtest/gtest.h>

#include <algorithm>

#include "log/ActivityLog.h"
#include "restore/RestoreSession.h"
#include "support/AttackCorpus.h"
#include "support/FakeUi.h"
#include "support/PeerLinks.h"

namespace zb::restore {
namespace {

using namespace zb::test;

// One restore run of `archive` into `dest`, started as the page starts it, without asking.
RestoreResult restore(const std::filesystem::path& archive, const std::filesystem::path& dest,
                      zip::TUZOverwriteMode mode, FakeUi& ui) {
    TempDir logDir;
    platform::ManualClock clock{45000.0};
    activitylog::ActivityLog log{logDir / "log.txt", 50, clock};
    RestoreSession session{ui, log};
    RestoreChoices choices;
    choices.folder = archive.parent_path().string();
    choices.fileName = archive.filename().string();
    choices.destination = dest.string();
    choices.overwriteMode = mode;
    choices.askFirst = false;
    return session.SpRestoreClick(choices, "Attack");
}

TEST(RestoreAttack, NothingOutsideChangesAndUnsafeMembersFailTheRun) {
    const std::pair<zip::TUZOverwriteMode, bool> modes[] = {
        {zip::Always, true}, {zip::Never, false}, {zip::ifNewer, false}, {zip::ifOlder, true}};
    for (const AttackCase& c : attackCases()) {
        for (auto [mode, replaces] : modes) {
            AttackScene scene(c);
            FakeUi ui;
            const RestoreResult result = restore(scene.archive, scene.dest, mode, ui);
            scene.check(c, replaces, "restore mode " + std::to_string(int(mode)));
            if (c.unsafe.empty()) continue;
            EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << c.label;
            ASSERT_FALSE(ui.timedMessages().empty());
            EXPECT_NE(ui.timedMessages().back().text.find(c.unsafe.front()), std::string::npos)
                << ui.timedMessages().back().text;
        }
    }
}

TEST(RestoreAttack, LinksFromPeersComeBackAsLinksWhenTheyStayInside) {
    for (const LinkPeer& peer : linkPeers()) {
        LinkScene scene(peer);
        FakeUi ui;
        const RestoreResult result = restore(scene.archive, scene.dest, zip::Never, ui);
        scene.check(peer.tool);
        EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << peer.tool;
        std::vector<std::string> refused;
        for (const std::string& item : result.notRestored) {
            EXPECT_NE(item.find(" (name leads outside the destination"), std::string::npos) << item;
            refused.push_back(item.substr(0, item.find(" (")));
        }
        std::sort(refused.begin(), refused.end());
        EXPECT_EQ(refused, LinkScene::unsafeLinks()) << peer.tool;
    }
}

}  // namespace
}  // namespace zb::restore
