// Reading the directory: accessors and their errors, comments, when the list is read
// again, archives without an end record, the rebuild from local headers, data in
// front of the archive, sorted views, and member counts beyond 16 bits.
#include <gtest/gtest.h>

#include <thread>

#include "zip/ReaderTestSupport.h"
#include "zip/io/TMemoryStream.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {
namespace {

using namespace zb::test;

const std::vector<std::pair<std::string, std::string>> kMembers = {
    {"b.txt", "bravo bravo bravo\n"},
    {"dir/a.txt", "alpha\n"},
    {"dir/sub/", ""},
    {"c.bin", std::string(3000, 'c')},
};

TEST(Reader, AccessorsAnswerFromTheDirectory) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader r;
    EXPECT_EQ(r.ThisVersion(), 222);
    EXPECT_EQ(r.MemberCount(), 0);
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    ASSERT_EQ(r.MemberCount(), 4);
    EXPECT_EQ(r.MemberFileName(1), "a.txt");
    EXPECT_EQ(r.MemberPath(1), "dir/");
    EXPECT_EQ(r.MemberFileName(2), "");
    EXPECT_EQ(r.MemberPath(2), "dir/sub/");
    EXPECT_LT(r.MemberPackedSize(3), 3000u);
    auto parts = platform::decodeDateTime(r.MemberDateTime(0));
    EXPECT_EQ(parts.year, 2020);
    EXPECT_EQ(parts.month, 6);
    EXPECT_EQ(parts.minute, 30);
}

TEST(Reader, IndexEqualToTheCountIsOutOfRange) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    try {
        r.MemberFileName(4);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "Index 4 is out of range");
    }
    EXPECT_THROW(r.MemberComment(-1), EListError);
}

TEST(Reader, CommentsAreReadOnFirstUseAndChangesAreNoted) {
    TempDir dir;
    const char* script = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.comment = b'archive note'
    i = zipfile.ZipInfo('x.txt')
    i.comment = b'member note'
    z.writestr(i, 'x')
    z.writestr('y.txt', 'y')
)PY";
    ASSERT_EQ(runPython(script, shellQuote(dir / "c.zip")).status, 0);
    TZipReader r;
    r.SetZipName((dir / "c.zip").string());
    r.ReadDirectory();
    EXPECT_EQ(r.ArchiveComment(), "archive note");
    EXPECT_EQ(r.MemberComment(0), "member note");
    EXPECT_EQ(r.MemberComment(1), "");
    EXPECT_FALSE(r.DirectoryChanged());
    r.SetMemberComment(0, "member note");
    r.SetArchiveComment("archive note");
    EXPECT_FALSE(r.DirectoryChanged());
    r.SetMemberComment(1, "new");
    EXPECT_TRUE(r.DirectoryChanged());
    EXPECT_EQ(r.MemberComment(1), "new");
    r.SetArchiveComment("other");
    EXPECT_EQ(r.ArchiveComment(), "other");
    EXPECT_EQ(r.EndCentral().modified, 1);
}

TEST(Reader, LongestArchiveCommentIsRead) {
    TempDir dir;
    const char* script = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('m.txt', 'm')
    z.comment = b'PK' + b'z' * 65533
)PY";
    ASSERT_EQ(runPython(script, shellQuote(dir / "c.zip")).status, 0);
    TZipReader r;
    r.SetZipName((dir / "c.zip").string());
    r.ReadDirectory();
    EXPECT_EQ(r.MemberCount(), 1);
    EXPECT_EQ(r.ArchiveComment().size(), 65535u);
}

TEST(Reader, UnchangedArchiveIsNotReadAgainAChangedOneIs) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    const TZipHeaderInfo* first = &r.Member(0);
    r.ReadDirectory();
    EXPECT_EQ(&r.Member(0), first);
    r.SetZipName((dir / "a.zip").string());  // the same name: nothing happens
    EXPECT_TRUE(r.DirectoryLoaded());
    EXPECT_EQ(&r.Member(0), first);

    makeZip(dir / "a.zip", {{"only.txt", "1"}});
    r.ReadDirectory();
    EXPECT_EQ(r.MemberCount(), 1);
    EXPECT_EQ(r.MemberFileName(0), "only.txt");
}

TEST(Reader, NamesDifferingInCaseAreTwoArchives) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    makeZip(dir / "A.zip", {{"one", "1"}});
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    r.SetZipName((dir / "A.zip").string());
    EXPECT_FALSE(r.DirectoryLoaded());
    r.ReadDirectory();
    EXPECT_EQ(r.MemberCount(), 1);
}

