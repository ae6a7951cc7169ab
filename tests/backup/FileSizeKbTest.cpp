// The kilobyte size of the outcome messages: whole kilobytes, the fraction dropped.
#include <gtest/gtest.h>

#include <filesystem>

#include "backup/FileSizeKb.h"
#include "support/TempDir.h"

namespace zb::backup {
namespace {

namespace fs = std::filesystem;

TEST(FileSizeKbTest, WholeKilobytesWithTheFractionDropped) {
    zb::test::TempDir dir;
    EXPECT_EQ(FileSizeKb(dir.write("a", std::string(1023, 'x')).string()), 0u);
    EXPECT_EQ(FileSizeKb(dir.write("b", std::string(1024, 'x')).string()), 1u);
    EXPECT_EQ(FileSizeKb(dir.write("c", std::string(2047, 'x')).string()), 1u);
    EXPECT_EQ(FileSizeKb(dir.write("d", "").string()), 0u);
    EXPECT_THROW(FileSizeKb((dir / "missing").string()), fs::filesystem_error);
}

}  // namespace
}  // namespace zb::backup
