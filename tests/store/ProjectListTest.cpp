// The project list: reading "Common", the box's order and case-blind lookup, and the
// selection after reading.
#include <gtest/gtest.h>

#include "platform/IniFile.h"
#include "store/ProjectList.h"
#include "support/TempDir.h"
#include "StoreTestSupport.h"

using namespace zb;
using namespace zb::store;
using zb::test::TempDir;
using Lines = std::vector<std::string>;

TEST(ProjectList, ShippedFileListsTwoAndSelectsLastProject) {
    const platform::IniFile ini(test::testData("ini/project.ini"));
    const ProjectList list = ProjectList::read(ini);
    EXPECT_EQ(list.names(), (Lines{"Documents", "mail archive"}));
    EXPECT_EQ(readLastProject(ini), "Documents");
    EXPECT_EQ(list.initialSelection(readLastProject(ini)), 0u);
}

TEST(ProjectList, NoFileMeansNoProjectAndNoSelection) {
    TempDir dir;
    const platform::IniFile ini(dir / "project.ini");
    const ProjectList list = ProjectList::read(ini);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.initialSelection(readLastProject(ini)), std::nullopt);
}

TEST(ProjectList, SortedWithoutRegardToCase) {
    const ProjectList list(Lines{"zeta", "Alpha", "beta", "Gamma"});
    EXPECT_EQ(list.names(), (Lines{"Alpha", "beta", "Gamma", "zeta"}));
}

TEST(ProjectList, EmptyAndRepeatedNamesDropped) {
    const ProjectList list(Lines{"abc", "", "ABC", "x"});
    EXPECT_EQ(list.names(), (Lines{"abc", "x"}));
}

TEST(ProjectList, LookupIgnoresCase) {
    const ProjectList list(Lines{"Mail Archive", "docs"});
    EXPECT_EQ(list.indexOf("MAIL ARCHIVE"), 1u);
    EXPECT_EQ(list.indexOf("Docs"), 0u);
    EXPECT_EQ(list.indexOf("doc"), std::nullopt);
}

TEST(ProjectList, LastProjectNotListedSelectsTheFirst) {
    const ProjectList list(Lines{"b", "a"});
    EXPECT_EQ(list.initialSelection("gone"), 0u);
    EXPECT_EQ(list.initialSelection("B"), 1u);
    EXPECT_EQ(list.initialSelection(""), 0u);
}

TEST(ProjectList, AddAndReplaceKeepTheOrder) {
    ProjectList list(Lines{"b", "d"});
    EXPECT_EQ(list.add("C"), 1u);
    EXPECT_EQ(list.add("a"), 0u);
    EXPECT_EQ(list.replaceAt(0, "z"), 3u);
    EXPECT_EQ(list.names(), (Lines{"b", "C", "d", "z"}));
    list.removeAt(1);
    EXPECT_EQ(list.names(), (Lines{"b", "d", "z"}));
}

TEST(ProjectList, WriteLeavesHigherKeys) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nProject Count=3\nCount0=a\nCount1=b\nCount2=c\n");
    platform::IniFile ini(file);
    ProjectList(Lines{"x"}).write(ini);
    ini.save();
    EXPECT_EQ(ProjectList::read(platform::IniFile(file)).names(), (Lines{"x"}));
    EXPECT_TRUE(test::hasLine(file, "Count1=b"));
    EXPECT_TRUE(test::hasLine(file, "Count2=c"));
}
