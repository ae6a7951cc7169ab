// Fuzz target: stored members with traditional encryption, through the extractor's own
// input and output sides (the archive read in 32 KiB blocks, each decrypted with the
// key state carried on from the password check). Two halves:
// - contents and a password from the fuzzer are encrypted the way the writer does it;
//   the password check must pass, the data must come back exactly, with its CRC;
// - arbitrary bytes with an arbitrary password and stated sizes: the check may fail and
//   the member may be cut short, but only with the engine's own "Premature end of file
//   reached", and never with more output than its stated size.
#include "fuzz/FuzzSupport.h"
#include "zip/checksum/Crc32.h"
#include "zip/codec/MemberDecoder.h"
#include "zip/codec/MemberInput.h"
#include "zip/codec/MemberOutput.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/ZipErrors.h"
#include "zip/records/ZipRecords.h"
#include "zip/io/TMemoryStream.h"

namespace {

using zb::fuzz::Bytes;

// Decodes the member at the start of `archive` the way the extractor does; returns the
// output bytes, or nothing when the password check failed.
struct Decoded {
    bool passwordOk = false;
    bool complete = false;
    bool cutShort = false;
    bool tooLong = false;
    Bytes out;
    std::uint32_t crc = 0;
};

Decoded decodeStored(const Bytes& archive, std::uint64_t compressedSize, std::uint64_t uncompressedSize,
                     const std::string& password, std::uint8_t check) {
    using namespace zb::zip;
    Decoded d;
    TMemoryStream stream(archive);
    std::uint8_t header[kCryptHeaderSize];
    if (compressedSize < kCryptHeaderSize || stream.read(header, sizeof header) != sizeof header) return d;
    ZipCrypto cipher;
    d.passwordOk = checkCryptHeader(cipher, password, header, check);
    if (!d.passwordOk) return d;
    MemberInput in(stream, compressedSize - kCryptHeaderSize, &cipher, {});
    MemberOutput out(uncompressedSize, [&](const std::uint8_t* p, std::size_t n) { d.out.insert(d.out.end(), p, p + n); },
                     {});
    try {
        d.complete = copyStored(in, out);
        out.finish();
    } catch (const EFatalUnzipError&) {
        d.cutShort = true;
    } catch (const EBiggerThanUncompressed&) {
        d.tooLong = true;
    }
    d.crc = out.crc();
    if (out.written() != d.out.size()) zb::fuzz::fail("the output side counts other bytes than it wrote");
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    fuzz::FuzzBytes fb(data, size);
    const std::uint8_t mode = fb.u8();
    const std::string password = fb.str(40);
    const std::uint16_t flags = (mode & 2) ? zip::kFlagDataDescriptor : 0;
    const std::uint32_t dosTime = fb.u32();

    if (mode & 1) {
        // Encrypted as the writer does it, then read back.
        const Bytes plain = fb.rest();
        const std::uint32_t crc = zip::crc32(plain.data(), plain.size());
        std::uint8_t random[10];
        for (int i = 0; i < 10; ++i) random[i] = std::uint8_t(dosTime >> (i % 4 * 8));
        zip::ZipCrypto cipher(password);
        Bytes archive(zip::kCryptHeaderSize);
        zip::makeCryptHeader(cipher, crc, random, archive.data());
        Bytes body = plain;
        cipher.encrypt(body.data(), body.size());
        archive.insert(archive.end(), body.begin(), body.end());
        const Decoded d = decodeStored(archive, archive.size(), plain.size(), password,
                                       zip::cryptCheckByte(0, dosTime, crc));
        if (!d.passwordOk) fuzz::fail("the right password fails the check");
        if (!d.complete || d.out != plain) fuzz::fail("an encrypted stored member does not come back");
        if (d.crc != crc) fuzz::fail("the CRC of the decrypted member differs");
        return 0;
    }

    // Arbitrary bytes and stated sizes.
    const std::uint32_t crc = fb.u32();
    const std::uint64_t statedPacked = fb.u32() % (1u << 20);
    const std::uint64_t statedSize = fb.u32() % (1u << 21);
    const Bytes archive = fb.rest();
    const Decoded d =
        decodeStored(archive, statedPacked, statedSize, password, zip::cryptCheckByte(flags, dosTime, crc));
    if (!d.passwordOk) return 0;
    if (d.out.size() > statedSize) fuzz::fail("more output than the stated size");
    const std::uint64_t dataBytes = statedPacked - zip::kCryptHeaderSize;
    const bool enoughData = archive.size() >= statedPacked;
    if (enoughData && dataBytes <= statedSize && !(d.complete && d.out.size() == dataBytes))
        fuzz::fail("a whole member within its stated size did not decode");
    // A member both cut short and longer than stated is refused for whichever its bytes
    // meet first: past the stated size before the end of what is there, it is too long.
    const bool pastStated = archive.size() - zip::kCryptHeaderSize > statedSize;
    if (!enoughData && !d.cutShort && !(d.tooLong && pastStated))
        fuzz::fail("a member cut short was not reported as cut short");
    if (enoughData && dataBytes > statedSize && !d.tooLong) fuzz::fail("a member longer than stated was not refused");
    return 0;
}
