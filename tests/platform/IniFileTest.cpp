// The settings-file rules: lookups, the integer and boolean readings, in-place
// writes, line ends, the atomic save and every refused write.
#include "platform/IniFile.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

#include "AsNobody.h"
#include "support/TempDir.h"

namespace zb::platform {
namespace {

using test::readFile;
using test::TempDir;
namespace fs = std::filesystem;

mode_t modeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

ino_t inodeOf(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_ino;
}

std::size_t filesIn(const fs::path& folder) {
    std::size_t n = 0;
    for (auto it = fs::directory_iterator(folder); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

// ---- reading ----

TEST(IniFileRead, SectionsAndKeysIgnoreCaseAndBlanks) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", "[Common]\n  Log Count = 30 \n[MAIL ARCHIVE]\nfilename PREFIX=mail\n"));
    EXPECT_EQ(ini.readString("common", "LOG COUNT", "x"), "30");
    EXPECT_EQ(ini.readString("  mail archive ", " Filename prefix", "x"), "mail");
    EXPECT_EQ(ini.readString("Mail Archive", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("No Section", "filename prefix", "dflt"), "dflt");
    EXPECT_TRUE(ini.sectionExists("mail ARCHIVE"));
    EXPECT_FALSE(ini.sectionExists("mail"));
}

TEST(IniFileRead, FirstMatchWins) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", "[S]\nk=first\nK=second\n[s]\nk=third\nonly=later\n"));
    EXPECT_EQ(ini.readString("S", "k", ""), "first");
    // The first section of a name is the section; a duplicate further down is not read.
    EXPECT_EQ(ini.readString("S", "only", "none"), "none");
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"S"}));
    EXPECT_EQ(ini.keyNames("s"), (std::vector<std::string>{"k"}));
}

TEST(IniFileRead, ValuesKeepInnerTextAndQuotes) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", "[S]\nComment=  weekly docs  \nq=\"quoted\"\neq=a=b\nempty=\n\tTab\t=\tx\t\n"));
    EXPECT_EQ(ini.readString("S", "Comment", ""), "weekly docs");
    EXPECT_EQ(ini.readString("S", "q", ""), "\"quoted\"");
    EXPECT_EQ(ini.readString("S", "eq", ""), "a=b");
    EXPECT_EQ(ini.readString("S", "empty", "dflt"), "");
    EXPECT_EQ(ini.readString("S", "tab", ""), "x");
}

TEST(IniFileRead, MissingAndEmptyFilesReadAsEmpty) {
    TempDir dir;
    IniFile missing(dir / "none.ini");
    EXPECT_EQ(missing.readString("Common", "k", "d"), "d");
    EXPECT_TRUE(missing.sectionNames().empty());
    IniFile empty(dir.write("empty.ini", ""));
    EXPECT_EQ(empty.readInteger("Common", "Log Total", 7), 7);
    EXPECT_TRUE(empty.sectionNames().empty());
    EXPECT_FALSE(empty.modified());
}

TEST(IniFileRead, LinesWithoutEqualsAreNoKeys) {
    TempDir dir;
    auto p = dir.write("a.ini", "stray before\n[S]\nnot a key\nk=v\n; note\n");
    IniFile ini(p);
    EXPECT_EQ(ini.readString("S", "not a key", "d"), "d");
    EXPECT_EQ(ini.readString("S", "k", "d"), "v");
    EXPECT_EQ(ini.keyNames("S"), (std::vector<std::string>{"k"}));
    ini.writeString("S", "k", "w");
    ini.save();
    EXPECT_EQ(readFile(p), "stray before\n[S]\nnot a key\nk=w\n; note\n");
}

TEST(IniFileRead, BinaryGarbageReadsWithoutHarm) {
    TempDir dir;
    std::mt19937 rng(1234);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += char(rng() & 0xFF);
    garbage.insert(0, "\x01\x02\xff\xfe");  // no line end before this point
    auto p = dir.write("bin.ini", garbage);
    IniFile ini(p);
    EXPECT_EQ(ini.readString("Common", "Log Total", "d"), "d");
    EXPECT_EQ(ini.readInteger("Common", "Log Total", 0), 0);
    ini.writeString("Common", "Log Total", "1");
    ini.save();
    IniFile again(p);
    EXPECT_EQ(again.readInteger("Common", "Log Total", 0), 1);
    std::string after = readFile(p);
    auto firstLine = garbage.substr(0, garbage.find_first_of("\r\n"));
    EXPECT_EQ(after.substr(0, firstLine.size()), firstLine);
}