TEST(Reader, ZipNameFromTheOpenDialogOrCanceled) {
    TZipReader r;
    try {
        r.SetZipName("/tmp/?");
        FAIL();
    } catch (const EUserCanceled& e) {
        EXPECT_STREQ(e.what(), "User canceled setting zip file name.");
    }
}

TEST(Reader, EmptyFileIsAnArchiveWithoutMembers) {
    TempDir dir;
    dir.write("empty.zip", "");
    ExtractAll x(dir / "empty.zip", dir / "out");
    x.reader.ReadDirectory();
    EXPECT_TRUE(x.reader.DirectoryLoaded());
    EXPECT_EQ(x.reader.MemberCount(), 0);
    EXPECT_EQ(x.reader.UnZip(), 0);
}

TEST(Reader, MissingEndRecordByMode) {
    TempDir dir;
    dir.write("ten.zip", "0123456789");
    TZipReader r;
    r.SetZipName((dir / "ten.zip").string());
    // Default (assume a split set) without a handler: an empty list, quietly...
    EXPECT_NO_THROW(r.ReadDirectory());
    EXPECT_EQ(r.MemberCount(), 0);
    // ...but extraction reports it.
    EXPECT_THROW(r.UnZip(), EIncompleteZip);
    r.IncompleteZipMode = izAssumeNotAZip;
    try {
        r.ReadDirectory();
        FAIL();
    } catch (const ENotAZipFile& e) {
        EXPECT_STREQ(e.what(), "Not a valid zip file!");
    }
    r.IncompleteZipMode = izAssumeBad;
    EXPECT_THROW(r.ReadDirectory(), EBadZipFile);
    r.IncompleteZipMode = izAssumeMulti;
    int asked = 0;
    r.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode& m) {
        ++asked;
        m = izAssumeNotAZip;
    };
    EXPECT_THROW(r.ReadDirectory(), ENotAZipFile);
    EXPECT_EQ(asked, 1);
}

TEST(Reader, IncompleteHandlerThatChangesNothingDoesNotLoopForever) {
    TempDir dir;
    dir.write("ten.zip", "0123456789");
    TZipReader r;
    r.SetZipName((dir / "ten.zip").string());
    int asked = 0;
    r.OnInCompleteZip = [&](TZipReader&, TIncompleteZipMode&) { ++asked; };
    r.ReadDirectory();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.MemberCount(), 0);
}

std::string withoutEndRecord(const std::string& bytes) { return bytes.substr(0, bytes.rfind("PK\x05\x06")); }

TEST(Reader, AssumeBadRebuildsTheListFromLocalHeaders) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    std::string bytes = readFile(dir / "a.zip");
    // No end record: the list comes from the local headers, then from the central
    // records found after them.
    std::ofstream(dir / "noend.zip", std::ios::binary) << withoutEndRecord(bytes);
    ExtractAll x(dir / "noend.zip", dir / "out");
    x.reader.IncompleteZipMode = izAssumeBad;
    x.reader.ReadDirectory();
    ASSERT_EQ(x.reader.MemberCount(), 4);
    EXPECT_EQ(x.reader.Member(1).storedName(), "dir/a.txt");
    EXPECT_EQ(x.reader.UnZip(), 4);
    EXPECT_EQ(readFile(dir / "out/dir/a.txt"), "alpha\n");

    // A damaged central directory (its first signature broken) is rebuilt too.
    std::string broken = bytes;
    broken[broken.find("PK\x01\x02") + 2] = 'X';
    std::ofstream(dir / "broken.zip", std::ios::binary) << broken;
    ExtractAll y(dir / "broken.zip", dir / "out2");
    y.reader.ReadDirectory();
    EXPECT_EQ(y.reader.MemberCount(), 4);
    EXPECT_EQ(y.reader.UnZip(), 4);
    EXPECT_EQ(treeContents(dir / "out2"), treeContents(dir / "out"));
}

TEST(Reader, RebuildFindsTheEndOfStreamedMembers) {
    TempDir dir;
    makeSourceTree(dir / "src");
    ASSERT_EQ(
        runCommand("cd " + shellQuote(dir / "src") + " && zip -q -r - . | cat > " + shellQuote(dir / "s.zip")).status,
        0);
    // Only the local headers and data remain: every size comes from a data descriptor.
    std::string bytes = readFile(dir / "s.zip");
    std::ofstream(dir / "cut.zip", std::ios::binary) << bytes.substr(0, bytes.find("PK\x01\x02"));
    ExtractAll x(dir / "cut.zip", dir / "out");
    x.reader.IncompleteZipMode = izAssumeBad;
    x.reader.UnZip();
    EXPECT_EQ(x.badCrc, 0);
    EXPECT_EQ(treeContents(dir / "out"), treeContents(dir / "src"));
}

