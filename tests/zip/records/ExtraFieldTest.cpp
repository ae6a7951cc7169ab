// The extra field as other tools and damage leave it: blocks found, removed and kept by
// id, a block cut short by the field's end, and the Unicode path block that stands for
// the name only while its check sum matches the header's own name.
#include <gtest/gtest.h>

#include "zip/checksum/Crc32.h"
#include "zip/records/ExtraField.h"
#include "zip/records/UnicodePathExtra.h"
#include "zip/records/ZipBytes.h"

namespace zb::zip {
namespace {

std::string block(std::uint16_t id, std::string_view data, std::uint16_t claimed) {
    std::string out;
    appendU16(out, id);
    appendU16(out, claimed);
    out += data;
    return out;
}
std::string block(std::uint16_t id, std::string_view data) { return block(id, data, std::uint16_t(data.size())); }

TEST(ExtraField, BlocksAreFoundAndRemovedByIdAndDamageIsFoundNowhere) {
    const std::string a = block(0x000A, "ntfs"), b = block(0x5455, "\x01time"), cut = block(0x0001, "12", 8);
    struct Case {
        const char* what;
        std::string field;
        std::uint16_t id;
        std::string found;  // findExtraBlock
        bool has;           // hasExtraBlock
        std::string without;
    };
    const Case cases[] = {
        {"first of two", a + b, 0x000A, "ntfs", true, b},
        {"second of two", a + b, 0x5455, "\x01time", true, a},
        {"absent", a + b, 0x7075, "", false, a + b},
        {"cut short by the end", a + cut, 0x0001, "", true, a},
        {"others kept beside a cut block", a + cut, 0x000A, "ntfs", true, cut},
        {"tail too short for a header", a + "\x01", 0x000A, "ntfs", true, ""},
        {"empty field", "", 0x0001, "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(std::string(findExtraBlock(c.field, c.id)), c.found);
        EXPECT_EQ(hasExtraBlock(c.field, c.id), c.has);
        EXPECT_EQ(extraWithout(c.field, c.id), c.without);
    }
}

TEST(ExtraField, UnicodePathStandsForTheNameOnlyWhileItsCheckSumMatches) {
    const std::string raw = "caf\x82.txt";  // the name as a code-page tool stored it
    auto unicode = [&](std::uint8_t version, std::string_view crcOf, std::string_view utf8) {
        std::string data(1, char(version));
        appendU32(data, crc32(crcOf.data(), crcOf.size()));
        data += utf8;
        return block(0x7075, data);
    };
    struct Case {
        const char* what;
        std::string extra;
        bool backslash;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {"matching", unicode(1, raw, "caf\xC3\xA9.txt"), false, "caf\xC3\xA9.txt"},
        {"name changed since", unicode(1, "other.txt", "caf\xC3\xA9.txt"), false, std::nullopt},
        {"unknown version", unicode(2, raw, "caf\xC3\xA9.txt"), false, std::nullopt},
        {"backslash separates", unicode(1, raw, "dir\\caf\xC3\xA9.txt"), true, "dir/caf\xC3\xA9.txt"},
        {"backslash kept", unicode(1, raw, "dir\\caf\xC3\xA9.txt"), false, "dir\\caf\xC3\xA9.txt"},
        {"block too short", block(0x7075, "\x01\x02"), false, std::nullopt},
        {"no block", block(0x000A, "ntfs"), false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decodeUnicodePath(c.extra, raw, c.backslash), c.name);
    }
}

}  // namespace
}  // namespace zb::zip
