// The archives of the legacy corpus (made by old and other tools, some encrypted)
// through the whole reader: every member whose method the engine decodes must give
// the content the manifest names; a member of a method it cannot decode yet must be
// reported as unsupported and produce nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/CodePage437.h"
#include "zip/DecoderTestSupport.h"
#include "zip/ReaderTestSupport.h"
#include "zip/codec/MemberDecoder.h"

namespace zb::zip {
namespace {

using namespace zb::test;

TEST(LegacyCorpusReader, EveryMemberDecodesAsTheManifestSaysOrIsReportedUnsupported) {
    auto rows = readLegacyManifest();
    ASSERT_FALSE(rows.empty());
    std::set<std::string> archives;
    for (auto& r : rows) archives.insert(r.archive);
    int checked = 0;
    for (const std::string& name : archives) {
        SCOPED_TRACE(name);
        std::string password;
        for (auto& r : rows)
            if (r.archive == name && r.password != "-") password = r.password;
        TempDir dir;
        ExtractAll x(testData("legacy/" + name), dir / "out", password);
        std::map<std::string, Bytes> got;
        x.reader.OnGetNextBuffer = [&](TZipReader&, const std::uint8_t* d, std::size_t n, const std::string& m, int,
                                       bool&) { got[m].insert(got[m].end(), d, d + n); };
        x.reader.UnZipToBuffer();
        EXPECT_EQ(x.badCrc, 0);
        std::set<std::string> unsupported;
        for (auto& [reason, member] : x.skipped) {
            EXPECT_EQ(reason, skipUnsupported) << member;
            unsupported.insert(member);
        }
        for (auto& r : rows) {
            if (r.archive != name) continue;
            SCOPED_TRACE(r.member);
            if (methodSupported(std::uint16_t(r.method))) {
                ASSERT_TRUE(std::count(x.ended.begin(), x.ended.end(), r.member)) << "not decoded";
                EXPECT_EQ(got[r.member].size(), r.size);
                EXPECT_EQ(crc32Of(got[r.member]), r.crc);
                EXPECT_EQ(sha256Hex(got[r.member]), r.sha256);
                ++checked;
            } else {
                EXPECT_TRUE(unsupported.count(r.member));
                EXPECT_FALSE(got.count(r.member));
            }
        }
    }
    EXPECT_GE(checked, 10);
}

TEST(LegacyCorpusReader, StoredAndDeflatedMembersExtractToFiles) {
    auto rows = readLegacyManifest();
    TempDir dir;
    ExtractAll x(testData("legacy/infozip_mixed.zip"), dir / "out");
    x.reader.UnZip();
    for (auto& r : rows) {
        if (r.archive != "infozip_mixed.zip") continue;
        const fs::path p = dir / "out" / r.member;
        if (r.method == 0 || r.method == 8) {
            ASSERT_TRUE(fs::exists(p)) << r.member;
            EXPECT_EQ(sha256Hex(readBytes(p)), r.sha256);
        } else if (!methodSupported(std::uint16_t(r.method))) {
            EXPECT_FALSE(fs::exists(p)) << r.member;
        }
    }
}

TEST(LegacyCorpusReader, Cp437NamesFromMsDosToolsReadAsUtf8) {
    // Names of the old tools are code page 437; whatever the archive, none may come
    // out as bytes that are not UTF-8.
    for (auto& entry : fs::directory_iterator(testData("legacy"))) {
        if (entry.path().extension() != ".zip") continue;
        TZipReader r;
        r.SetZipName(entry.path().string());
        r.ReadDirectory();
        for (int i = 0; i < r.MemberCount(); ++i) {
            const std::string name = r.Member(i).storedName();
            EXPECT_TRUE(platform::isValidUtf8(name)) << entry.path() << ": " << name;
        }
    }
}

}  // namespace
}  // namespace zb::zip
