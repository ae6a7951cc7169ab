// The writer's published properties: defaults, the coupled path setters, the level
// range, and copies of assigned lists.
#include <gtest/gtest.h>

#include "zip/TZipWriter.h"

namespace zb::zip {
namespace {

TEST(WriterPropertiesTest, Defaults) {
    TZipWriter w;
    EXPECT_EQ(w.PackLevel(), 6);
    EXPECT_FALSE(w.Recurse());
    EXPECT_FALSE(w.Dispose());
    EXPECT_FALSE(w.StorePaths());
    EXPECT_FALSE(w.RelativePaths());
    EXPECT_FALSE(w.StoreVolumes());
    EXPECT_EQ(w.ZipAction(), zaUpdate);
    EXPECT_EQ(w.MultiZipInfo().BlockSize, 1457600);
    EXPECT_EQ(w.MultiZipInfo().FirstBlockSize, 1457600);
    EXPECT_EQ(w.MultiZipInfo().SaveOnFirstDisk, 0);
    EXPECT_FALSE(w.MultiZipInfo().SaveZipInfoOnFirstDisk);
    EXPECT_EQ(w.MultiZipInfo().MultiMode, mmNone);
    EXPECT_TRUE(w.MultiZipInfo().CheckDiskLabels);
    EXPECT_TRUE(w.MultiZipInfo().WriteDiskLabels);
    EXPECT_FALSE(w.Store83Names());
    EXPECT_TRUE(w.TempPath().empty());
    EXPECT_FALSE(w.SkipIfArchiveBitNotSet());
    EXPECT_FALSE(w.ResetArchiveBitOnZip());
    EXPECT_TRUE(w.ExcludeList().empty());
    EXPECT_TRUE(w.NoCompressList().empty());
    EXPECT_FALSE(w.AddDirEntriesOnRecurse());
}

TEST(WriterPropertiesTest, StoreVolumesAlsoStoresPaths) {
    TZipWriter w;
    w.SetStoreVolumes(true);
    EXPECT_TRUE(w.StorePaths());
    EXPECT_FALSE(w.RelativePaths());
    w.SetStoreVolumes(false);
    EXPECT_TRUE(w.StorePaths());  // clearing it leaves the paths alone
}

TEST(WriterPropertiesTest, NoPathsAlsoMeansNoVolumesAndNoRelativePaths) {
    TZipWriter w;
    w.SetStoreVolumes(true);
    w.SetRelativePaths(true);
    w.SetStorePaths(false);
    EXPECT_FALSE(w.StoreVolumes());
    EXPECT_FALSE(w.RelativePaths());
    EXPECT_TRUE(w.Recurse());  // recursion is not a path option
}

TEST(WriterPropertiesTest, RelativePathsStorePathsAndRecurse) {
    TZipWriter w;
    w.SetRelativePaths(true);
    EXPECT_TRUE(w.StorePaths());
    EXPECT_TRUE(w.Recurse());
    // A setter given the value it already has does nothing, coupled values included.
    w.SetRecurse(false);
    w.SetRelativePaths(true);
    EXPECT_FALSE(w.Recurse());
    w.SetRelativePaths(false);
    EXPECT_TRUE(w.StorePaths());
    w.SetStorePaths(true);
    EXPECT_FALSE(w.RelativePaths());
}

TEST(WriterPropertiesTest, PackLevelStaysWithinZeroToNine) {
    TZipWriter w;
    w.SetPackLevel(0);
    EXPECT_EQ(w.PackLevel(), 0);
    w.SetPackLevel(9);
    EXPECT_EQ(w.PackLevel(), 9);
    EXPECT_THROW(w.SetPackLevel(10), std::out_of_range);
    EXPECT_THROW(w.SetPackLevel(-1), std::out_of_range);
    EXPECT_EQ(w.PackLevel(), 9);
}

TEST(WriterPropertiesTest, AssignedListsAreCopies) {
    TZipWriter w;
    std::vector<std::string> list{"*.tmp"};
    w.SetExcludeList(list);
    w.SetNoCompressList(list);
    list.push_back("*.bak");
    EXPECT_EQ(w.ExcludeList().size(), 1u);
    EXPECT_EQ(w.NoCompressList().size(), 1u);
    TMultiZipInfo info;
    info.BlockSize = 1000;
    w.SetMultiZipInfo(info);
    info.BlockSize = 2000;
    EXPECT_EQ(w.MultiZipInfo().BlockSize, 1000);
}

}  // namespace
}  // namespace zb::zip
