// Every compressed member of the legacy corpus (archives written by old and other
// tools) decodes to the size, CRC-32 and SHA-256 its MANIFEST gives, straight through
// the decoder of its method.
#include <gtest/gtest.h>

#include <map>

#include "zip/DecoderTestSupport.h"
#include "zip/Inflate.h"

namespace zb::zip {
namespace {

test::DecoderFn decoderFor(unsigned method) {
    switch (method) {
        case 8: return inflate;
        default: return nullptr;
    }
}

struct CorpusMember {
    test::ManifestRow row;
    test::ArchiveMember member;
};

std::vector<CorpusMember> corpusMembers() {
    std::map<std::string, std::vector<test::ArchiveMember>> archives;
    std::vector<CorpusMember> out;
    for (const auto& row : test::readLegacyManifest()) {
        auto it = archives.find(row.archive);
        if (it == archives.end())
            it = archives.emplace(row.archive, test::readArchiveMembers(test::testData("legacy/" + row.archive))).first;
        bool found = false;
        for (const auto& m : it->second) {
            if (m.name == row.member) {
                out.push_back({row, m});
                found = true;
            }
        }
        if (!found) ADD_FAILURE() << row.archive << ": no member " << row.member;
    }
    return out;
}

TEST(DecoderLegacyCorpus, ManifestAndArchivesAgree) {
    const auto members = corpusMembers();
    EXPECT_EQ(members.size(), 82u);
    for (const auto& c : members) {
        EXPECT_EQ(c.member.method, c.row.method) << c.row.archive << " " << c.row.member;
        EXPECT_EQ(c.member.flags, c.row.flags) << c.row.archive << " " << c.row.member;
        EXPECT_EQ(c.member.crc, c.row.crc) << c.row.archive << " " << c.row.member;
    }
}

TEST(DecoderLegacyCorpus, UnencryptedMembersDecodeToTheirManifest) {
    unsigned decoded = 0;
    for (const auto& c : corpusMembers()) {
        if (c.row.password != "-") continue;
        const test::DecoderFn fn = decoderFor(c.row.method);
        if (!fn) continue;
        const std::string what = c.row.archive + " " + c.row.member;
        DecodeParams p;
        p.method = c.member.method;
        p.flags = c.member.flags;
        p.compressedSize = c.member.compressedSize;
        p.uncompressedSize = c.member.uncompressedSize;
        for (std::size_t piece : {SIZE_MAX, std::size_t(1)}) {
            const auto r = test::runDecoder(fn, c.member.data, p, piece);
            EXPECT_TRUE(r.ok) << what;
            EXPECT_EQ(r.out.size(), c.row.size) << what;
            EXPECT_EQ(test::crc32Of(r.out), c.row.crc) << what;
            EXPECT_EQ(test::sha256Hex(r.out), c.row.sha256) << what;
        }
        ++decoded;
    }
    EXPECT_GE(decoded, 1u);
}

TEST(DecoderLegacyCorpus, Sha256MatchesKnownDigests) {
    EXPECT_EQ(test::sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(test::sha256Hex(test::toBytes("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(test::sha256Hex(test::toBytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
}  // namespace zb::zip
