// Reading and writing a project's section: the shipped Windows file, defaults, raw
// values kept as read, the key order of a save, and lists that shrink.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "store/PasswordScramble.h"
#include "store/ProjectIo.h"
#include "support/TempDir.h"
#include "StoreTestSupport.h"

using namespace zb;
using namespace zb::store;
using zb::test::TempDir;

namespace {

using Lines = std::vector<std::string>;

ProjectRecord sampleRecord() {
    ProjectRecord r;
    r.filenamePrefix = "  docs ";
    r.suffix = kSuffixNumber;
    r.increaseValue = 2;
    r.value = 5;
    r.savePath = "/srv/backup";
    r.includeLines = {"/home/ann/*.*", "/home/ann/notes.txt"};
    r.excludeLines = {"*.tmp"};
    r.includeSubfolders = false;
    r.usePassword = true;
    r.password = " pass word ";
    r.passwordConfirmation = " pass word ";
    r.storePaths = false;
    r.storeComment = true;
    r.comment = "  weekly  ";
    r.backupMode = kModeEveryMinutes;
    r.scheduleText = "90";
    r.packLevel = 9;
    return r;
}

ProjectRecord writeAndReadBack(const std::filesystem::path& file, const std::string& name, ProjectRecord r) {
    platform::IniFile ini(file);
    writeProject(ini, name, r);
    ini.save();
    return readProject(platform::IniFile(file), name);
}

}  // namespace

TEST(ProjectRead, ShippedFileDocuments) {
    const platform::IniFile ini(test::testData("ini/project.ini"));
    const ProjectRecord r = readProject(ini, "Documents");
    EXPECT_EQ(r.filenamePrefix, "docs");
    EXPECT_EQ(r.suffix, kSuffixNumber);
    EXPECT_EQ(r.increaseValue, 2);
    EXPECT_EQ(r.value, 5);
    EXPECT_EQ(r.nextNumber(), 7);
    EXPECT_EQ(r.savePath, "D:\\Backup");
    EXPECT_EQ(r.includeLines, (Lines{"C:\\Users\\ann\\Documents\\*.*", "C:\\Users\\ann\\notes.txt"}));
    EXPECT_EQ(r.excludeLines, (Lines{"*.tmp"}));
    EXPECT_TRUE(r.includeSubfolders);
    EXPECT_TRUE(r.usePassword);
    EXPECT_EQ(r.password, "Secret pass 2024!");
    EXPECT_EQ(r.passwordConfirmation, "Secret pass 2024!");
    EXPECT_TRUE(r.storePaths);
    EXPECT_TRUE(r.storeComment);
    EXPECT_EQ(r.comment, "weekly docs");
    EXPECT_EQ(r.backupMode, kModeWeekly);
    EXPECT_EQ(r.scheduleText, "friday");
    EXPECT_EQ(r.packLevel, 9);
}

TEST(ProjectRead, ShippedFileMailArchiveFoundWithoutRegardToCase) {
    const platform::IniFile ini(test::testData("ini/project.ini"));
    const ProjectRecord r = readProject(ini, "mail archive");
    EXPECT_EQ(r.filenamePrefix, "mail");
    EXPECT_EQ(r.suffix, kSuffixDate);
    EXPECT_EQ(r.savePath, "E:\\");
    EXPECT_TRUE(r.includeLines.empty());  // "two" is no number: the count reads as 0
    EXPECT_TRUE(r.excludeLines.empty());
    EXPECT_FALSE(r.usePassword);
    EXPECT_EQ(r.password, "");  // the stored one is ignored
    EXPECT_EQ(r.passwordConfirmation, "");
    EXPECT_EQ(r.backupMode, kModeEveryMinutes);
    EXPECT_EQ(r.scheduleText, "90");
    EXPECT_EQ(r.packLevel, 6);  // empty value: the default
    EXPECT_EQ(r.increaseValue, 1);
    EXPECT_EQ(r.value, 1);
}

TEST(ProjectRead, MissingSectionGivesDefaults) {
    const platform::IniFile ini(test::testData("ini/project.ini"));
    const ProjectRecord r = readProject(ini, "no such project");
    EXPECT_EQ(r.filenamePrefix, "");
    EXPECT_EQ(r.suffix, kSuffixNumber);
    EXPECT_EQ(r.increaseValue, 1);
    EXPECT_EQ(r.value, 1);
    EXPECT_EQ(r.savePath, platform::homeFolder());
    EXPECT_TRUE(r.includeLines.empty());
    EXPECT_TRUE(r.includeSubfolders);
    EXPECT_TRUE(r.usePassword);
    EXPECT_EQ(r.password, "");
    EXPECT_TRUE(r.storePaths);
    EXPECT_TRUE(r.storeComment);
    EXPECT_EQ(r.backupMode, kModeNone);
    EXPECT_EQ(r.scheduleText, "");
    EXPECT_EQ(r.packLevel, 6);
}

