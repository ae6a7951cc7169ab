// The Unicode path block of the extra field, as other tools leave it: it stands for the
// name only while its check sum matches the header's own name.
#include <gtest/gtest.h>

#include "zip/checksum/Crc32.h"
#include "zip/records/UnicodePathExtra.h"
#include "zip/records/ZipBytes.h"

namespace zb::zip {
namespace {

std::string block(std::uint16_t id, std::string_view data) {
    std::string out;
    appendU16(out, id);
    appendU16(out, std::uint16_t(data.size()));
    out += data;
    return out;
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