TEST(IniFileRead, ValueEndsAtNulByte) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", std::string("[S]\nk=ab\0cd\n", 12)));
    EXPECT_EQ(ini.readString("S", "k", ""), "ab");
}

TEST(IniFileRead, ReadsAreCappedAt2047Bytes) {
    TempDir dir;
    auto p = dir / "big.ini";
    std::string big(100 * 1024, 'v');
    big[0] = 'A';
    {
        IniFile ini(p);
        ini.writeString("S", "big", big);
        ini.save();
    }
    IniFile ini(p);
    std::string read = ini.readString("S", "big", "");
    EXPECT_EQ(read.size(), kMaxProfileValue);
    EXPECT_EQ(read, big.substr(0, kMaxProfileValue));
    EXPECT_NE(readFile(p).find(big), std::string::npos);  // the file holds the whole value
    EXPECT_EQ(ini.readString("S", "none", big).size(), kMaxProfileValue);
}

TEST(IniFileRead, CapNeverSplitsACharacter) {
    TempDir dir;
    std::string accents;
    for (int i = 0; i < 1500; ++i) accents += "\xC3\xA9";  // "é"
    IniFile ini(dir.write("a.ini", "[S]\nk=" + accents + "\n"));
    std::string read = ini.readString("S", "k", "");
    EXPECT_EQ(read.size(), 2046u);
    EXPECT_EQ(read, accents.substr(0, 2046));
}

TEST(IniFileRead, Utf8NamesMatchWithoutRegardToCase) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", "[Café Übung]\nschlüssel=1\n"));
    EXPECT_EQ(ini.readString("CAFÉ ÜBUNG", "SCHLÜSSEL", ""), "1");
}

