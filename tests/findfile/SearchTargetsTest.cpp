// The list of folders a search walks: the mask rules for the file name, the pieces of a
// location made absolute, folders named twice searched once, and folder-plus-mask lines.
#include <gtest/gtest.h>

#include <filesystem>

#include "findfile/SearchTargets.h"
#include "support/TempDir.h"

namespace zb::findfile {
namespace {

using test::TempDir;

class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& p) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(p);
    }
    ~CurrentFolder() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

TEST(MaskForFilename, EmptyMeansEveryFile) {
    EXPECT_EQ(maskForFilename(""), "*.*");
}

TEST(MaskForFilename, ANameWithoutADotAlsoTakesAnyExtension) {
    EXPECT_EQ(maskForFilename("readme"), "readme.*");
    EXPECT_EQ(maskForFilename("*"), "*.*");
    EXPECT_EQ(maskForFilename("*.zip"), "*.zip");
    EXPECT_EQ(maskForFilename("a.b.c"), "a.b.c");
}

TEST(TargetsFromLocation, EachPieceBecomesAnAbsoluteFolderWithTheMask) {
    TempDir dir;
    const std::string a = (dir / "a").string(), b = (dir / "b").string();
    const auto targets = targetsFromLocation(a + ";" + b + "/", "*.zip");
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0], (SearchTarget{a + "/", "*.zip"}));
    EXPECT_EQ(targets[1], (SearchTarget{b + "/", "*.zip"}));
}

TEST(TargetsFromLocation, AFolderNamedTwiceIsSearchedOnce) {
    TempDir dir;
    const std::string a = (dir / "a").string();
    const auto targets = targetsFromLocation(a + ";" + a + "/;" + (dir / "x" / ".." / "a").string() + ";" +
                                                 (dir / "." / "a").string() + "//",
                                             "");
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], (SearchTarget{a + "/", "*.*"}));
}

TEST(TargetsFromLocation, FoldersDifferingInCaseAreTwoFolders) {
    TempDir dir;
    const auto targets = targetsFromLocation((dir / "Data").string() + ";" + (dir / "data").string(), "*");
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].folder, (dir / "Data").string() + "/");
    EXPECT_EQ(targets[1].folder, (dir / "data").string() + "/");
}

TEST(TargetsFromLocation, RelativeAndEmptyPiecesAreTakenFromTheCurrentFolder) {
    TempDir dir;
    CurrentFolder cd(dir.path());
    const std::string here = std::filesystem::current_path().string() + "/";
    auto targets = targetsFromLocation("", "x");
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], (SearchTarget{here, "x.*"}));

    targets = targetsFromLocation("sub;;./sub", "*.txt");
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].folder, here + "sub/");
    EXPECT_EQ(targets[1].folder, here);
}

TEST(TargetsFromLocation, ATrailingSeparatorAddsNoPiece) {
    TempDir dir;
    const auto targets = targetsFromLocation(dir.path().string() + ";", "*");
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].folder, dir.path().string() + "/");
}

TEST(TargetsFromLocation, TheRootStaysTheRoot) {
    const auto targets = targetsFromLocation("/", "*.zip");
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0], (SearchTarget{"/", "*.zip"}));
}

TEST(TargetsFromLines, EachLineIsAFolderAndAMask) {
    TempDir dir;
    const std::string root = dir.path().string();
    const auto targets = targetsFromLines({root + "/a/*.txt", root + "/b/", "", "   ", root + "/a/*.txt"});
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0], (SearchTarget{root + "/a/", "*.txt"}));
    EXPECT_EQ(targets[1], (SearchTarget{root + "/b/", "*.*"}));
    EXPECT_EQ(targets[2], targets[0]);
}

TEST(TargetsFromLines, AMaskWithoutFolderIsInTheCurrentFolder) {
    TempDir dir;
    CurrentFolder cd(dir.path());
    const auto targets = targetsFromLines({"notes", "sub/../*.md"});
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0], (SearchTarget{std::filesystem::current_path().string() + "/", "notes"}));
    EXPECT_EQ(targets[1], (SearchTarget{std::filesystem::current_path().string() + "/", "*.md"}));
}

}  // namespace
}  // namespace zb::findfile
