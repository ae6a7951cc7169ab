// The terminal progress bar and the password prompt: what they draw, and that they
// stay silent where there is no terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/PasswordPrompt.h"
#include "cli/ProgressBar.h"

namespace zb::cli {
namespace {

TEST(ProgressBar, RenderFillsInProportionAndClamps) {
    std::string half = ProgressBar::render(50, "", 60);
    EXPECT_EQ(half, "[##########..........]  50%");
    EXPECT_EQ(ProgressBar::render(150, "", 60), "[####################] 100%");
    EXPECT_EQ(ProgressBar::render(-5, "", 60), "[....................]   0%");
}

TEST(ProgressBar, LongLabelsAreShortenedFromTheLeftToFitTheLine) {
    std::string label(200, 'a');
    label += "end.txt";
    std::string line = ProgressBar::render(10, label, 80);
    EXPECT_LE(line.size(), 79u);
    EXPECT_TRUE(line.ends_with("end.txt"));
    EXPECT_NE(line.find("..."), std::string::npos);
}

TEST(ProgressBar, DrawsInPlaceOnlyWhenEnabledAndOnlyOnChange) {
    std::ostringstream err;
    {
        ProgressBar bar(err, true, 80);
        bar.update(10, "a");
        bar.update(10, "a");
        bar.update(20, "a");
    }
    const std::string s = err.str();
    EXPECT_EQ(std::count(s.begin(), s.end(), '#'), 2 + 5);  // 10% and then 20% of a 26-wide bar
    EXPECT_EQ(s.front(), '\r');
    EXPECT_TRUE(s.ends_with("\r\x1b[K"));  // cleared at the end

    std::ostringstream quiet;
    ProgressBar off(quiet, false);
    off.update(50, "x");
    off.clear();
    EXPECT_TRUE(quiet.str().empty());
}

TEST(PasswordPrompt, AsksOnlyOnATerminal) {
    std::istringstream in("secret\r\nnext\n");
    std::ostringstream err;
    EXPECT_FALSE(promptPassword(in, err, "Password: ", false));
    EXPECT_TRUE(err.str().empty());
    EXPECT_EQ(promptPassword(in, err, "Password: ", true), "secret");
    EXPECT_EQ(err.str(), "Password: ");
    std::istringstream empty;
    EXPECT_FALSE(promptPassword(empty, err, "Password: ", true));
}

}  // namespace
}  // namespace zb::cli