TEST(ProjectRead, MissingEmptyAndGarbageFilesGiveDefaults) {
    TempDir dir;
    const auto empty = dir.write("empty.ini", "");
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    const auto binary = dir.write("garbage.ini", garbage);
    const auto noEquals = dir.write("noeq.ini", "[p]\r\nFilename prefix docs\r\nSuffix\r\n=1\r\n");
    for (const auto& file : {dir / "missing.ini", empty, binary, noEquals}) {
        const ProjectRecord r = readProject(platform::IniFile(file), "p");
        EXPECT_EQ(r.filenamePrefix, "") << file;
        EXPECT_EQ(r.suffix, kSuffixNumber) << file;
        EXPECT_TRUE(r.includeLines.empty()) << file;
    }
}

TEST(ProjectRead, UnknownSuffixAndModeKeptAsRead) {
    TempDir dir;
    const auto file = dir.write("p.ini", "[p]\nSuffix=7\nBackupMode=-4\nIncrease Value=5000\nValue=0x10\n");
    const ProjectRecord r = readProject(platform::IniFile(file), "p");
    EXPECT_EQ(r.suffix, 7);
    EXPECT_EQ(r.backupMode, -4);
    EXPECT_EQ(r.increaseValue, 5000);
    EXPECT_EQ(r.value, 16);
}

TEST(ProjectRead, EmptyIncludeValueInsideTheCountIsSkipped) {
    TempDir dir;
    const auto file = dir.write("p.ini",
                                "[p]\nBackup Directory Count=4\nBackup0=a\nBackup1=\nbackup2=c\nBackup3=d\nBackup4=e\n"
                                "Backup03=not a key the program writes\n");
    EXPECT_EQ(readProject(platform::IniFile(file), "p").includeLines, (Lines{"a", "c", "d"}));
}

TEST(ProjectRead, HugeCountReadsOnlyTheKeysPresent) {
    TempDir dir;
    const auto file = dir.write("p.ini", "[p]\nBackup Directory Count=2147483647\nBackup0=a\nBackup2000000000=far\n");
    // A look-up per possible index would run for hours; only the keys present count.
    EXPECT_EQ(readProject(platform::IniFile(file), "p").includeLines, (Lines{"a", "far"}));
}

TEST(ProjectRead, NegativeCountReadsNothing) {
    TempDir dir;
    const auto file = dir.write("p.ini", "[p]\nBackup Directory Count=-3\nBackup0=a\n");
    EXPECT_TRUE(readProject(platform::IniFile(file), "p").includeLines.empty());
}

TEST(ProjectRead, LongValueIsCutAt2047Characters) {
    TempDir dir;
    const std::string longLine(100 * 1024, 'x');
    const auto file = dir.write("p.ini", "[p]\nBackup Directory Count=1\nBackup0=" + longLine + "\n");
    const ProjectRecord r = readProject(platform::IniFile(file), "p");
    ASSERT_EQ(r.includeLines.size(), 1u);
    EXPECT_EQ(r.includeLines[0], std::string(2047, 'x'));
}

TEST(ProjectWrite, KeysInTheProgramsOrder) {
    TempDir dir;
    const auto file = dir / "project.ini";
    ProjectRecord r = sampleRecord();
    platform::IniFile ini(file);
    writeProject(ini, "  Docs  ", r);
    ini.save();
    EXPECT_EQ(test::keysOnDisk(file, "Docs"),
              (Lines{"Filename prefix", "Suffix", "Increase Value", "Value", "Save Path", "Backup Directory Count",
                     "Backup0", "Backup1", "No Backup Directory Count", "NoBackup0", "Whether include Subdirectory",
                     "Whether password Project", "Password", "Whether store path in Zip",
                     "Whether store comment in Zip", "Comment", "BackupMode", "StartTime_or_Increase", "PackLevel"}));
    EXPECT_TRUE(test::hasLine(file, "Filename prefix=docs"));
    EXPECT_TRUE(test::hasLine(file, "Whether include Subdirectory=0"));
    EXPECT_TRUE(test::hasLine(file, "Password=" + scramblePassword("pass word", "Docs")));
}

TEST(ProjectWrite, SaveThenLoadGivesTheSameProject) {
    TempDir dir;
    const ProjectRecord r = writeAndReadBack(dir / "project.ini", "Docs", sampleRecord());
    EXPECT_EQ(r.filenamePrefix, "docs");
    EXPECT_EQ(r.increaseValue, 2);
    EXPECT_EQ(r.value, 5);
    EXPECT_EQ(r.savePath, "/srv/backup");
    EXPECT_EQ(r.includeLines, sampleRecord().includeLines);
    EXPECT_EQ(r.excludeLines, sampleRecord().excludeLines);
    EXPECT_FALSE(r.includeSubfolders);
    EXPECT_EQ(r.password, "pass word");  // stored trimmed
    EXPECT_EQ(r.passwordConfirmation, "pass word");
    EXPECT_FALSE(r.storePaths);
    EXPECT_EQ(r.comment, "weekly");  // the reader trims the blanks around a value
    EXPECT_EQ(r.backupMode, kModeEveryMinutes);
    EXPECT_EQ(r.scheduleText, "90");
    EXPECT_EQ(r.packLevel, 9);
}

