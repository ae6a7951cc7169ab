// The terminal side of the user-interface seam: questions answered from the input or
// with the preset answer, messages on the right stream with the program's line breaks
// turned into the terminal's, and progress drawn only when asked for.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/TerminalUi.h"

namespace zb::cli {
namespace {

using platform::MessageKind;

struct Terminal {
    std::istringstream in;
    std::ostringstream out, err;
    TerminalUi ui;
    Terminal(std::string input, TerminalUi::Options options)
        : in(std::move(input)), ui(in, out, err, options) {}
};

TEST(TerminalUiTest, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(TerminalUi::terminalText("a\rb\r\nc\n"), "a\nb\nc\n");
    EXPECT_EQ(TerminalUi::terminalText(""), "");
}

TEST(TerminalUiTest, WithoutATerminalQuestionsGetThePresetAnswer) {
    TerminalUi::Options options;
    Terminal t("y\n", options);
    EXPECT_FALSE(t.ui.confirm("Go?", MessageKind::Confirmation));
    t.ui.options().defaultAnswer = true;
    EXPECT_TRUE(t.ui.confirm("Go?", MessageKind::Confirmation));
    EXPECT_FALSE(t.ui.askPassword("Password: ").has_value());
    EXPECT_FALSE(t.ui.chooseFolder("Please select directory").has_value());
}

TEST(TerminalUiTest, InteractiveQuestionsReadYesNoAndAskAgainOnAnythingElse) {
    TerminalUi::Options options;
    options.interactive = true;
    Terminal t("maybe\nY\nn\n\n", options);
    EXPECT_TRUE(t.ui.confirm("Do you want to\rgo?", MessageKind::Warning));
    EXPECT_FALSE(t.ui.confirm("Again?", MessageKind::Warning));
    EXPECT_FALSE(t.ui.confirm("Empty line?", MessageKind::Warning));  // preset No
    EXPECT_FALSE(t.ui.confirm("End of input?", MessageKind::Warning));
    EXPECT_NE(t.err.str().find("Do you want to\ngo? [y/N] "), std::string::npos);
}

TEST(TerminalUiTest, PasswordAndFolderAreReadAsLines) {
    TerminalUi::Options options;
    options.interactive = true;
    Terminal t("se cret \n/tmp/x\n\n", options);
    EXPECT_EQ(t.ui.askPassword("Password: ").value_or("?"), "se cret ");
    EXPECT_EQ(t.ui.chooseFolder("Please select directory").value_or("?"), "/tmp/x");
    EXPECT_FALSE(t.ui.chooseFolder("Please select directory").has_value());
}

TEST(TerminalUiTest, ErrorsAndWarningsGoToTheErrorStreamOthersToOutput) {
    Terminal t("", {});
    t.ui.messageBox(MessageKind::Error, "Please select files to backup");
    t.ui.timedMessage("x.zip exists,backup will be interrupted!", MessageKind::Warning, 4);
    t.ui.timedMessage("Backup Files Succeeds!\rProject Name: 'P'", MessageKind::Information, 4);
    EXPECT_EQ(t.err.str(),
              "Error: Please select files to backup\n"
              "Warning: x.zip exists,backup will be interrupted!\n");
    EXPECT_EQ(t.out.str(), "Information: Backup Files Succeeds!\nProject Name: 'P'\n");
}

TEST(TerminalUiTest, QuietShowsOnlyErrors) {
    TerminalUi::Options options;
    options.quiet = true;
    Terminal t("", options);
    t.ui.timedMessage("done", MessageKind::Information, 4);
    t.ui.timedMessage("exists", MessageKind::Warning, 4);
    t.ui.messageBox(MessageKind::Error, "bad");
    EXPECT_EQ(t.out.str(), "");
    EXPECT_EQ(t.err.str(), "Error: bad\n");
}

TEST(TerminalUiTest, ProgressIsDrawnOnlyWhenAskedAndClearedBeforeAMessage) {
    Terminal silent("", {});
    silent.ui.progress(50);
    EXPECT_EQ(silent.err.str(), "");

    TerminalUi::Options options;
    options.showProgress = true;
    Terminal t("", options);
    t.ui.progress(0);
    t.ui.progress(10);
    t.ui.progress(10);
    t.ui.progress(100);
    t.ui.messageBox(MessageKind::Error, "x");
    EXPECT_EQ(t.err.str(), "\r10%\r100%\r\033[K" "Error: x\n");
}

}  // namespace
}  // namespace zb::cli