TEST(IniFileRead, ByteOrderMarkIsKept) {
    TempDir dir;
    auto p = dir.write("a.ini", "\xEF\xBB\xBF[S]\r\nk=1\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.readInteger("S", "k", 0), 1);
    ini.writeInteger("S", "k", 2);
    ini.save();
    EXPECT_EQ(readFile(p), "\xEF\xBB\xBF[S]\r\nk=2\r\n");
}

// ---- numbers and booleans ----

TEST(IniFileNumbers, IntegerRules) {
    EXPECT_EQ(parseProfileInteger("42"), 42);
    EXPECT_EQ(parseProfileInteger("-5"), -5);
    EXPECT_EQ(parseProfileInteger("+7"), 7);
    EXPECT_EQ(parseProfileInteger("0x1E"), 30);
    EXPECT_EQ(parseProfileInteger("0X1e"), 30);
    EXPECT_EQ(parseProfileInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(parseProfileInteger("-0x10"), -16);
    EXPECT_EQ(parseProfileInteger("2147483647"), INT_MAX);
    EXPECT_EQ(parseProfileInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(parseProfileInteger("007"), 7);
    for (const char* bad : {"", "0x", "0X", "x1", "2147483648", "-2147483649", "0x100000000", "12abc", "1.5",
                            "two", "-", "+", "0xG", "1 2", "$1E"})
        EXPECT_EQ(parseProfileInteger(bad), std::nullopt) << bad;
}

TEST(IniFileNumbers, ReadIntegerAndBoolUseDefaults) {
    TempDir dir;
    IniFile ini(dir.write("a.ini", "[S]\nhex=0x1E\ntwo=two\nempty=\nbig=99999999999\nb2=2\nbm=-1\nb0=0\nyes=yes\n"));
    EXPECT_EQ(ini.readInteger("S", "hex", 0), 30);
    EXPECT_EQ(ini.readInteger("S", "two", 6), 6);
    EXPECT_EQ(ini.readInteger("S", "empty", 6), 6);
    EXPECT_EQ(ini.readInteger("S", "big", 6), 6);
    EXPECT_TRUE(ini.readBool("S", "b2", false));
    EXPECT_TRUE(ini.readBool("S", "bm", false));
    EXPECT_FALSE(ini.readBool("S", "b0", true));
    EXPECT_TRUE(ini.readBool("S", "yes", true));
    EXPECT_FALSE(ini.readBool("S", "yes", false));
    EXPECT_TRUE(ini.readBool("S", "missing", true));
}

TEST(IniFileNumbers, WritesDecimalAndOneOrZero) {
    TempDir dir;
    auto p = dir / "a.ini";
    IniFile ini(p);
    ini.writeInteger("S", "n", -12);
    ini.writeBool("S", "t", true);
    ini.writeBool("S", "f", false);
    ini.save();
    EXPECT_EQ(readFile(p), "[S]\r\nn=-12\r\nt=1\r\nf=0\r\n");
}

// ---- writing ----

TEST(IniFileWrite, ReplacesInPlaceAppendsKeyAndSection) {
    TempDir dir;
    auto p = dir.write("a.ini", "[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    IniFile ini(p);
    ini.writeString("a", "X", "10");    // in place, the file's own spelling kept
    ini.writeString("A", "new", "n");   // after the section's last key, before the blank
    ini.writeString("C", "c", "cc");    // a new section at the end
    EXPECT_EQ(ini.readString("A", "x", ""), "10");
    EXPECT_EQ(ini.readString("c", "C", ""), "cc");
    ini.save();
    EXPECT_EQ(readFile(p), "[A]\nx=10\ny=2\nnew=n\n\n[B]\nz=3\n\n[C]\nc=cc\n");
}

TEST(IniFileWrite, ReplacingTheSameValueChangesNothing) {
    TempDir dir;
    auto p = dir.write("a.ini", "[A]\nx=1\n");
    IniFile ini(p);
    ini.writeString("A", "x", "1");
    EXPECT_FALSE(ini.modified());
    ini.writeString("A", "x", "2");
    EXPECT_TRUE(ini.modified());
}

TEST(IniFileWrite, EraseSectionRemovesEveryCopy) {
    TempDir dir;
    auto p = dir.write("a.ini", "[Keep]\na=1\n[Gone]\nb=2\n[keep2]\nc=3\n[GONE]\nd=4\n");
    IniFile ini(p);
    ini.eraseSection("gone");
    EXPECT_FALSE(ini.sectionExists("Gone"));
    EXPECT_EQ(ini.readString("Gone", "d", "x"), "x");
    ini.eraseSection("not there");
    ini.save();
    EXPECT_EQ(readFile(p), "[Keep]\na=1\n[keep2]\nc=3\n");
}

TEST(IniFileWrite, LineBreaksInValuesCannotInjectKeys) {
    TempDir dir;
    auto p = dir / "a.ini";
    {
        IniFile ini(p);
        ini.writeString("S", "Comment", "line one\r\n[Common]\nLog Total=99");
        ini.save();
    }
    IniFile ini(p);
    EXPECT_FALSE(ini.sectionExists("Common"));
    EXPECT_EQ(ini.readString("S", "Comment", ""), "line one  [Common] Log Total=99");
}

TEST(IniFileWrite, NothingReachesTheDiskBeforeSave) {
    TempDir dir;
    auto p = dir / "project.ini";
    IniFile ini(p);
    for (int i = 0; i < 1000; ++i) ini.writeString("Docs", "Backup" + std::to_string(i), "/home/ann/file" + std::to_string(i));
    EXPECT_FALSE(fs::exists(p));
    ini.save();
    const ino_t written = inodeOf(p);
    ini.save();  // nothing changed since: no second write
    EXPECT_EQ(inodeOf(p), written);
    IniFile back(p);
    auto keys = back.keyNames("docs");
    ASSERT_EQ(keys.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(back.readString("Docs", "backup" + std::to_string(i), ""), "/home/ann/file" + std::to_string(i));
    EXPECT_EQ(filesIn(dir.path()), 1u);  // no temporary file left behind
}

// ---- line ends ----

TEST(IniFileLineEnds, CrlfFileKeepsCrlf) {
    TempDir dir;
    auto p = dir.write("a.ini", "[Common]\r\nLog Total=3\r\n\r\n[Log1]\r\nDate=x\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.readInteger("Common", "Log Total", 0), 3);
    EXPECT_EQ(ini.readString("Log1", "Date", ""), "x");
    ini.writeInteger("Common", "Log Total", 4);
    ini.writeString("Log4", "Date", "y");
    ini.save();
    EXPECT_EQ(readFile(p), "[Common]\r\nLog Total=4\r\n\r\n[Log1]\r\nDate=x\r\n\r\n[Log4]\r\nDate=y\r\n");
}

TEST(IniFileLineEnds, LfFileKeepsLf) {
    TempDir dir;
    auto p = dir.write("a.ini", "[Common]\nLog Total=3\n");
    IniFile ini(p);
    ini.writeString("Common", "New", "v");
    ini.save();
    EXPECT_EQ(readFile(p), "[Common]\nLog Total=3\nNew=v\n");
}

TEST(IniFileLineEnds, MissingFinalLineEndIsKeptUntilSomethingIsAppended) {
    TempDir dir;
    auto p = dir.write("a.ini", "[S]\r\na=1\r\nb=2");
    {
        IniFile ini(p);
        EXPECT_EQ(ini.readString("S", "b", ""), "2");
        ini.writeString("S", "a", "9");
        ini.save();
        EXPECT_EQ(readFile(p), "[S]\r\na=9\r\nb=2");
    }
    IniFile ini(p);
    ini.writeString("S", "c", "3");
    ini.save();
    EXPECT_EQ(readFile(p), "[S]\r\na=9\r\nb=2\r\nc=3\r\n");
}

TEST(IniFileLineEnds, NewFileGetsCrlf) {
    TempDir dir;
    auto p = dir / "new.ini";
    IniFile ini(p);
    ini.writeString("A", "k", "v");
    ini.writeString("B", "k", "v");
    ini.save();
    EXPECT_EQ(readFile(p), "[A]\r\nk=v\r\n\r\n[B]\r\nk=v\r\n");
}

// ---- the files a Windows installation leaves ----

TEST(IniFileLegacy, ProjectIniReadsAsExpected) {
    IniFile ini(test::testData("ini/project.ini"));
    EXPECT_EQ(ini.readInteger("Common", "Project Count", 0), 3);
    EXPECT_EQ(ini.readString("Common", "Count2", "x"), "");
    EXPECT_EQ(ini.readInteger("Common", "Log Count", 50), 30);
    EXPECT_EQ(ini.readString("Documents", "Save Path", ""), "D:\\Backup");
    EXPECT_EQ(ini.readString("Documents", "Comment", ""), "weekly docs");
    EXPECT_EQ(ini.readString("mail archive", "Filename prefix", ""), "mail");
    EXPECT_EQ(ini.readInteger("mail archive", "Backup Directory Count", 0), 0);
    EXPECT_EQ(ini.readInteger("mail archive", "PackLevel", 6), 6);
    EXPECT_FALSE(ini.readBool("mail archive", "Whether password Project", true));
    EXPECT_EQ(ini.sectionNames(),
              (std::vector<std::string>{"Common", "Documents", "MAIL ARCHIVE", "Old Stale Project"}));
}

TEST(IniFileLegacy, LogTxtReadsAsExpected) {
    IniFile ini(test::testData("ini/log.txt"));
    EXPECT_EQ(ini.readInteger("Common", "Log Total", 0), 3);
    EXPECT_EQ(ini.readString("Log3", "Status", ""), "Fails");
    EXPECT_EQ(ini.readString("Log2", "Information", ""), "'D:\\Backup\\docs.zip' exists,backup interripted");
    EXPECT_EQ(ini.readString("Log1", "Date", ""), "3/1/2025 9:00:05 AM");
}

// ---- the atomic save ----

TEST(IniFileSave, NewFileIsReadableByItsOwnerOnly) {
    TempDir dir;
    auto p = dir / "project.ini";
    mode_t old = ::umask(0);
    IniFile ini(p);
    ini.writeString("Common", "k", "v");
    ini.save();
    ::umask(old);
    EXPECT_EQ(modeOf(p), 0600u);
}

TEST(IniFileSave, ExistingModeIsKept) {
    TempDir dir;
    auto p = dir.write("log.txt", "[Common]\nLog Total=0\n");
    ::chmod(p.c_str(), 0640);
    const ino_t before = inodeOf(p);
    IniFile ini(p);
    ini.writeInteger("Common", "Log Total", 1);
    ini.save();
    EXPECT_EQ(modeOf(p), 0640u);
    EXPECT_NE(inodeOf(p), before);  // replaced by rename, not rewritten in place
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(IniFileSave, ThroughALinkTheTargetIsReplaced) {
    TempDir dir;
    auto target = dir.write("real/project.ini", "[Common]\nk=1\n");
    fs::create_directory(dir / "app");
    auto link = dir / "app/project.ini";
    fs::create_symlink("../real/project.ini", link);
    IniFile ini(link);
    EXPECT_EQ(ini.readInteger("Common", "k", 0), 1);
    ini.writeInteger("Common", "k", 2);
    ini.save();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), "[Common]\nk=2\n");
    EXPECT_EQ(filesIn(dir / "app"), 1u);
    EXPECT_EQ(filesIn(dir / "real"), 1u);
}

TEST(IniFileSave, LinkLeadingNowhereCreatesItsTarget) {
    TempDir dir;
    fs::create_symlink("real.ini", dir / "first.ini");
    fs::create_symlink("first.ini", dir / "project.ini");  // a chain of two links
    IniFile ini(dir / "project.ini");
    ini.writeString("Common", "k", "v");
    ini.save();
    EXPECT_TRUE(fs::is_symlink(dir / "project.ini"));
    EXPECT_TRUE(fs::is_symlink(dir / "first.ini"));
    EXPECT_EQ(readFile(dir / "real.ini"), "[Common]\r\nk=v\r\n");
    EXPECT_EQ(modeOf(dir / "real.ini"), 0600u);
}

TEST(IniFileSave, ReadOnlyAttributeRefusesEvenTheAdministrator) {
    TempDir dir;
    const std::string content = "[Common]\r\nk=1\r\n";
    auto p = dir.write("project.ini", content);
    ::chmod(p.c_str(), 0444);
    IniFile ini(p);
    ini.writeInteger("Common", "k", 2);
    try {
        ini.save();
        FAIL() << "save of a read-only file succeeded";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + p.string());
    }
    EXPECT_EQ(readFile(p), content);
    EXPECT_EQ(modeOf(p), 0444u);
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(IniFileSave, ReadOnlyFileIsRefusedForAnOrdinaryUser) {
    TempDir dir;
    auto folder = dir / "app";
    fs::create_directory(folder);
    const std::string content = "[Common]\nk=1\n";
    auto p = dir.write("app/project.ini", content);
    test::giveToNobody(dir.path());
    ::chmod(p.c_str(), 0444);  // the folder is writable: only the rule stops a rename
    int code = test::runAsNobody([&] {
        IniFile ini(p);
        if (ini.readInteger("Common", "k", 0) != 1) return 3;
        ini.writeInteger("Common", "k", 2);
        try {
            ini.save();
        } catch (const IniWriteError& e) {
            return std::string(e.what()) == "Unable to write to " + p.string() ? 0 : 4;
        }
        return 5;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(p), content);
    EXPECT_EQ(filesIn(folder), 1u);
}

TEST(IniFileSave, ReadOnlyFolderIsRefusedForAnOrdinaryUser) {
    TempDir dir;
    auto folder = dir / "app";
    fs::create_directory(folder);
    const std::string content = "[Common]\nk=1\n";
    auto p = dir.write("app/project.ini", content);
    test::giveToNobody(dir.path());
    ::chmod(folder.c_str(), 0555);
    int code = test::runAsNobody([&] {
        IniFile existing(p);
        existing.writeInteger("Common", "k", 2);
        try {
            existing.save();
            return 3;
        } catch (const IniWriteError&) {
        }
        IniFile fresh(folder / "log.txt");
        fresh.writeInteger("Common", "Log Total", 1);
        try {
            fresh.save();
            return 4;
        } catch (const IniWriteError& e) {
            return std::string(e.what()) == "Unable to write to " + (folder / "log.txt").string() ? 0 : 5;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(p), content);
    EXPECT_FALSE(fs::exists(folder / "log.txt"));
    EXPECT_EQ(filesIn(folder), 1u);
}

TEST(IniFileSave, WritableFileSavesForAnOrdinaryUser) {
    // The counterpart of the refusals: the same user, with rights, succeeds.
    TempDir dir;
    auto p = dir.write("app/project.ini", "[Common]\nk=1\n");
    test::giveToNobody(dir.path());
    int code = test::runAsNobody([&] {
        IniFile ini(p);
        ini.writeInteger("Common", "k", 2);
        ini.save();
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(p), "[Common]\nk=2\n");
}

TEST(IniFileSave, UnreadableFileIsNeverOverwritten) {
    TempDir dir;
    const std::string content = "[Common]\nsecret=1\n";
    auto p = dir.write("app/project.ini", content);
    test::giveToNobody(dir.path());
    ::chown(p.c_str(), 0, 0);
    ::chmod(p.c_str(), 0600);  // root's own file: nobody can neither read nor write it
    int code = test::runAsNobody([&] {
        IniFile ini(p);
        if (ini.readString("Common", "secret", "d") != "d") return 3;
        ini.writeString("Common", "other", "x");
        try {
            ini.save();
            return 4;
        } catch (const IniWriteError&) {
            return 0;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(p), content);
}

TEST(IniFileSave, FolderInPlaceOfTheFileIsRefused) {
    TempDir dir;
    fs::create_directory(dir / "project.ini");
    IniFile ini(dir / "project.ini");
    ini.writeString("Common", "k", "v");
    EXPECT_THROW(ini.save(), IniWriteError);
    EXPECT_TRUE(fs::is_directory(dir / "project.ini"));
}

TEST(IniFileSave, MissingFolderIsRefused) {
    TempDir dir;
    IniFile ini(dir / "no/such/folder/project.ini");
    ini.writeString("Common", "k", "v");
    EXPECT_THROW(ini.save(), IniWriteError);
    EXPECT_FALSE(fs::exists(dir / "no"));
}

}  // namespace
}  // namespace zb::platform
