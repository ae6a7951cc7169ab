// "zipbackup-cli unzip" against the attack corpus, as a user runs it, with each
// overwrite option: nothing beside the destination changes, unsafe members are named
// on the error stream and make the exit code non-zero. Links from peer archives come
// back as links when they stay inside.
#include <gtest/gtest.h>

#include "support/AttackCorpus.h"
#include "support/PeerLinks.h"
#include "support/ShellCommand.h"

namespace zb::cli {
namespace {

using namespace zb::test;

std::string program() { return shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli"); }

TEST(SafeUnzipCommand, AttackCorpusWithEveryOverwriteOption) {
    const std::pair<const char*, bool> options[] = {
        {"-o", true}, {"-n", false}, {"--overwrite newer", false}, {"--overwrite older", true}};
    for (const AttackCase& c : attackCases()) {
        for (auto [option, replaces] : options) {
            AttackScene scene(c);
            const CommandResult r = runCommand(program() + " unzip " + option + " " + shellQuote(scene.archive.string()) +
                                               " -d " + shellQuote(scene.dest.string()) + " </dev/null 2>&1");
            scene.check(c, replaces, option);
            if (c.unsafe.empty()) continue;
            EXPECT_NE(r.exitCode, 0) << c.label << " " << option << "\n" << r.output;
            for (const std::string& name : c.unsafe)
                EXPECT_NE(r.output.find(name + ": name leads outside"), std::string::npos) << name << "\n" << r.output;
        }
    }
}

TEST(SafeUnzipCommand, LinksFromPeersComeBackAsLinksWhenTheyStayInside) {
    for (const LinkPeer& peer : linkPeers()) {
        LinkScene scene(peer);
        const CommandResult r = runCommand(program() + " unzip " + shellQuote(scene.archive.string()) + " -d " +
                                           shellQuote(scene.dest.string()) + " </dev/null 2>&1");
        scene.check(peer.tool);
        EXPECT_EQ(r.exitCode, 1) << r.output;
        for (const std::string& name : LinkScene::unsafeLinks())
            EXPECT_NE(r.output.find(name + ": name leads outside"), std::string::npos) << name << "\n" << r.output;
    }
}

}  // namespace
}  // namespace zb::cli
