// Every compressed member of the legacy corpus (archives written by old and other
// tools) decodes to the size, CRC-32 and SHA-256 its MANIFEST gives, straight through
// the decoder of its method.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "zip/DecoderTestSupport.h"
#include "zip/codec/inflate/Inflate.h"
#include "zip/codec/legacy/Explode.h"
#include "zip/codec/legacy/Unreduce.h"
#include "zip/codec/legacy/Unshrink.h"
#include "zip/crypto/ZipCrypto.h"

namespace zb::zip {
namespace {

test::DecoderFn decoderFor(unsigned method) {
    switch (method) {
        case 1: return unshrink;
        case 2:
        case 3:
        case 4:
        case 5: return unreduce;
        case 6: return explode;
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

// Hands out the member's data decrypted piece by piece, the key state carried from the
// header check across every piece, as the extractor's input side does.
class DecryptingInput : public DecodeInput {
public:
    DecryptingInput(const test::Bytes& data, ZipCrypto& cipher, std::size_t piece)
        : inner_(data, piece), cipher_(cipher) {}
    std::size_t read(std::uint8_t* buffer, std::size_t size) override {
        const std::size_t n = inner_.read(buffer, size);
        cipher_.decrypt(buffer, n);
        return n;
    }

private:
    test::MemoryInput inner_;
    ZipCrypto& cipher_;
};

void expectManifestContent(const CorpusMember& c, const test::DecodeResult& r) {
    const std::string what = c.row.archive + " " + c.row.member;
    EXPECT_TRUE(r.ok) << what;
    EXPECT_EQ(r.out.size(), c.row.size) << what;
    EXPECT_EQ(test::crc32Of(r.out), c.row.crc) << what;
    EXPECT_EQ(test::sha256Hex(r.out), c.row.sha256) << what;
}

DecodeParams paramsOf(const test::ArchiveMember& m) {
    DecodeParams p;
    p.method = m.method;
    p.flags = m.flags;
    p.compressedSize = m.compressedSize;
    p.uncompressedSize = m.uncompressedSize;
    return p;
}

TEST(DecoderLegacyCorpus, UnencryptedMembersDecodeToTheirManifest) {
    std::set<unsigned> methods;
    unsigned decoded = 0;
    for (const auto& c : corpusMembers()) {
        if (c.row.password != "-" || c.row.method == 0) continue;
        const test::DecoderFn fn = decoderFor(c.row.method);
        ASSERT_NE(fn, nullptr) << c.row.method;
        for (std::size_t piece : {SIZE_MAX, std::size_t(1)})
            expectManifestContent(c, test::runDecoder(fn, c.member.data, paramsOf(c.member), piece));
        methods.insert(c.row.method);
        ++decoded;
    }
    EXPECT_EQ(decoded, 62u);
    EXPECT_EQ(methods, (std::set<unsigned>{1, 2, 3, 4, 5, 6, 8}));
}

TEST(DecoderLegacyCorpus, EncryptedMembersDecryptBlockByBlockAndDecode) {
    std::set<unsigned> methods;
    for (const auto& c : corpusMembers()) {
        if (c.row.password == "-" || c.row.method == 0) continue;
        const std::string what = c.row.archive + " " + c.row.member;
        ASSERT_GE(c.member.data.size(), kCryptHeaderSize) << what;
        for (std::size_t piece : {std::size_t(777), std::size_t(32768)}) {
            ZipCrypto cipher;
            std::uint8_t header[kCryptHeaderSize];
            std::copy(c.member.data.begin(), c.member.data.begin() + kCryptHeaderSize, header);
            ASSERT_TRUE(checkCryptHeader(cipher, c.row.password, header,
                                         cryptCheckByte(c.member.flags, c.member.modTime, c.member.crc)))
                << what;
            const test::Bytes body(c.member.data.begin() + kCryptHeaderSize, c.member.data.end());
            DecodeParams p = paramsOf(c.member);
            p.compressedSize -= kCryptHeaderSize;
            DecryptingInput in(body, cipher, piece);
            test::VectorOutput out;
            test::DecodeResult r;
            r.ok = decoderFor(c.row.method)(in, out, p);
            r.out = std::move(out.bytes);
            expectManifestContent(c, r);
        }
        methods.insert(c.row.method);
    }
    EXPECT_EQ(methods, (std::set<unsigned>{1, 4, 6, 8}));
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
