// The help and the icons are found beside the executable, in the tree laid out like an
// installation around it, or in the installed data folder, in that order.
#include "platform/DataDir.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace zb::platform {
namespace {

using test::TempDir;

TEST(DataDir, BuildTreeAndInstalledLayoutAreFound) {
    TempDir dir;
    auto exe = dir.write("prefix/bin/zipbackup", "");
    dir.write("prefix/share/zipbackup/help/index.html", "<html></html>");
    EXPECT_EQ(findDataFile("help/index.html", exe.string()),
              (dir / "prefix/share/zipbackup/help/index.html").string());
}

TEST(DataDir, PortableCopyBesideTheProgramComesFirst) {
    TempDir dir;
    auto exe = dir.write("prefix/bin/zipbackup", "");
    dir.write("prefix/share/zipbackup/icons/zipbackup.svg", "<svg/>");
    dir.write("prefix/bin/icons/zipbackup.svg", "<svg/>");
    EXPECT_EQ(findDataFile("icons/zipbackup.svg", exe.string()), (dir / "prefix/bin/icons/zipbackup.svg").string());
}

TEST(DataDir, MissingFileIsEmptyAndTheInstalledFolderIsSearchedLast) {
    TempDir dir;
    auto exe = dir.write("bin/zipbackup", "");
    EXPECT_EQ(findDataFile("help/no-such-page-anywhere.html", exe.string()), "");
    auto folders = dataFolders(exe.string());
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], (dir / "bin").string() + "/");
    EXPECT_EQ(folders[1], (dir / "share/zipbackup").string() + "/");
    EXPECT_EQ(folders[2], std::string(installedDataFolder()) + "/");
    EXPECT_EQ(folders[2].front(), '/');
}

}  // namespace
}  // namespace zb::platform
