// Path text helpers: separators at the end, the parts of a path, and two paths naming
// the same file.
#include "platform/Paths.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace zb::platform {
namespace {

TEST(PathsSeparators, TrailingSeparatorRules) {
    EXPECT_EQ(includeTrailingSeparator("/home/ann"), "/home/ann/");
    EXPECT_EQ(includeTrailingSeparator("/home/ann/"), "/home/ann/");
    EXPECT_EQ(includeTrailingSeparator("/"), "/");
    EXPECT_EQ(includeTrailingSeparator(""), "");
    EXPECT_EQ(excludeTrailingSeparator("/home/ann/"), "/home/ann");
    EXPECT_EQ(excludeTrailingSeparator("/home/ann//"), "/home/ann");
    EXPECT_EQ(excludeTrailingSeparator("/home/ann"), "/home/ann");
    EXPECT_EQ(excludeTrailingSeparator("/"), "/");
    EXPECT_EQ(excludeTrailingSeparator(""), "");
}

TEST(PathsParts, NameFolderAndExtension) {
    EXPECT_EQ(extractFileName("/backup/docs007.zip"), "docs007.zip");
    EXPECT_EQ(extractFileName("docs.zip"), "docs.zip");
    EXPECT_EQ(extractFileName("/backup/"), "");
    EXPECT_EQ(extractFilePath("/backup/docs.zip"), "/backup/");
    EXPECT_EQ(extractFilePath("docs.zip"), "");
    EXPECT_EQ(extractFileDir("/backup/docs.zip"), "/backup");
    EXPECT_EQ(extractFileDir("/docs.zip"), "/");
    EXPECT_EQ(extractFileDir("docs.zip"), "");
    EXPECT_EQ(extractFileExt("/backup/docs.ZIP"), ".ZIP");
    EXPECT_EQ(extractFileExt("/back.up/docs"), "");
    EXPECT_EQ(extractFileExt("/home/ann/.profile"), "");
    EXPECT_EQ(extractFileExt("/home/ann/.config.old"), ".old");
    EXPECT_EQ(extractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(changeFileExt("/backup/docs.zip", ".zfc"), "/backup/docs.zfc");
    EXPECT_EQ(changeFileExt("/back.up/docs", ".zip"), "/back.up/docs.zip");
    EXPECT_EQ(changeFileExt("docs.zip", ""), "docs");
}

TEST(PathsExpand, NormalisesLexically) {
    EXPECT_EQ(expandFileName("/a/./b//c/../d"), "/a/b/d");
    EXPECT_EQ(expandFileName("/../.."), "/");
    EXPECT_EQ(expandFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(expandFileName("/"), "/");
    test::TempDir dir;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    std::string cwd = dir.path().string();
    EXPECT_EQ(expandFileName("x/../y.zip"), cwd + "/y.zip");
    EXPECT_EQ(expandFileName(""), cwd);
    EXPECT_EQ(expandFileName("."), cwd);
    EXPECT_TRUE(samePath("docs.zip", cwd + "/sub/../docs.zip"));
    EXPECT_TRUE(samePath("./", cwd));
    ASSERT_EQ(::chdir(old), 0);
}

TEST(PathsExpand, SamePathIsCaseSensitive) {
    EXPECT_TRUE(samePath("/backup/docs.zip", "/backup//docs.zip"));
    EXPECT_TRUE(samePath("/backup/", "/backup"));
    EXPECT_FALSE(samePath("/backup/README", "/backup/Readme"));
    EXPECT_FALSE(samePath("/backup/a", "/backup/a/b"));
}

TEST(PathsHome, FollowsHome) {
    const char* old = std::getenv("HOME");
    std::string saved = old ? old : "";
    ::setenv("HOME", "/home/ann/", 1);
    EXPECT_EQ(homeFolder(), "/home/ann");
    ::unsetenv("HOME");
    EXPECT_FALSE(homeFolder().empty());  // from the password database
    EXPECT_EQ(homeFolder().front(), '/');
    if (old) ::setenv("HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace zb::platform
