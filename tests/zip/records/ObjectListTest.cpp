// The engine's object lists: growth, index errors, ownership, the sorted list's
// duplicates policies and the member sort modes.
#include <gtest/gtest.h>

#include "zip/records/ObjectList.h"
#include "zip/records/TSortedZip.h"

namespace zb::zip {
namespace {

TZipHeaderInfo* member(std::string name, std::uint64_t offset, std::uint32_t disk = 0) {
    auto* h = new TZipHeaderInfo;
    std::string dir, file;
    auto slash = name.rfind('/');
    if (slash != std::string::npos) {
        h->setDirectory(name.substr(0, slash + 1));
        h->setFileName(name.substr(slash + 1));
    } else {
        h->setFileName(name);
    }
    h->relativeOffset = offset;
    h->diskNumberStart = disk;
    return h;
}

TEST(ObjectList, CapacityGrowsByFourThenEightThenSixteen) {
    TObjectList<TZipHeaderInfo> list;
    std::vector<int> caps;
    for (int i = 0; i < 30; ++i) {
        list.add(new TZipHeaderInfo);
        caps.push_back(list.capacity());
    }
    EXPECT_EQ(caps[0], 4);
    EXPECT_EQ(caps[3], 4);
    EXPECT_EQ(caps[4], 8);
    EXPECT_EQ(caps[7], 8);
    EXPECT_EQ(caps[8], 16);
    EXPECT_EQ(caps[15], 16);
    EXPECT_EQ(caps[16], 32);
    EXPECT_EQ(caps[29], 32);
}

TEST(ObjectList, IndexErrorsNameTheIndex) {
    TObjectList<TZipHeaderInfo> list;
    list.add(new TZipHeaderInfo);
    try {
        list.item(1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
    EXPECT_THROW(list.item(-1), EListError);
}

TEST(ObjectList, RemovingAnAbsentObjectNamesItsClass) {
    TObjectList<TZipHeaderInfo> list;
    TZipHeaderInfo outsider;
    try {
        list.remove(&outsider);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "tObject TZipHeaderInfo not in item list");
    }
}

TEST(ObjectList, ExtractHandsTheObjectBack) {
    TObjectList<TZipHeaderInfo> list;
    auto* h = new TZipHeaderInfo;
    list.add(h);
    std::unique_ptr<TZipHeaderInfo> back(list.extract(0));
    EXPECT_EQ(back.get(), h);
    EXPECT_EQ(list.count(), 0);
}

TEST(SortedZip, ArchiveOrderRejectsTheSameDiskAndOffset) {
    TSortedZip list(ByNone, TDuplicates::Reject);
    list.add(member("b", 200));
    list.add(member("a", 100));
    list.add(member("c", 50, 1));
    EXPECT_EQ(list[0]->fileName(), "a");
    EXPECT_EQ(list[1]->fileName(), "b");
    EXPECT_EQ(list[2]->fileName(), "c");
    std::unique_ptr<TZipHeaderInfo> dup(member("x", 100));
    try {
        list.add(dup.get());
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "Duplicate Object index");
    }
}

TEST(SortedZip, ViewsAcceptEqualNames) {
    TSortedZip list(ByName, TDuplicates::Accept, false);
    std::unique_ptr<TZipHeaderInfo> a(member("same", 1)), b(member("same", 2));
    list.add(a.get());
    list.add(b.get());
    EXPECT_EQ(list.count(), 2);
}

TEST(SortedZip, IgnorePolicyLeavesTheListUnchanged) {
    TSortedZip list(ByName, TDuplicates::Ignore);
    list.add(member("same", 1));
    std::unique_ptr<TZipHeaderInfo> again(member("same", 2));
    EXPECT_EQ(list.add(again.get()), -1);
    EXPECT_EQ(list.count(), 1);
}

TEST(SortedZip, NamesOrderWithoutCaseButDifferInCase) {
    TSortedZip list(ByName, TDuplicates::Reject);
    list.add(member("b.txt", 1));
    list.add(member("README", 2));
    list.add(member("Readme", 3));
    list.add(member("A.txt", 4));
    EXPECT_EQ(list[0]->fileName(), "A.txt");
    EXPECT_EQ(list[1]->fileName(), "b.txt");
    EXPECT_EQ(list.count(), 4);
    std::unique_ptr<TZipHeaderInfo> key(member("Readme", 9));
    int at = list.find(*key);
    ASSERT_GE(at, 0);
    EXPECT_EQ(list[at]->relativeOffset, 3u);
}

TEST(SortedZip, FileNameAndDirectoryModes) {
    TSortedZip byFile(ByFileName, TDuplicates::Accept, false);
    TSortedZip byDir(ByDirectoryName, TDuplicates::Accept, false);
    std::unique_ptr<TZipHeaderInfo> a(member("z/a", 1)), b(member("a/b", 2));
    for (auto* list : {&byFile, &byDir}) {
        list->add(a.get());
        list->add(b.get());
    }
    EXPECT_EQ(byFile[0], a.get());
    EXPECT_EQ(byDir[0], b.get());
}

TEST(SortedZip, DateAndSizeModesPutTheLargestFirstAndKeepEqualsInInsertionOrder) {
    TSortedZip bySize(ByUnCompressedSize, TDuplicates::Reject, false);
    std::unique_ptr<TZipHeaderInfo> a(member("a", 1)), b(member("b", 2)), c(member("c", 3));
    a->uncompressedSize = 10;
    b->uncompressedSize = 30;
    c->uncompressedSize = 10;
    bySize.add(a.get());
    bySize.add(b.get());
    bySize.add(c.get());  // never "equal", so no duplicate error
    EXPECT_EQ(bySize[0], b.get());
    EXPECT_EQ(bySize[1], a.get());
    EXPECT_EQ(bySize[2], c.get());

    TSortedZip byDate(ByDate, TDuplicates::Reject, false);
    a->dosDateTime = (44u << 25) | (1u << 21) | (1u << 16);
    b->dosDateTime = (45u << 25) | (1u << 21) | (1u << 16);
    byDate.add(a.get());
    byDate.add(b.get());
    EXPECT_EQ(byDate[0], b.get());
}

TEST(SortedZip, AddingAllAtOnceGivesTheOrderOfAddingOneByOne) {
    // Few distinct names, sizes and dates, so that every mode meets many equal keys.
    std::vector<std::unique_ptr<TZipHeaderInfo>> owned;
    std::vector<TZipHeaderInfo*> members;
    std::uint32_t seed = 1;
    auto next = [&seed](std::uint32_t range) { return (seed = seed * 1103515245u + 12345u) / 65536u % range; };
    for (std::uint64_t i = 0; i < 400; ++i) {
        const std::string name =
            std::string(1, char('a' + next(3))) + "/" + (next(2) ? "F" : "f") + char('0' + next(4));
        owned.emplace_back(member(name, i));
        owned.back()->uncompressedSize = next(5) * 10;
        owned.back()->compressedSize = next(5) * 3;
        owned.back()->dosDateTime = ((44u + next(3)) << 25) | (1u << 21) | (1u << 16);
        members.push_back(owned.back().get());
    }
    for (TZipSortMode mode :
         {ByName, ByFileName, ByDirectoryName, ByDate, ByCompressedSize, ByUnCompressedSize, ByRate, ByNone}) {
        TSortedZip oneByOne(mode, TDuplicates::Accept, false), allAtOnce(mode, TDuplicates::Accept, false);
        for (TZipHeaderInfo* h : members) oneByOne.add(h);
        allAtOnce.addAll(members);
        ASSERT_EQ(allAtOnce.count(), oneByOne.count());
        EXPECT_EQ(allAtOnce.capacity(), oneByOne.capacity());
        for (int i = 0; i < oneByOne.count(); ++i)
            ASSERT_EQ(allAtOnce[i], oneByOne[i]) << "mode " << mode << " at " << i;
    }
}

TEST(SortedZip, RateIsRoundedPercentCappedAtHundred) {
    TZipHeaderInfo h;
    h.uncompressedSize = 0;
    EXPECT_EQ(compressionRate(h), 0);
    h.uncompressedSize = 3;
    h.compressedSize = 2;
    EXPECT_EQ(compressionRate(h), 67);
    h.compressedSize = 10;
    EXPECT_EQ(compressionRate(h), 100);
}

TEST(SortedZip, PutIsRefusedInASortedList) {
    TSortedZip list(ByNone, TDuplicates::Reject);
    list.add(member("a", 1));
    std::unique_ptr<TZipHeaderInfo> other(member("b", 2));
    try {
        list.put(0, other.get());
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "Cannot <Put> an Object in a sorted list!");
    }
}

}  // namespace
}  // namespace zb::zip
