// Folder listings with the attribute mapping, special files and links, times, free
// space and temporary files.
#include "platform/FileSystem.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace zb::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const FileEntry* find(const std::vector<FileEntry>& entries, std::string_view name) {
    for (const auto& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

std::vector<std::string> names(const std::vector<FileEntry>& entries) {
    std::vector<std::string> n;
    for (const auto& e : entries) n.push_back(e.name);
    std::sort(n.begin(), n.end());
    return n;
}

class FileSystemFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("a.txt", "hello");
        dir.write("B.TXT", "");
        dir.write(".hidden", "h");
        dir.write("noext", "xyz");
        dir.write("ro.doc", "r");
        ::chmod((dir / "ro.doc").c_str(), 0444);
        fs::create_directory(dir / "sub");
        fs::create_directory(dir / ".config");
        ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
        fs::create_symlink("a.txt", dir / "link-to-file");
        fs::create_symlink("sub", dir / "link-to-folder");
        fs::create_symlink("nowhere", dir / "dangling");
    }
    TempDir dir;
};

TEST_F(FileSystemFolder, ListsEverythingButDotAndDotDot) {
    auto all = listFolder(dir.path());
    EXPECT_EQ(names(all), (std::vector<std::string>{".config", ".hidden", "B.TXT", "a.txt", "dangling", "link-to-file",
                                                    "link-to-folder", "noext", "pipe", "ro.doc", "sub"}));
    EXPECT_EQ(names(listFolder(dir.path(), "*.*")), names(all));
}

