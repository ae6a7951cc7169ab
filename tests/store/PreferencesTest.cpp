// The preferences of "Common": defaults, the shipped file, the sort menu's marks, the
// write at close, the start-up keys and the wildcard list.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "platform/IniFile.h"
#include "store/Preferences.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"
#include "StoreTestSupport.h"

using namespace zb;
using namespace zb::store;
using zb::test::TempDir;
using Lines = std::vector<std::string>;

TEST(PreferencesLoad, NoFileGivesTheDefaults) {
    TempDir dir;
    PreferencesStore store(dir / "project.ini");
    Preferences p;
    store.load(p);
    EXPECT_FALSE(p.askBeforeBackup);
    EXPECT_FALSE(p.padNumber);
    EXPECT_EQ(p.numberWidth, 2);
    EXPECT_FALSE(p.overwriteArchive);
    EXPECT_EQ(p.logCount, 50);
    EXPECT_EQ(p.sortField, kSortByDate);
    EXPECT_FALSE(p.sortDescending);
    EXPECT_TRUE(p.sortDirectionMarked);
    EXPECT_FALSE(store.readStartupKeys().startMinimized());
    EXPECT_TRUE(store.readWildcards().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "project.ini"));
}

TEST(PreferencesLoad, ShippedFile) {
    PreferencesStore store(test::testData("ini/project.ini"));
    Preferences p;
    store.load(p);
    EXPECT_TRUE(p.askBeforeBackup);
    EXPECT_TRUE(p.padNumber);
    EXPECT_EQ(p.numberWidth, 3);
    EXPECT_FALSE(p.overwriteArchive);
    EXPECT_EQ(p.logCount, 30);  // "0x1E"
    EXPECT_EQ(p.sortField, kSortBySize);
    EXPECT_TRUE(p.sortDescending);
    const StartupKeys startup = store.readStartupKeys();
    EXPECT_TRUE(startup.autoRun);
    EXPECT_TRUE(startup.isMinimized);
    EXPECT_TRUE(startup.startMinimized());
    EXPECT_EQ(store.readWildcards(), (Lines{"*.doc", "*.xls"}));
}

TEST(PreferencesLoad, MinimisedAloneDoesNotStartMinimised) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\r\nAuto Run=0\r\nIs Minimized=1\r\n");
    const StartupKeys startup = PreferencesStore(file).readStartupKeys();
    EXPECT_FALSE(startup.autoRun);
    EXPECT_TRUE(startup.isMinimized);
    EXPECT_FALSE(startup.startMinimized());
}

TEST(PreferencesLoad, OutOfRangeNumbersAreUsedAsRead) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nWidth=0\nLog Count=1\n");
    Preferences p;
    PreferencesStore(file).load(p);
    EXPECT_EQ(p.numberWidth, 0);
    EXPECT_EQ(p.logCount, 1);
}

TEST(PreferencesLoad, UnknownSortValuesLeaveTheMenuAsItWas) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nProject Count=1\nCount0=a\nBy Field=5\nSort=5\n");
    PreferencesStore store(file);
    Preferences p;  // before reading: "By name" marked, no direction marked
    store.load(p);
    EXPECT_EQ(p.sortField, kSortByName);
    EXPECT_FALSE(p.sortDescending);
    EXPECT_FALSE(p.sortDirectionMarked);
    store.writeAtClose(p, ProjectList(Lines{"a"}), "a");
    EXPECT_TRUE(test::hasLine(file, "By Field=0"));
    EXPECT_TRUE(test::hasLine(file, "Sort=1"));
}

TEST(PreferencesLoad, UnreadableValuesGiveTheDefaults) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nWidth=wide\nIsOverWrite=yes\nPromptBeforeBackup=7\n");
    Preferences p;
    PreferencesStore(file).load(p);
    EXPECT_EQ(p.numberWidth, 2);
    EXPECT_FALSE(p.overwriteArchive);
    EXPECT_TRUE(p.askBeforeBackup);  // any integer other than 0 is true
}