TEST(ProjectWrite, UnknownSuffixAndModeWrittenAsCarried) {
    TempDir dir;
    ProjectRecord in = sampleRecord();
    in.suffix = 7;
    in.backupMode = 9;
    const ProjectRecord r = writeAndReadBack(dir / "project.ini", "p", in);
    EXPECT_EQ(r.suffix, 7);
    EXPECT_EQ(r.backupMode, 9);
}

TEST(ProjectWrite, ShortenedListLeavesHigherKeys) {
    TempDir dir;
    const auto file = dir / "project.ini";
    ProjectRecord r = sampleRecord();
    r.includeLines = {"l0", "l1", "l2", "l3", "l4"};
    writeAndReadBack(file, "p", r);
    r.includeLines = {"n0", "n1", "n2"};
    const ProjectRecord back = writeAndReadBack(file, "p", r);
    EXPECT_EQ(back.includeLines, (Lines{"n0", "n1", "n2"}));
    EXPECT_TRUE(test::hasLine(file, "Backup Directory Count=3"));
    EXPECT_TRUE(test::hasLine(file, "Backup3=l3"));
    EXPECT_TRUE(test::hasLine(file, "Backup4=l4"));
}

TEST(ProjectWrite, WithoutPasswordTheStoredOneStaysAndIsIgnored) {
    TempDir dir;
    const auto file = dir / "project.ini";
    writeAndReadBack(file, "p", sampleRecord());
    const std::string stored = scramblePassword("pass word", "p");
    ProjectRecord r = sampleRecord();
    r.usePassword = false;
    platform::IniFile ini(file);
    writeProject(ini, "p", r);
    ini.save();
    EXPECT_EQ(r.password, "");  // the page's fields are emptied
    EXPECT_EQ(r.passwordConfirmation, "");
    EXPECT_TRUE(test::hasLine(file, "Password=" + stored));
    EXPECT_TRUE(test::hasLine(file, "Whether password Project=0"));
    EXPECT_EQ(readProject(platform::IniFile(file), "p").password, "");
}

TEST(ProjectWrite, BlankPasswordWritesNoPasswordKey) {
    TempDir dir;
    const auto file = dir / "project.ini";
    ProjectRecord r = sampleRecord();
    r.password = "   ";
    platform::IniFile ini(file);
    writeProject(ini, "p", r);
    ini.save();
    EXPECT_TRUE(test::hasLine(file, "Whether password Project=1"));
    const auto keys = test::keysOnDisk(file, "p");
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "Password"), 0);
    EXPECT_EQ(r.password, "");
}

TEST(ProjectWrite, PasswordBeginningWithHashSurvivesTheFile) {
    TempDir dir;
    ProjectRecord r = sampleRecord();
    r.password = "#97#98";
    r.passwordConfirmation = r.password;
    EXPECT_EQ(writeAndReadBack(dir / "project.ini", "p", r).password, "#97#98");
}

TEST(ProjectWrite, CommentKeptUnlessTextGiven) {
    TempDir dir;
    const auto file = dir / "project.ini";
    writeAndReadBack(file, "p", sampleRecord());
    ProjectRecord r = sampleRecord();
    r.storeComment = false;
    platform::IniFile ini(file);
    writeProject(ini, "p", r);
    ini.save();
    EXPECT_EQ(r.comment, "");
    EXPECT_EQ(readProject(platform::IniFile(file), "p").comment, "weekly");
}

TEST(ProjectWrite, NoScheduleLeavesTheScheduleTextAlone) {
    TempDir dir;
    const auto file = dir / "project.ini";
    writeAndReadBack(file, "p", sampleRecord());
    ProjectRecord r = sampleRecord();
    r.backupMode = kModeNone;
    r.scheduleText = "12:00:00";
    const ProjectRecord back = writeAndReadBack(file, "p", r);
    EXPECT_EQ(back.backupMode, kModeNone);
    EXPECT_EQ(back.scheduleText, "90");
}

TEST(ProjectWrite, SavingKeepsTheShippedFilesOtherSections) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectRecord docs = readProject(platform::IniFile(file), "Documents");
    docs.packLevel = 3;
    const ProjectRecord back = writeAndReadBack(file, "Documents", docs);
    EXPECT_EQ(back.packLevel, 3);
    EXPECT_EQ(back.password, "Secret pass 2024!");
    const ProjectRecord mail = readProject(platform::IniFile(file), "mail archive");
    EXPECT_EQ(mail.filenamePrefix, "mail");
    EXPECT_EQ(mail.scheduleText, "90");
    EXPECT_TRUE(test::hasLine(file, "Backup3=C:\\stale\\*.*"));
    EXPECT_NE(test::readFile(file).find("\r\n"), std::string::npos);  // line ends kept
}
