// The finder's properties: their defaults and the values they refuse, with the
// program's own messages.
#include <gtest/gtest.h>

#include "findfile/FindFile.h"

namespace zb::findfile {
namespace {

TEST(FindFileProperties, Defaults) {
    TFindFile finder;
    EXPECT_EQ(finder.Filename(), "*.*");
    EXPECT_EQ(finder.Location(), "");
    EXPECT_TRUE(finder.IncludeFiles().empty());
    EXPECT_TRUE(finder.ExcludeFiles().empty());
    EXPECT_TRUE(finder.Subfolders());
    EXPECT_EQ(finder.Attributes(), (TFileAttributes{ffArchive, ffReadonly, ffHidden, ffSystem}));
    EXPECT_FALSE(finder.Attributes().contains(ffDirectory));
    EXPECT_FALSE(finder.ExactAttribute());
    EXPECT_EQ(finder.ModifiedBefore(), 0);
    EXPECT_EQ(finder.ModifiedAfter(), 0);
    EXPECT_EQ(finder.CreatedBefore(), 0);
    EXPECT_EQ(finder.CreatedAfter(), 0);
    EXPECT_EQ(finder.AccessedBefore(), 0);
    EXPECT_EQ(finder.AccessedAfter(), 0);
    EXPECT_EQ(finder.SizeMin(), 0u);
    EXPECT_EQ(finder.SizeMax(), 0u);
    EXPECT_EQ(finder.Containing(), "");
    EXPECT_TRUE(finder.IgnoreCase());
    EXPECT_FALSE(finder.Threaded());
    EXPECT_EQ(finder.ThreadPriority(), tpNormal);
    EXPECT_FALSE(finder.Busy());
    EXPECT_FALSE(finder.Aborted());
    EXPECT_FALSE(finder.OnFound);
    EXPECT_FALSE(finder.OnNewFolder);
    EXPECT_FALSE(finder.OnComplete);
}

TEST(FindFileProperties, AFilenameWithAFolderIsRefused) {
    TFindFile finder;
    finder.SetFilename("*.zip");
    try {
        finder.SetFilename("backups/*.zip");
        FAIL() << "no error raised";
    } catch (const EFindFileError& e) {
        EXPECT_STREQ(e.what(), "backups/*.zip\n\rInvalid filename specified");
    }
    EXPECT_EQ(finder.Filename(), "*.zip");
    EXPECT_THROW(finder.SetFilename("/a.zip"), EFindFileError);
    finder.SetFilename("");
    EXPECT_EQ(finder.Filename(), "");
}

TEST(FindFileProperties, ALocationWithWildcardsIsRefused) {
    TFindFile finder;
    finder.SetLocation("/home/u;/tmp");
    try {
        finder.SetLocation("/home/*");
        FAIL() << "no error raised";
    } catch (const EFindFileError& e) {
        EXPECT_STREQ(e.what(), "/home/*\n\rlocation cannot to be contained wildcards");
    }
    EXPECT_THROW(finder.SetLocation("/tmp/a?c"), EFindFileError);
    EXPECT_EQ(finder.Location(), "/home/u;/tmp");
}

TEST(FindFileProperties, TheAttributeSetHoldsItsMembers) {
    TFileAttributes set{ffHidden};
    EXPECT_TRUE(set.contains(ffHidden));
    EXPECT_FALSE(set.contains(ffArchive));
    set.include(ffDirectory);
    set.exclude(ffHidden);
    EXPECT_EQ(set, TFileAttributes{ffDirectory});
    EXPECT_TRUE(TFileAttributes{}.empty());
    EXPECT_TRUE(set.sharesAnyWith(TFileAttributes{ffDirectory, ffArchive}));
    EXPECT_FALSE(set.sharesAnyWith(TFileAttributes{ffArchive}));
}

TEST(FindFileProperties, AttributeFilterExactAndShared) {
    const TFileAttributes wanted{ffArchive, ffHidden};
    EXPECT_TRUE(passesAttributeFilter({ffArchive}, wanted, false));
    EXPECT_TRUE(passesAttributeFilter({ffArchive, ffReadonly}, wanted, false));
    EXPECT_FALSE(passesAttributeFilter({ffReadonly}, wanted, false));
    EXPECT_TRUE(passesAttributeFilter({}, wanted, false));
    EXPECT_FALSE(passesAttributeFilter({}, wanted, true));
    EXPECT_TRUE(passesAttributeFilter({}, {}, true));
    EXPECT_FALSE(passesAttributeFilter({ffArchive}, wanted, true));
    EXPECT_TRUE(passesAttributeFilter({ffArchive, ffHidden}, wanted, true));
}

TEST(FindFileProperties, EntryBitsMapOntoTheAttributeSet) {
    using namespace platform;
    EXPECT_EQ(attributesOfEntry(faArchive | faReadOnly), (TFileAttributes{ffArchive, ffReadonly}));
    EXPECT_EQ(attributesOfEntry(faHidden | faSysFile | faDirectory), (TFileAttributes{ffHidden, ffSystem, ffDirectory}));
    EXPECT_TRUE(attributesOfEntry(faVolumeId | 0x80).empty());
}

TEST(FindFileProperties, ThreadPrioritiesMapOntoNiceness) {
    EXPECT_EQ(nicenessFor(tpIdle), 19);
    EXPECT_EQ(nicenessFor(tpNormal), 0);
    EXPECT_EQ(nicenessFor(tpTimeCritical), -20);
    for (int p = tpIdle; p < tpTimeCritical; ++p) {
        EXPECT_GT(nicenessFor(TThreadPriority(p)), nicenessFor(TThreadPriority(p + 1)));
    }
}

}  // namespace
}  // namespace zb::findfile
