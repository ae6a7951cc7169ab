// Fuzz target: the record layer on arbitrary bytes held in memory: the search for the
// end record (with its ZIP64 locator), the central records from where the end record
// says the directory starts, and the local header each of them points at. These
// operations answer "found" or "not found": none may raise, a failed read leaves the
// stream where it was, and a successful one moves past at least the fixed record.
#include "fuzz/FuzzSupport.h"
#include "zip/records/TEndCentral.h"
#include "zip/TZipHeaderInfo.h"
#include "zip/ZipErrors.h"
#include "zip/records/ZipRecords.h"
#include "zip/io/TMemoryStream.h"

namespace {

// More records than any seed archive holds; lying counts are cut here.
constexpr std::uint64_t kMaxRecords = 4096;

void readLocalAt(zb::zip::TMemoryStream& s, std::uint64_t offset) {
    if (offset >= std::uint64_t(s.size())) return;
    s.setPosition(std::int64_t(offset));
    zb::zip::TZipHeaderInfo local;
    const bool ok = local.readLocal(s);
    const std::int64_t after = s.position();
    if (!ok && after != std::int64_t(offset)) zb::fuzz::fail("a failed local read moved the stream");
    if (ok) {
        if (after < std::int64_t(offset + zb::zip::kLocalHeaderSize))
            zb::fuzz::fail("a local read ended inside the fixed record");
        if (local.relativeOffset != offset) zb::fuzz::fail("a local header forgot where it stands");
        if (std::uint64_t(after) != offset + local.localHeaderSize())
            zb::fuzz::fail("a local read ended elsewhere than its stated size");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    zip::TMemoryStream s(std::vector<std::uint8_t>(data, data + size));
    try {
        zip::TEndCentral end;
        if (!end.find(s)) {
            // No directory: walk the local headers from the start, as the rebuild does.
            std::uint64_t pos = 0;
            for (std::uint64_t n = 0; n < kMaxRecords && pos < size; ++n) {
                s.setPosition(std::int64_t(pos));
                zip::TZipHeaderInfo h;
                if (!h.readLocal(s)) break;
                pos += h.localHeaderSize() + h.compressedSize;
            }
            return 0;
        }
        if (size == 0) return 0;  // an empty file is an archive without members
        if (end.commentPosition != end.endRecordPosition + zip::kEndCentralSize)
            fuzz::fail("comment position does not follow the end record");
        if (end.endRecordPosition + zip::kEndCentralSize > size) fuzz::fail("end record found past the end");
        if (end.centralOffset >= size) return 0;
        s.setPosition(std::int64_t(end.centralOffset));
        const std::uint64_t count = std::min(end.totalEntries, kMaxRecords);
        std::vector<std::uint64_t> offsets;
        for (std::uint64_t n = 0; n < count; ++n) {
            const std::int64_t before = s.position();
            zip::TZipHeaderInfo h;
            if (!h.readCentral(s)) {
                if (s.position() != before) fuzz::fail("a failed central read moved the stream");
                break;
            }
            if (h.centralOffset != std::uint64_t(before)) fuzz::fail("a central header forgot where it stands");
            if (s.position() < before + std::int64_t(zip::kCentralHeaderSize))
                fuzz::fail("a central read ended inside the fixed record");
            offsets.push_back(h.relativeOffset);
        }
        for (std::uint64_t offset : offsets) readLocalAt(s, offset);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
        fuzz::fail("a record read raised instead of answering not found");
    }
    return 0;
}
