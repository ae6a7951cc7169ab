// "zipbackup-cli unzip" against the attack corpus, as a user runs it, with each
// overwrite option: nothing beside the destination changes, unsafe members are named
// on the error stream and make the exit code non-zero.
#include <gtest/gtest.h>

#include "support/AttackCorpus.h"
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

}  // namespace
}  // namespace zb::cli