TEST(PreferencesClose, NothingWrittenWithoutProjects) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nWidth=4\n");
    const std::string before = test::readFile(file);
    Preferences p;
    p.numberWidth = 9;
    PreferencesStore(file).writeAtClose(p, ProjectList(), "");
    EXPECT_EQ(test::readFile(file), before);
    PreferencesStore(dir / "none.ini").writeAtClose(p, ProjectList(), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

TEST(PreferencesClose, KeysInTheProgramsOrder) {
    TempDir dir;
    const auto file = dir / "project.ini";
    Preferences p;
    p.padNumber = true;
    p.numberWidth = 4;
    p.overwriteArchive = true;
    p.askBeforeBackup = true;
    p.sortField = kSortBySize;
    p.sortDescending = true;
    p.sortDirectionMarked = true;
    p.logCount = 120;
    PreferencesStore store(file);
    store.writeAtClose(p, ProjectList(Lines{"b", "A"}), "b");
    EXPECT_EQ(test::keysOnDisk(file, "Common"),
              (Lines{"Is Append 0", "Width", "IsOverWrite", "PromptBeforeBackup", "Last Project", "Project Count",
                     "Count0", "Count1", "By Field", "Sort", "Log Count"}));
    EXPECT_TRUE(test::hasLine(file, "Count0=A"));
    EXPECT_TRUE(test::hasLine(file, "Count1=b"));
    Preferences back;
    store.load(back);
    EXPECT_TRUE(back.padNumber);
    EXPECT_EQ(back.numberWidth, 4);
    EXPECT_TRUE(back.overwriteArchive);
    EXPECT_TRUE(back.askBeforeBackup);
    EXPECT_EQ(back.sortField, kSortBySize);
    EXPECT_TRUE(back.sortDescending);
    EXPECT_EQ(back.logCount, 120);
}

TEST(PreferencesClose, StartupKeysAndWildcardsAreNotWrittenAtClose) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    PreferencesStore store(file);
    Preferences p;
    store.load(p);
    store.writeAtClose(p, ProjectList(Lines{"Documents", "mail archive"}), "mail archive");
    EXPECT_TRUE(test::hasLine(file, "Auto Run=1"));
    EXPECT_TRUE(test::hasLine(file, "Wildcard Total=3"));
    EXPECT_TRUE(test::hasLine(file, "Log Count=30"));  // now in decimal
    EXPECT_TRUE(test::hasLine(file, "Project Count=2"));
    EXPECT_TRUE(test::hasLine(file, "Count2="));  // above the count now, left alone
    EXPECT_EQ(PreferencesStore(file).readWildcards(), (Lines{"*.doc", "*.xls"}));
}

TEST(PreferencesStartup, WrittenAtOnce) {
    TempDir dir;
    PreferencesStore store(dir / "project.ini");
    store.writeStartupKeys({true, false});
    StartupKeys back = store.readStartupKeys();
    EXPECT_TRUE(back.autoRun);
    EXPECT_FALSE(back.isMinimized);
    store.writeStartupKeys({false, true});  // "Is Minimized" is written even when it has no effect
    back = store.readStartupKeys();
    EXPECT_FALSE(back.autoRun);
    EXPECT_TRUE(back.isMinimized);
    EXPECT_TRUE(test::hasLine(dir / "project.ini", "Auto Run=0"));
}

TEST(PreferencesWildcards, ShorterListLeavesHigherKeys) {
    TempDir dir;
    const auto file = dir / "project.ini";
    PreferencesStore store(file);
    store.writeWildcards({"*.a", "*.b", "*.c"});
    store.writeWildcards({"*.z"});
    EXPECT_EQ(store.readWildcards(), (Lines{"*.z"}));
    EXPECT_TRUE(test::hasLine(file, "Wildcard Total=1"));
    EXPECT_TRUE(test::hasLine(file, "Wildcard2=*.c"));
}

TEST(PreferencesRefused, ReadOnlyFileIsLeftUnchanged) {
    TempDir dir;
    const auto folder = dir / "settings";
    std::filesystem::create_directory(folder);
    const auto file = folder / "project.ini";
    std::filesystem::copy_file(test::testData("ini/project.ini"), file);
    test::giveToNobody(folder);
    test::giveToNobody(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    const std::string before = test::readFile(file);
    PreferencesStore store(file);
    const int status = test::runUnprivileged([&] {
        int refused = 0;
        const auto tryWrite = [&](const std::function<void()>& write) {
            try {
                write();
            } catch (const platform::IniWriteError& e) {
                if (std::string(e.what()) == "Unable to write to " + file.string()) ++refused;
            }
        };
        Preferences p;
        tryWrite([&] { store.writeAtClose(p, ProjectList(Lines{"Documents"}), "Documents"); });
        tryWrite([&] { store.writeStartupKeys({false, false}); });
        tryWrite([&] { store.writeWildcards({"*.x"}); });
        return refused == 3 ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(file), before);
}
