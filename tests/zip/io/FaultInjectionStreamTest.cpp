// The stream layer under a device that fails after N bytes, for every N over a small
// archive: the record reads answer "not found" and leave the stream where it was, the
// record writes and the buffered stream raise the engine's stream error instead of
// reporting success, a buffered stream that cannot write out its buffer when it is
// destroyed does not throw from its destructor, and the decoders' input side says
// "Premature end of file reached".
#include <gtest/gtest.h>

#include "support/FailingStream.h"
#include "zip/DamagedArchiveBuilder.h"
#include "zip/TZipHeaderInfo.h"
#include "zip/codec/MemberDecoder.h"
#include "zip/codec/MemberInput.h"
#include "zip/codec/MemberOutput.h"
#include "zip/io/TMemoryStream.h"
#include "zip/io/TS_BufferStream.h"
#include "zip/records/TEndCentral.h"

namespace zb::test {
namespace {

TEST(FaultInjectionStreamTest, RecordReadsOnAFailingDeviceAnswerNotFound) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t n = 0; n <= a.bytes.size(); ++n) {
        zip::TMemoryStream memory(a.bytes);
        FailingStream failing(memory, FaultSide::Read, n);
        zip::TS_BufferStream s(&failing, 512);
        zip::TEndCentral end;
        bool found = false;
        ASSERT_NO_THROW(found = end.find(s)) << n;
        if (!found) continue;
        EXPECT_EQ(end.totalEntries, a.members.size()) << "a record found on a failing device is whole, at " << n;
        s.setPosition(std::int64_t(end.centralOffset));
        for (std::size_t m = 0; m < a.members.size(); ++m) {
            const std::int64_t before = s.position();
            zip::TZipHeaderInfo h;
            bool ok = false;
            ASSERT_NO_THROW(ok = h.readCentral(s)) << n;
            if (!ok) {
                EXPECT_EQ(s.position(), before) << n;
                break;
            }
            EXPECT_EQ(h.storedName(), a.members[m].name) << n;
        }
    }
}

TEST(FaultInjectionStreamTest, LocalHeaderReadsOnAFailingDevice) {
    const BuiltArchive a = ArchiveBuilder().build();
    for (std::uint64_t n = 0; n < a.centralOffset; ++n) {
        zip::TMemoryStream memory(a.bytes);
        FailingStream failing(memory, FaultSide::Read, n);
        for (std::size_t m = 0; m < a.localOffsets.size(); ++m) {
            failing.setPosition(std::int64_t(a.localOffsets[m]));
            zip::TZipHeaderInfo h;
            bool ok = false;
            ASSERT_NO_THROW(ok = h.readLocal(failing));
            if (!ok) {
                EXPECT_EQ(failing.position(), std::int64_t(a.localOffsets[m]));
                break;
            }
            EXPECT_EQ(h.storedName(), a.members[m].name);
        }
    }
}

TEST(FaultInjectionStreamTest, RecordWritesOnAFullDeviceRaiseAStreamError) {
    // Measure what a complete directory takes, then fail after every byte of it.
    auto writeDirectory = [](zip::TStream& s) {
        for (int i = 0; i < 3; ++i) {
            zip::TZipHeaderInfo h;
            h.setStoredName("folder/member" + std::to_string(i) + ".txt");
            h.setFileComment("a comment");
            h.writeLocal(s);
            h.writeCentral(s);
        }
        zip::TEndCentral end;
        end.totalEntries = end.entriesThisDisk = 3;
        end.setComment("the archive's comment");
        end.write(s);
    };
    zip::TMemoryStream whole;
    writeDirectory(whole);
    const std::size_t total = whole.data().size();
    ASSERT_GT(total, 200u);
    for (std::uint64_t n = 0; n < total; ++n) {
        zip::TMemoryStream memory;
        FailingStream failing(memory, FaultSide::Write, n);
        EXPECT_THROW(writeDirectory(failing), zip::EStreamError) << n;
        EXPECT_LE(memory.data().size(), n);
    }
}

TEST(FaultInjectionStreamTest, BufferedStreamOnAFullDevice) {
    const std::string data(3000, 'z');
    for (std::uint64_t n = 0; n < data.size(); n += 7) {
        zip::TMemoryStream memory;
        FailingStream failing(memory, FaultSide::Write, n);
        bool raised = false;
        {
            zip::TS_BufferStream s(&failing, 512);
            try {
                s.writeBuffer(data.data(), data.size());
                s.flush();
            } catch (const zip::EStreamError&) {
                raised = true;
            }
            // Destroyed with bytes it cannot write out: no exception from a destructor.
        }
        EXPECT_TRUE(raised) << "a full device passed for success after " << n;
        EXPECT_EQ(memory.str(), data.substr(0, memory.data().size())) << "bytes written out of order at " << n;
    }
}

TEST(FaultInjectionStreamTest, MemberInputOnAFailingDeviceEndsPrematurely) {
    const std::string packed(70000, 'p');  // more than two 32 KiB blocks
    for (std::uint64_t n : faultPoints(packed.size(), 128, 300)) {
        zip::TMemoryStream memory(packed);
        FailingStream failing(memory, FaultSide::Read, n);
        zip::MemberInput in(failing, packed.size(), nullptr, {});
        std::string got;
        zip::MemberOutput out(
            packed.size(),
            [&](const std::uint8_t* p, std::size_t k) { got.append(reinterpret_cast<const char*>(p), k); }, {});
        try {
            zip::copyStored(in, out);
            out.finish();
            ADD_FAILURE() << "a member cut by a failing device passed as whole at " << n;
        } catch (const zip::EFatalUnzipError& e) {
            EXPECT_STREQ(e.what(), zip::msg::kPrematureEnd);
        }
        EXPECT_LE(got.size(), n);
        EXPECT_EQ(got, packed.substr(0, got.size()));
    }
}

}  // namespace
}  // namespace zb::test
