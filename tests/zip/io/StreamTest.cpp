// The engine's streams: memory and file streams, the buffer in front of them (reads,
// writes, direction changes, seeks inside and outside the buffer, put-back), and the
// owning file stream with flush-on-close.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "zip/ZipErrors.h"
#include "zip/io/TFileStream.h"
#include "zip/io/TLFNFileStream.h"
#include "zip/io/TMemoryStream.h"
#include "zip/io/TS_BufferStream.h"

namespace zb::zip {
namespace {

std::string bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = char('a' + i % 23);
    return s;
}

TEST(MemoryStream, ReadWriteSeek) {
    TMemoryStream m;
    m.writeBuffer("hello world", 11);
    EXPECT_EQ(m.size(), 11);
    m.seek(-5, soFromEnd);
    char buf[5];
    m.readBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(m.read(buf, 5), 0u);
    EXPECT_THROW(m.readBuffer(buf, 1), EStreamError);
}

TEST(MemoryStream, InvalidSeekOriginNamesTheValue) {
    TMemoryStream m;
    try {
        m.seek(0, 7);
        FAIL();
    } catch (const EZipError& e) {
        EXPECT_STREQ(e.what(), "Invalid seek origin (7)");
    }
}

TEST(MemoryStream, LimitStandsInForAFullDisk) {
    TMemoryStream m;
    m.setLimit(4);
    EXPECT_EQ(m.write("abcdef", 6), 4u);
    EXPECT_THROW(m.writeBuffer("x", 1), EStreamError);
}

TEST(BufferStream, SmallReadsSeeTheWholeData) {
    std::string data = bytes(30000);
    TMemoryStream m(data);
    TS_BufferStream b(&m, 8192);
    std::string got;
    char c[7];
    std::size_t n;
    while ((n = b.read(c, sizeof c)) > 0) got.append(c, n);
    EXPECT_EQ(got, data);
}

TEST(BufferStream, LargeReadGoesStraightThrough) {
    std::string data = bytes(50000);
    TMemoryStream m(data);
    TS_BufferStream b(&m, 8192);
    char first[10];
    b.readBuffer(first, 10);
    std::string rest(49990, '\0');
    b.readBuffer(rest.data(), rest.size());
    EXPECT_EQ(std::string(first, 10) + rest, data);
    EXPECT_EQ(b.position(), 50000);
}

TEST(BufferStream, SeekInsideAndOutsideTheReadAhead) {
    std::string data = bytes(20000);
    TMemoryStream m(data);
    TS_BufferStream b(&m, 8192);
    char c[4];
    b.readBuffer(c, 4);
    b.seek(100, soFromBeginning);
    b.readBuffer(c, 4);
    EXPECT_EQ(std::string(c, 4), data.substr(100, 4));
    b.seek(15000, soFromBeginning);
    b.readBuffer(c, 4);
    EXPECT_EQ(std::string(c, 4), data.substr(15000, 4));
    b.seek(-10, soFromCurrent);
    EXPECT_EQ(b.position(), 14994);
    b.readBuffer(c, 4);
    EXPECT_EQ(std::string(c, 4), data.substr(14994, 4));
    EXPECT_EQ(b.seek(-3, soFromEnd), 19997);
    EXPECT_EQ(b.size(), 20000);
}

TEST(BufferStream, WritesReachTheStreamOnFlushAndInOrder) {
    TMemoryStream m;
    {
        TS_BufferStream b(&m, 16);
        b.writeBuffer("0123456789", 10);
        EXPECT_EQ(m.size(), 0);
        b.writeBuffer("abcdefghij", 10);      // overflows the 16-byte buffer
        b.writeBuffer(bytes(40).data(), 40);  // larger than the buffer
        b.flush();
        EXPECT_EQ(m.str(), "0123456789abcdefghij" + bytes(40));
        b.seek(2, soFromBeginning);
        b.writeBuffer("XY", 2);
        EXPECT_EQ(b.position(), 4);
    }  // destruction writes out the rest
    EXPECT_EQ(m.str().substr(0, 6), "01XY45");
}

TEST(BufferStream, ReadThenWriteLandsAtTheLogicalPosition) {
    TMemoryStream m(bytes(100));
    TS_BufferStream b(&m, 32);
    char c[10];
    b.readBuffer(c, 10);
    b.writeBuffer("!!", 2);
    b.flush();
    EXPECT_EQ(m.str().substr(10, 2), "!!");
    b.readBuffer(c, 3);
    EXPECT_EQ(std::string(c, 3), bytes(100).substr(12, 3));
}

TEST(BufferStream, PutBackGivesTheLastByteAgainAndOverflowsOnAnEmptyBuffer) {
    TMemoryStream m(std::string("xyz"));
    TS_BufferStream b(&m, 16);
    EXPECT_THROW(b.putBack(), EStreamError);
    char c;
    b.readBuffer(&c, 1);
    b.putBack();
    b.readBuffer(&c, 1);
    EXPECT_EQ(c, 'x');
    try {
        TS_BufferStream fresh(&m, 16);
        fresh.putBack();
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Putback overflow");
    }
}

TEST(BufferStream, FailedFlushRaisesAStreamError) {
    TMemoryStream m;
    m.setLimit(5);
    TS_BufferStream b(&m, 64);
    b.writeBuffer("0123456789", 10);
    EXPECT_THROW(b.flush(), EStreamError);
}

TEST(FileStream, MissingFileAndDirectoryAreRefusedWithTheirKind) {
    test::TempDir dir;
    EXPECT_THROW(TFileStream(dir / "missing", TFileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.path(), TFileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir / "no/such/folder/x", TFileMode::Create), EFCreateError);
}

TEST(FileStream, FifoIsRefusedInsteadOfBlocking) {
    test::TempDir dir;
    auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(TFileStream(fifo, TFileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(fifo, TFileMode::Create), EFCreateError);
}

TEST(FileStream, CreateTruncatesAnExistingFile) {
    test::TempDir dir;
    auto p = dir.write("f", "old content");
    {
        TFileStream f(p, TFileMode::Create);
        f.writeBuffer("new", 3);
    }
    EXPECT_EQ(test::readFile(p), "new");
}

TEST(LFNFileStream, BufferedWritesReachTheFileOnClose) {
    test::TempDir dir;
    auto p = dir / "out.bin";
    std::string data = bytes(100000);
    {
        TLFNFileStream f(p, TFileMode::Create, kZipBufferSize, true);
        for (std::size_t i = 0; i < data.size(); i += 1000) f.writeBuffer(data.data() + i, 1000);
        f.close();
        EXPECT_EQ(test::readFile(p), data);
    }
    TLFNFileStream r(p, TFileMode::OpenRead);
    EXPECT_EQ(r.size(), 100000);
    std::string back(data.size(), '\0');
    r.readBuffer(back.data(), back.size());
    EXPECT_EQ(back, data);
}

}  // namespace
}  // namespace zb::zip
