// Values at the edges of the record fields: a member's part number or an end
// record's count of all ones or more goes into the ZIP64 form, and reads back whole.
#include <gtest/gtest.h>

#include "zip/TZipHeaderInfo.h"
#include "zip/io/TMemoryStream.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/ZipBytes.h"

namespace zb::zip {
namespace {

TEST(RecordCodec, CentralValuesThatDoNotFitTakeTheZip64FieldAndReadBack) {
    struct Case {
        std::uint64_t size, offset;
        std::uint32_t disk;
        std::uint16_t extraLength;  // bytes of the ZIP64 field written
        std::uint16_t diskField;    // the classic part number field
    };
    const Case cases[] = {
        {100, 200, 3, 0, 3},
        {100, 200, 0xFFFE, 0, 0xFFFE},
        {100, 200, 0xFFFF, 4 + 4, 0xFFFF},
        {100, 200, 70000, 4 + 4, 0xFFFF},
        {100, 0x140000000ull, 0x10000, 4 + 8 + 4, 0xFFFF},
        {0x100000000ull, 200, 2, 4 + 16, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disk);
        TZipHeaderInfo h;
        h.setFileName("a.txt");
        h.compressedSize = h.uncompressedSize = c.size;
        h.relativeOffset = c.offset;
        h.diskNumberStart = c.disk;
        TMemoryStream m;
        h.writeCentral(m);
        EXPECT_EQ(getU16(m.data().data() + 30), c.extraLength);
        EXPECT_EQ(getU16(m.data().data() + 34), c.diskField);
        m.seek(0, soFromBeginning);
        TZipHeaderInfo r;
        ASSERT_TRUE(r.readCentral(m));
        EXPECT_EQ(r.diskNumberStart, c.disk);
        EXPECT_EQ(r.relativeOffset, c.offset);
        EXPECT_EQ(r.compressedSize, c.size);
        EXPECT_EQ(r.uncompressedSize, c.size);
    }
}

TEST(RecordCodec, EndRecordCountsOfAllOnesTakeTheZip64Record) {
    struct Case {
        std::uint64_t entries;
        std::uint32_t disk;
        std::int64_t size;  // of the records written
    };
    const Case cases[] = {{0xFFFE, 0, 22}, {0xFFFF, 0, 98}, {3, 0xFFFF, 98}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        TEndCentral w;
        w.totalEntries = w.entriesThisDisk = c.entries;
        w.thisDisk = w.centralStartDisk = c.disk;
        TMemoryStream m;
        w.write(m);
        EXPECT_EQ(m.size(), c.size);
        TEndCentral r;
        ASSERT_TRUE(r.find(m));
        EXPECT_EQ(r.totalEntries, c.entries);
        EXPECT_EQ(r.thisDisk, c.disk);
    }
}

}  // namespace
}  // namespace zb::zip
