// zipbackup-cli --version answers alone, without a command, with the build's version,
// and the help names the option.
#include <gtest/gtest.h>

#include "platform/Version.h"
#include "support/ShellCommand.h"

namespace zb::cli {
namespace {

using zb::test::runCommand;
using zb::test::shellQuote;

TEST(CliVersion, PrintsTheVersionWithoutACommand) {
    const std::string cli = shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli");
    auto version = runCommand(cli + " --version 2>&1");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, std::string("zipbackup-cli ") + platform::programVersion() + "\n");
    EXPECT_NE(std::string(platform::programVersion()).find('.'), std::string::npos);

    auto help = runCommand(cli + " --help 2>&1");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("--version"), std::string::npos);
    EXPECT_NE(help.output.find(platform::programTitle()), std::string::npos);
}

}  // namespace
}  // namespace zb::cli
