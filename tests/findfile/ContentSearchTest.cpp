// The contents test: reading in 4096-byte blocks, a text across two blocks, case, and
// files that must not or cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "findfile/ContentSearch.h"
#include "support/TempDir.h"

namespace zb::findfile {
namespace {

using test::TempDir;

std::string filler(std::size_t size) {
    std::string s(size, '-');
    for (std::size_t i = 0; i < size; ++i) s[i] = char('a' + i % 7);  // never "needle"
    return s;
}

TEST(ContentSearch, FindsATextAcrossTheBlockBoundaryAtEveryOffset) {
    TempDir dir;
    const std::string text = "needle";
    const ContentSearch search(text, false);
    for (std::size_t start = kContentBlockSize - text.size(); start <= kContentBlockSize; ++start) {
        std::string data = filler(3 * kContentBlockSize);
        data.replace(start, text.size(), text);
        const auto path = dir.write("f" + std::to_string(start), data);
        EXPECT_EQ(search.search(path.string()), ContentResult::Contains) << "text at " << start;
        EXPECT_TRUE(search.containedIn(data)) << "text at " << start;
    }
}

TEST(ContentSearch, FindsATextAcrossALaterBoundaryAndAtTheVeryEnd) {
    TempDir dir;
    const ContentSearch search("needle", false);
    std::string data = filler(5 * kContentBlockSize + 100);
    data.replace(4 * kContentBlockSize - 2, 6, "needle");
    EXPECT_EQ(search.search(dir.write("a", data).string()), ContentResult::Contains);

    std::string tail = filler(2 * kContentBlockSize) + "needle";
    EXPECT_EQ(search.search(dir.write("b", tail).string()), ContentResult::Contains);
}

TEST(ContentSearch, ATextLongerThanABlockIsStillFound) {
    TempDir dir;
    std::string text(kContentBlockSize * 2 + 17, 'x');
    text.front() = '<';
    text.back() = '>';
    const ContentSearch search(text, false);
    std::string data = filler(kContentBlockSize - 3) + text + filler(50);
    EXPECT_EQ(search.search(dir.write("long", data).string()), ContentResult::Contains);
    text[5] = 'y';
    EXPECT_EQ(ContentSearch(text, false).search(dir.write("long2", data).string()), ContentResult::Lacks);
}

TEST(ContentSearch, AFileWithoutTheTextLacksIt) {
    TempDir dir;
    const ContentSearch search("needle", false);
    EXPECT_EQ(search.search(dir.write("none", filler(10000)).string()), ContentResult::Lacks);
    EXPECT_EQ(search.search(dir.write("empty", "").string()), ContentResult::Lacks);
    // Only part of the text at the end of the file is no match.
    EXPECT_EQ(search.search(dir.write("part", filler(4090) + "needl").string()), ContentResult::Lacks);
}

TEST(ContentSearch, CaseIsIgnoredOnlyWhenAsked) {
    TempDir dir;
    const auto path = dir.write("mixed", filler(4093) + "NeEdLe" + filler(10)).string();
    EXPECT_EQ(ContentSearch("needle", true).search(path), ContentResult::Contains);
    EXPECT_EQ(ContentSearch("NEEDLE", true).search(path), ContentResult::Contains);
    EXPECT_EQ(ContentSearch("needle", false).search(path), ContentResult::Lacks);
    EXPECT_EQ(ContentSearch("NeEdLe", false).search(path), ContentResult::Contains);
}

TEST(ContentSearch, BytesBeyondAsciiAreComparedAsTheyAre) {
    TempDir dir;
    const auto path = dir.write("utf8", "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln").string();
    EXPECT_EQ(ContentSearch("GR\xC3\xBC\xC3\x9F" "E", true).search(path), ContentResult::Contains);
    EXPECT_EQ(ContentSearch("k\xC3\xB6ln", true).search(path), ContentResult::Contains);
    EXPECT_EQ(ContentSearch("K\xC3\x96LN", true).search(path), ContentResult::Lacks);
}

TEST(ContentSearch, ATextWithZeroBytesIsFound) {
    TempDir dir;
    const std::string text("a\0b", 3);
    std::string data = filler(4095) + text;
    EXPECT_EQ(ContentSearch(text, false).search(dir.write("bin", data).string()), ContentResult::Contains);
}

TEST(ContentSearch, AFifoIsNeverReadAndDoesNotBlock) {
    TempDir dir;
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(ContentSearch("x", false).search(fifo.string()), ContentResult::Unreadable);
}

TEST(ContentSearch, AFolderOrAMissingFileIsUnreadable) {
    TempDir dir;
    EXPECT_EQ(ContentSearch("x", false).search(dir.path().string()), ContentResult::Unreadable);
    EXPECT_EQ(ContentSearch("x", false).search((dir / "missing").string()), ContentResult::Unreadable);
}

TEST(ContentSearch, AStopRequestEndsTheTest) {
    TempDir dir;
    const auto path = dir.write("big", filler(20 * kContentBlockSize)).string();
    std::atomic<bool> stop{true};
    EXPECT_EQ(ContentSearch("needle", false).search(path, &stop), ContentResult::Stopped);
    stop = false;
    EXPECT_EQ(ContentSearch("needle", false).search(path, &stop), ContentResult::Lacks);
}

}  // namespace
}  // namespace zb::findfile