TEST(Reader, SelfExtractingStubInFrontIsRecognised) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    std::ofstream(dir / "sfx.exe", std::ios::binary) << std::string(20000, '\x90') << readFile(dir / "a.zip");
    ExtractAll x(dir / "sfx.exe", dir / "out");
    EXPECT_EQ(x.reader.UnZip(), 4);
    EXPECT_EQ(readFile(dir / "out/b.txt"), "bravo bravo bravo\n");
    EXPECT_EQ(x.badCrc, 0);
}

TEST(Reader, SortedViewsAddressTheSameMembers) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader r;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    r.SetSortMode(ByName);
    EXPECT_EQ(r.Member(0).storedName(), "b.txt");
    EXPECT_EQ(r.Member(1).storedName(), "c.bin");
    EXPECT_EQ(r.Member(2).storedName(), "dir/a.txt");
    r.SetSortMode(ByUnCompressedSize);
    EXPECT_EQ(r.Member(0).storedName(), "c.bin");
    r.SetSortMode(ByNone);
    EXPECT_EQ(r.Member(0).storedName(), "b.txt");
    EXPECT_EQ(r.Member(1).storedName(), "dir/a.txt");
}

TEST(Reader, AssignCopiesSettingsButNotTheArchive) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader a, b;
    a.SetZipName((dir / "a.zip").string());
    a.SetDestDir("/somewhere/");
    a.SetRootDir("root");
    a.RecreateDirs = true;
    a.OverwriteMode = ifOlder;
    a.FilesList = {"*.txt"};
    int called = 0;
    a.OnEndUnZip = [&](TZipReader&, int, const std::string&) { ++called; };
    a.ReadDirectory();
    b.Assign(a);
    EXPECT_EQ(b.ZipName(), a.ZipName());
    EXPECT_EQ(b.DestDir(), "/somewhere");
    EXPECT_EQ(b.RootDir(), "root/");
    EXPECT_TRUE(b.RecreateDirs);
    EXPECT_EQ(b.OverwriteMode, ifOlder);
    EXPECT_EQ(b.FilesList, a.FilesList);
    EXPECT_TRUE(bool(b.OnEndUnZip));
    EXPECT_FALSE(b.DirectoryLoaded());
}

TEST(Reader, KeepZipOpenHoldsTheArchiveBetweenOperations) {
    TempDir dir;
    makeZip(dir / "a.zip", kMembers);
    TZipReader r;
    r.KeepZipOpen = true;
    r.SetZipName((dir / "a.zip").string());
    r.ReadDirectory();
    fs::rename(dir / "a.zip", dir / "moved.zip");
    // The open archive still answers.
    EXPECT_EQ(r.MemberComment(0), "");
    std::string got;
    r.DoAll = true;
    r.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* d, std::size_t n, const std::string&, int, bool&) {
        got.append(reinterpret_cast<const char*>(d), n);
    };
    EXPECT_EQ(r.UnZipToBuffer(), 3);
    EXPECT_NE(got.find("alpha"), std::string::npos);
}

TEST(Reader, MoreThan65535MembersWithoutZip64RecordsAreAllRead) {
    // A writer that lets the 16-bit count wrap: 66000 members, count field 464.
    TMemoryStream m;
    std::vector<TZipHeaderInfo> headers(66000);
    for (int i = 0; i < 66000; ++i) {
        TZipHeaderInfo& h = headers[std::size_t(i)];
        h.compressionMethod = 0;
        h.crc32 = 0;
        h.internalAttributes = 0;
        h.setFileName("f" + std::to_string(i));
        h.writeLocal(m);
    }
    const std::int64_t cd = m.position();
    for (auto& h : headers) h.writeCentral(m);
    std::uint8_t end[22] = {};
    putU32(end, kEndCentralSignature);
    putU16(end + 8, std::uint16_t(66000 & 0xFFFF));
    putU16(end + 10, std::uint16_t(66000 & 0xFFFF));
    putU32(end + 12, std::uint32_t(m.position() - cd));
    putU32(end + 16, std::uint32_t(cd));
    m.writeBuffer(end, 22);
    TempDir dir;
    std::ofstream(dir / "wrap.zip", std::ios::binary) << m.str();
    TZipReader r;
    r.SetZipName((dir / "wrap.zip").string());
    r.ReadDirectory();
    EXPECT_EQ(r.MemberCount(), 66000);
    EXPECT_EQ(r.MemberFileName(65999), "f65999");
}

}  // namespace
}  // namespace zb::zip