TEST_F(FileSystemFolder, AttributeMapping) {
    auto all = listFolder(dir.path());
    const FileEntry* a = find(all, "a.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->kind, EntryKind::File);
    EXPECT_EQ(a->attributes, std::uint32_t(faArchive));
    EXPECT_EQ(a->size, 5u);
    EXPECT_EQ(find(all, "ro.doc")->attributes, std::uint32_t(faArchive | faReadOnly));
    EXPECT_EQ(find(all, ".hidden")->attributes, std::uint32_t(faArchive | faHidden));
    EXPECT_EQ(find(all, "sub")->attributes, std::uint32_t(faDirectory));
    EXPECT_EQ(find(all, "sub")->kind, EntryKind::Directory);
    EXPECT_EQ(find(all, ".config")->attributes, std::uint32_t(faDirectory | faHidden));
    for (const auto& e : all) EXPECT_EQ(e.attributes & (faSysFile | faVolumeId), 0u) << e.name;
}

TEST_F(FileSystemFolder, SpecialFilesAndLinks) {
    auto all = listFolder(dir.path());
    const FileEntry* pipe = find(all, "pipe");
    EXPECT_EQ(pipe->kind, EntryKind::Special);
    EXPECT_EQ(pipe->attributes & (faArchive | faDirectory), 0u);
    EXPECT_EQ(pipe->size, 0u);

    const FileEntry* toFile = find(all, "link-to-file");
    EXPECT_EQ(toFile->kind, EntryKind::File);  // read as the file it names
    EXPECT_TRUE(toFile->isSymlink);
    EXPECT_EQ(toFile->size, 5u);

    const FileEntry* toFolder = find(all, "link-to-folder");
    EXPECT_EQ(toFolder->kind, EntryKind::Directory);
    EXPECT_TRUE(toFolder->isSymlink);
    EXPECT_TRUE(toFolder->attributes & faDirectory);

    const FileEntry* dangling = find(all, "dangling");
    EXPECT_EQ(dangling->kind, EntryKind::Special);
    EXPECT_TRUE(dangling->isSymlink);

    EXPECT_FALSE(find(all, "a.txt")->isSymlink);
    EXPECT_EQ(statEntry("/dev/null")->kind, EntryKind::Special);
}

TEST_F(FileSystemFolder, MasksFollowFindRules) {
    EXPECT_EQ(names(listFolder(dir.path(), "*.txt")), (std::vector<std::string>{"B.TXT", "a.txt"}));
    EXPECT_EQ(names(listFolder(dir.path(), "?.TxT")), (std::vector<std::string>{"B.TXT", "a.txt"}));
    EXPECT_EQ(names(listFolder(dir.path(), "noext.*")), (std::vector<std::string>{"noext"}));
    EXPECT_EQ(names(listFolder(dir.path(), "*o*")), (std::vector<std::string>{".config", "link-to-file",
                                                                              "link-to-folder", "noext", "ro.doc"}));
    EXPECT_TRUE(listFolder(dir.path(), "").empty());
    EXPECT_TRUE(listFolder(dir.path(), "*.zip").empty());
}

TEST(FileSystemMask, Matching) {
    EXPECT_TRUE(matchesFindMask("Docs007.ZIP", "docs*.zip"));
    EXPECT_TRUE(matchesFindMask("anything", "*.*"));
    EXPECT_TRUE(matchesFindMask("a.b.c", "*.c"));
    EXPECT_FALSE(matchesFindMask("a.b.c", "*.b"));
    EXPECT_TRUE(matchesFindMask("abc", "a?c"));
    EXPECT_FALSE(matchesFindMask("ac", "a?c"));
    EXPECT_TRUE(matchesFindMask("Grüße.txt", "GRÜ?E.*"));  // "?" is one character, not one byte
    EXPECT_TRUE(matchesFindMask("x", "*"));
    EXPECT_FALSE(matchesFindMask("x", ""));
    EXPECT_TRUE(matchesFindMask("report", "report.*"));
    EXPECT_FALSE(matchesFindMask("reports", "report.*"));
    EXPECT_TRUE(matchesFindMask("\xff\xfe.bin", "*.bin"));
}

TEST(FileSystemFolderErrors, MissingFolderThrows) {
    TempDir dir;
    EXPECT_THROW(listFolder(dir / "missing"), fs::filesystem_error);
    EXPECT_THROW(listFolder(dir.write("file", "x")), fs::filesystem_error);
}

TEST(FileSystemTimes, ThreeTimesAndDosTime) {
    TempDir dir;
    auto p = dir.write("f.txt", "x");
    const std::int64_t now = std::time(nullptr);
    auto e = statEntry(p);
    ASSERT_TRUE(e.has_value());
    // Birth time where recorded, else the status change: either way the moment of creation.
    EXPECT_NEAR(double(e->creationTime.seconds), double(now), 5.0);
    ASSERT_TRUE(setFileTimes(p, FileTime{1700000000, 123456789}, FileTime{1600000000, 0}));
    e = statEntry(p);
    EXPECT_EQ(e->lastWriteTime.seconds, 1700000000);
    EXPECT_EQ(e->lastWriteTime.nanoseconds, 123456789);
    EXPECT_EQ(e->lastAccessTime.seconds, 1600000000);
    EXPECT_EQ(e->dosTime, fileTimeToDos(e->lastWriteTime));
    ASSERT_TRUE(setFileTimes(p, FileTime{1700000100, 0}));  // access time left alone
    e = statEntry(p);
    EXPECT_EQ(e->lastWriteTime.seconds, 1700000100);
    EXPECT_EQ(e->lastAccessTime.seconds, 1600000000);
    EXPECT_FALSE(setFileTimes(dir / "missing", FileTime{0, 0}));
}

TEST(FileSystemSize, SixtyFourBitSizes) {
    TempDir dir;
    auto p = dir / "big.bin";
    int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const off_t size = off_t(5) << 30;  // sparse: takes no room
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    EXPECT_EQ(statEntry(p)->size, std::uint64_t(size));
}

TEST(FileSystemAttributes, ReadOnlyIsTheOwnerWriteBit) {
    TempDir dir;
    auto p = dir.write("f.txt", "x");
    ::chmod(p.c_str(), 0664);
    EXPECT_EQ(fileAttributes(p), std::uint32_t(faArchive));
    ASSERT_TRUE(setFileAttributes(p, faReadOnly | faArchive));
    struct stat st {};
    ::stat(p.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(fileAttributes(p), std::uint32_t(faArchive | faReadOnly));
    ASSERT_TRUE(setFileAttributes(p, faArchive));
    ::stat(p.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(fileAttributes(dir / "missing"), 0xFFFFFFFFu);
    EXPECT_FALSE(setFileAttributes(dir / "missing", 0));
}

TEST(FileSystemSpace, FreeSpaceOfTheFolder) {
    TempDir dir;
    struct statvfs v {};
    ASSERT_EQ(::statvfs(dir.path().c_str(), &v), 0);
    const double expected = double(v.f_bavail) * double(v.f_frsize);
    EXPECT_NEAR(double(freeSpace(dir.path())), expected, 64.0 * 1024 * 1024);
    EXPECT_NEAR(double(freeSpace(dir / "not/yet/made")), expected, 64.0 * 1024 * 1024);
}

TEST(FileSystemTemp, CreatesUniqueOwnerOnlyFiles) {
    TempDir dir;
    mode_t old = ::umask(0);
    auto a = createTempFile(dir.path(), "zb");
    auto b = createTempFile(dir.path(), "zb");
    ::umask(old);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), dir.path());
    EXPECT_EQ(a.filename().string().rfind("zb", 0), 0u);
    EXPECT_EQ(a.extension(), ".tmp");
    EXPECT_EQ(fs::file_size(a), 0u);
    struct stat st {};
    ::stat(a.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_THROW(createTempFile(dir / "missing", "zb"), fs::filesystem_error);
    EXPECT_TRUE(fs::is_directory(tempFolder()));
}

}  // namespace
}  // namespace zb::platform
