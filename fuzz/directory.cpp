// Fuzz target: the reader on an arbitrary file: reading the directory (with each way of
// treating a missing end record, so the rebuild from local headers runs too), every
// accessor of every member in a sort order the fuzzer picks, the comments, and a test
// run that decodes every member into memory. The engine may refuse the file only with
// one of its own exceptions; anything else, a crash, a leak or a hang is a finding.
// Members whose stated sizes add up to a bomb are stopped through the engine's own
// "quit" answer once the decoded bytes pass a cap.
#include "fuzz/FuzzSupport.h"
#include "zip/TZipReader.h"
#include "zip/ZipErrors.h"

namespace {

constexpr std::uint64_t kDecodedCap = 8u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    if (size < 1) return 0;
    const std::uint8_t options = data[0];
    const auto archive = fuzz::scratchFolder() / "directory.zip";
    fuzz::writeFile(archive, data + 1, size - 1);

    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.IncompleteZipMode = zip::TIncompleteZipMode(options % 3);
    reader.SetSortMode(zip::TZipSortMode((options >> 2) % 8));
    reader.Password = (options & 0x20) ? "secret" : "";
    int incompleteCalls = 0;
    if (options & 0x40) {
        // A handler that changes nothing must not make the reader ask forever.
        reader.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) {
            if (++incompleteCalls > 3) zb::fuzz::fail("the incomplete-archive question repeats");
        };
    }
    try {
        reader.ReadDirectory();
        const int n = reader.MemberCount();
        for (int i = 0; i < n; ++i) {
            const std::string comment = reader.MemberComment(i);
            if (comment.size() > reader.Member(i).fileCommentLength)
                zb::fuzz::fail("a member comment is longer than its record says");
            (void)reader.MemberFileName(i);
            (void)reader.MemberPath(i);
            (void)reader.MemberPackedSize(i);
            (void)reader.MemberDateTime(i);
        }
        if (reader.ArchiveComment().size() > reader.EndCentral().commentLength)
            zb::fuzz::fail("the archive comment is longer than the end record says");
        if (reader.MemberCount() != n) zb::fuzz::fail("reading comments changed the member count");
        try {
            (void)reader.Member(n);
            zb::fuzz::fail("an index past the end was accepted");
        } catch (const zip::EListError&) {
        }

        std::uint64_t decoded = 0;
        int ended = 0;
        reader.DoAll = true;
        reader.OnGetNextBuffer = [&](zip::TZipReader&, const std::uint8_t*, std::size_t used, const std::string&, int,
                                     bool& quit) {
            decoded += used;
            if (decoded > kDecodedCap) quit = true;
        };
        reader.OnEndUnZip = [&](zip::TZipReader&, int, const std::string&) { ++ended; };
        const int good = reader.UnZipToBuffer();
        if (good < 0 || good > n) zb::fuzz::fail("the test run counts more members than there are");
        if (good != ended) zb::fuzz::fail("members counted differ from those reported complete");
    } catch (const zip::EZipError&) {
        // A refusal in the engine's own words.
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
        zb::fuzz::fail("the reader raised something that is not an engine error");
    }
    return 0;
}
