// Stored member names from paths: folders kept or not, relative to the root folder,
// and never an absolute name or one that climbs out of the extraction folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "zip/records/StoredName.h"

namespace zb::zip {
namespace {

TEST(StoredNameTest, WithoutPathsOnlyTheFileNameIsStored) {
    StoredNameOptions o;
    EXPECT_EQ(storedName("/data/sub/a.txt", o), "a.txt");
    EXPECT_EQ(storedName("a.txt", o), "a.txt");
    EXPECT_EQ(storedFolder("/data/sub/a.txt", o), "");
}

TEST(StoredNameTest, WithPathsTheRootSlashIsRemoved) {
    StoredNameOptions o;
    o.storePaths = true;
    EXPECT_EQ(storedName("/data/sub/a.txt", o), "data/sub/a.txt");
    EXPECT_EQ(storedName("/a.txt", o), "a.txt");
    EXPECT_EQ(storedName("//net//x/b.txt", o), "net/x/b.txt");
    // Keeping volumes has nothing more to keep here.
    o.storeVolumes = true;
    EXPECT_EQ(storedName("/data/sub/a.txt", o), "data/sub/a.txt");
}

TEST(StoredNameTest, DotComponentsNeverReachTheName) {
    StoredNameOptions o;
    o.storePaths = true;
    EXPECT_EQ(storedName("./x/./a.txt", o), "x/a.txt");
    EXPECT_EQ(storedName("../../etc/a.txt", o), "etc/a.txt");
    EXPECT_EQ(storedName("/x/y/../a.txt", o), "x/a.txt");
    EXPECT_EQ(storedName("docs/a.txt", o), "docs/a.txt");
}

TEST(StoredNameTest, RelativePathsCutTheRootFolderExactly) {
    StoredNameOptions o;
    o.storePaths = true;
    o.relativePaths = true;
    o.rootDir = "/data/";
    EXPECT_EQ(storedName("/data/sub/a.txt", o), "sub/a.txt");
    EXPECT_EQ(storedName("/data/b.txt", o), "b.txt");
    EXPECT_EQ(storedName("/data/../data/sub/c.txt", o), "sub/c.txt");
    // Letter case counts in file names here: /Data is another folder.
    EXPECT_EQ(storedName("/Data/sub/a.txt", o), "Data/sub/a.txt");
    // A folder that merely begins with the same letters is not below the root.
    EXPECT_EQ(storedName("/database/a.txt", o), "database/a.txt");
}

TEST(StoredNameTest, RelativeRootAndPathAreComparedAsAbsolutePaths) {
    StoredNameOptions o;
    o.storePaths = true;
    o.relativePaths = true;
    o.rootDir = (std::filesystem::current_path() / "in").string() + "/";
    EXPECT_EQ(storedName("in/deep/a.txt", o), "deep/a.txt");
    o.rootDir = "in/";
    EXPECT_EQ(storedName((std::filesystem::current_path() / "in/a.txt").string(), o), "a.txt");
}

TEST(StoredNameTest, FolderEntriesKeepTheirFolder) {
    StoredNameOptions o;
    EXPECT_EQ(storedName("/data/sub/", o), "sub/");
    o.storePaths = true;
    EXPECT_EQ(storedName("/data/sub/", o), "data/sub/");
    o.relativePaths = true;
    o.rootDir = "/data/";
    EXPECT_EQ(storedName("/data/sub/", o), "sub/");
    EXPECT_EQ(storedName("/data/", o), "");
}

TEST(StoredNameTest, PartsOfAPath) {
    EXPECT_EQ(fileNamePart("/a/b.txt"), "b.txt");
    EXPECT_EQ(fileNamePart("b.txt"), "b.txt");
    EXPECT_EQ(fileNamePart("/a/"), "");
    EXPECT_EQ(folderPart("/a/b.txt"), "/a/");
    EXPECT_EQ(folderPart("b.txt"), "");
}

}  // namespace
}  // namespace zb::zip
