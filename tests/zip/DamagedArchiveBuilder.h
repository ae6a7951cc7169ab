// The damaged-input tests' own archives and their judge. An archive is built here byte
// by byte (independently of the engine's writer) from a few members of each kind the
// reader meets: deflated text, stored binary, an encrypted member, an empty file and a
// folder entry. The builder remembers where every field of every record stands, so a
// test can flip, zero or max out each one, cut the archive at every record boundary, or
// make counts and offsets lie. The judge then extracts the damaged archive into a
// folder of its own and checks what a user must be able to rely on: the engine either
// refuses in its own words or goes on, nothing is written outside the destination,
// every file left behind is one the run reported, with the contents of an original
// member, and a member that was lost is always accounted for by an event or an error.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "zip/TZipReader.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/io/FileFaults.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"

namespace zb::test {

namespace fs = std::filesystem;

inline constexpr const char* kDamagedPassword = "pw";

// Where one field of one record stands in the archive.
struct FieldSpot {
    std::string record;  // "local", "central", "end", "zip64 end", "zip64 locator"
    int member = -1;     // the member's index, -1 for the records of the archive
    std::string field;
    std::size_t offset = 0;
    std::size_t width = 0;

    std::string label() const {
        return record + (member >= 0 ? " #" + std::to_string(member) : std::string()) + " " + field;
    }
};

struct SourceMember {
    std::string name;
    std::string content;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
    bool encrypted = false;
};

struct BuiltArchive {
    std::string bytes;
    std::vector<SourceMember> members;
    std::vector<FieldSpot> fields;
    std::vector<std::size_t> boundaries;  // where each record and each data block begins
    std::vector<std::size_t> localOffsets;
    std::size_t centralOffset = 0;
    std::size_t endOffset = 0;
    std::size_t locatorOffset = 0;  // 0 when the archive has no ZIP64 records
};

inline std::string rawDeflate(const std::string& data) {
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, uLong(data.size())) + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

// Text that deflates well, and bytes that do not.
inline std::string damagedText() {
    std::string s;
    for (int i = 0; s.size() < 3000; ++i) s += "line " + std::to_string(i) + " of a member that compresses\n";
    return s;
}
inline std::string damagedBinary() {
    std::string s(2500, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    return s;
}

inline std::vector<SourceMember> defaultDamagedMembers() {
    return {
        {"readme.txt", damagedText(), 8, false},
        {"data/", "", 0, false},
        {"data/random.bin", damagedBinary(), 0, false},
        {"secret.txt", "a member only the password opens\n", 0, true},
        {"empty.txt", "", 0, false},
    };
}

class ArchiveBuilder {
public:
    explicit ArchiveBuilder(std::vector<SourceMember> members = defaultDamagedMembers(), bool zip64 = false,
                            std::string comment = "archive comment")
        : zip64_(zip64), comment_(std::move(comment)) {
        a_.members = std::move(members);
    }

    BuiltArchive build() {
        struct Done {
            std::uint32_t crc;
            std::size_t packed;
        };
        std::vector<Done> done;
        for (std::size_t i = 0; i < a_.members.size(); ++i) {
            const SourceMember& m = a_.members[i];
            std::string data = m.method == 8 ? rawDeflate(m.content) : m.content;
            const std::uint32_t crc = zip::crc32(m.content.data(), m.content.size());
            if (m.encrypted) {
                zip::ZipCrypto cipher(kDamagedPassword);
                std::uint8_t random[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
                std::uint8_t header[zip::kCryptHeaderSize];
                zip::makeCryptHeader(cipher, crc, random, header);
                std::string body = data;
                cipher.encrypt(reinterpret_cast<std::uint8_t*>(body.data()), body.size());
                data = std::string(reinterpret_cast<char*>(header), sizeof header) + body;
            }
            a_.localOffsets.push_back(a_.bytes.size());
            boundary();
            const int idx = int(i);
            u32("local", idx, "signature", zip::kLocalHeaderSignature);
            u16("local", idx, "version needed", 20);
            u16("local", idx, "flags", m.encrypted ? 1 : 0);
            u16("local", idx, "method", m.method);
            u32("local", idx, "date/time", 0x5A214C63);
            u32("local", idx, "crc", crc);
            u32("local", idx, "compressed size", std::uint32_t(data.size()));
            u32("local", idx, "uncompressed size", std::uint32_t(m.content.size()));
            u16("local", idx, "name length", std::uint16_t(m.name.size()));
            u16("local", idx, "extra length", 0);
            boundary();
            bytes("local", idx, "name", m.name);
            boundary();
            a_.bytes += data;
            done.push_back({crc, data.size()});
        }
        a_.centralOffset = a_.bytes.size();
        for (std::size_t i = 0; i < a_.members.size(); ++i) {
            const SourceMember& m = a_.members[i];
            const int idx = int(i);
            const bool folder = !m.name.empty() && m.name.back() == '/';
            boundary();
            u32("central", idx, "signature", zip::kCentralHeaderSignature);
            u16("central", idx, "version made by", 20);
            u16("central", idx, "version needed", 20);
            u16("central", idx, "flags", m.encrypted ? 1 : 0);
            u16("central", idx, "method", m.method);
            u32("central", idx, "date/time", 0x5A214C63);
            u32("central", idx, "crc", done[i].crc);
            u32("central", idx, "compressed size", std::uint32_t(done[i].packed));
            u32("central", idx, "uncompressed size", std::uint32_t(m.content.size()));
            u16("central", idx, "name length", std::uint16_t(m.name.size()));
            u16("central", idx, "extra length", 0);
            u16("central", idx, "comment length", 0);
            u16("central", idx, "disk number", 0);
            u16("central", idx, "internal attributes", 0);
            u32("central", idx, "external attributes", folder ? 0x10 : 0x20);
            u32("central", idx, "relative offset", std::uint32_t(a_.localOffsets[i]));
            boundary();
            bytes("central", idx, "name", m.name);
        }
        const std::size_t centralSize = a_.bytes.size() - a_.centralOffset;
        const auto count = std::uint16_t(a_.members.size());
        if (zip64_) {
            const std::size_t zip64End = a_.bytes.size();
            boundary();
            u32("zip64 end", -1, "signature", zip::kZip64EndSignature);
            u64("zip64 end", -1, "record size", zip::kZip64EndSize - 12);
            u16("zip64 end", -1, "version made by", 45);
            u16("zip64 end", -1, "version needed", 45);
            u32("zip64 end", -1, "this disk", 0);
            u32("zip64 end", -1, "directory disk", 0);
            u64("zip64 end", -1, "entries on disk", count);
            u64("zip64 end", -1, "total entries", count);
            u64("zip64 end", -1, "directory size", centralSize);
            u64("zip64 end", -1, "directory offset", a_.centralOffset);
            a_.locatorOffset = a_.bytes.size();
            boundary();
            u32("zip64 locator", -1, "signature", zip::kZip64LocatorSignature);
            u32("zip64 locator", -1, "disk", 0);
            u64("zip64 locator", -1, "end record offset", zip64End);
            u32("zip64 locator", -1, "disks", 1);
        }
        a_.endOffset = a_.bytes.size();
        boundary();
        u32("end", -1, "signature", zip::kEndCentralSignature);
        u16("end", -1, "this disk", 0);
        u16("end", -1, "directory disk", 0);
        u16("end", -1, "entries on disk", zip64_ ? 0xFFFF : count);
        u16("end", -1, "total entries", zip64_ ? 0xFFFF : count);
        u32("end", -1, "directory size", zip64_ ? 0xFFFFFFFF : std::uint32_t(centralSize));
        u32("end", -1, "directory offset", zip64_ ? 0xFFFFFFFF : std::uint32_t(a_.centralOffset));
        u16("end", -1, "comment length", std::uint16_t(comment_.size()));
        boundary();
        bytes("end", -1, "comment", comment_);
        boundary();
        return a_;
    }

private:
    void boundary() {
        if (a_.boundaries.empty() || a_.boundaries.back() != a_.bytes.size()) a_.boundaries.push_back(a_.bytes.size());
    }
    void spot(const std::string& record, int member, const std::string& field, std::size_t width) {
        if (width) a_.fields.push_back({record, member, field, a_.bytes.size(), width});
    }
    void u16(const std::string& r, int m, const std::string& f, std::uint16_t v) {
        spot(r, m, f, 2);
        zip::appendU16(a_.bytes, v);
    }
    void u32(const std::string& r, int m, const std::string& f, std::uint32_t v) {
        spot(r, m, f, 4);
        zip::appendU32(a_.bytes, v);
    }
    void u64(const std::string& r, int m, const std::string& f, std::uint64_t v) {
        spot(r, m, f, 8);
        zip::appendU64(a_.bytes, v);
    }
    void bytes(const std::string& r, int m, const std::string& f, const std::string& v) {
        spot(r, m, f, v.size());
        a_.bytes += v;
    }

    BuiltArchive a_;
    bool zip64_;
    std::string comment_;
};

inline void putField(std::string& bytes, const FieldSpot& f, std::uint64_t value) {
    for (std::size_t i = 0; i < f.width && i < 8; ++i) bytes[f.offset + i] = char((value >> (8 * i)) & 0xFF);
}
inline std::uint64_t getField(const std::string& bytes, const FieldSpot& f) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < f.width && i < 8; ++i) v |= std::uint64_t(std::uint8_t(bytes[f.offset + i])) << (8 * i);
    return v;
}

inline const FieldSpot& fieldOf(const BuiltArchive& a, const std::string& record, int member,
                                const std::string& field) {
    for (const FieldSpot& f : a.fields)
        if (f.record == record && f.member == member && f.field == field) return f;
    throw std::logic_error("no field " + record + " " + field);
}

// A copy of the archive with one field set to `value`.
inline std::string withField(const BuiltArchive& a, const std::string& record, int member, const std::string& field,
                             std::uint64_t value) {
    std::string bytes = a.bytes;
    putField(bytes, fieldOf(a, record, member, field), value);
    return bytes;
}

// What one extraction of a damaged archive did.
struct DamagedOutcome {
    bool refused = false;  // the engine raised one of its own errors
    std::string error;
    int count = -1;                   // what UnZip returned (-1 when it raised)
    int events = 0;                   // skip, bad CRC, bad password and incomplete-archive reports
    std::set<std::string> recovered;  // contents of the original members found intact
};

// Peak resident memory of this process so far, in MiB.
inline long peakRssMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// AddressSanitizer keeps freed blocks in a quarantine of up to 256 MiB before reuse, so
// the peak of many short extractions climbs by that much without any large allocation.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kQuarantineMiB = 256;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kQuarantineMiB = 256;
#else
constexpr long kQuarantineMiB = 0;
#endif
#else
constexpr long kQuarantineMiB = 0;
#endif

// Extracts `bytes` and checks every promise a damaged archive must not break. Failures
// are reported with `what` (the damage done) through gtest.
// `faults`, when given, is called right before the extraction with the archive's path
// and the destination; what it returns (a fault plan) is in force until the run ends.
using FaultsFactory = std::function<std::unique_ptr<zip::FileFaults>(const fs::path& archive, const fs::path& dest)>;

inline DamagedOutcome extractDamaged(const std::string& bytes, const std::vector<SourceMember>& originals,
                                     const std::string& what, zip::TIncompleteZipMode mode = zip::izAssumeBad,
                                     const FaultsFactory& faults = {}) {
    DamagedOutcome o;
    TempDir tmp;
    const fs::path dest = tmp / "dest";
    const fs::path archive = tmp.write("damaged.zip", bytes);
    const fs::path sentinel = tmp.write("outside.txt", "left alone");
    fs::create_directories(dest);

    std::set<std::string> originalContents;
    for (const auto& m : originals)
        if (m.name.empty() || m.name.back() != '/') originalContents.insert(m.content);

    std::map<std::string, int> reported;
    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.SetDestDir(dest.string());
    reader.DoAll = true;
    reader.RecreateDirs = true;
    reader.OverwriteMode = zip::Never;
    reader.IncompleteZipMode = mode;
    reader.Password = kDamagedPassword;
    reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string&, int, bool&) { ++o.events; };
    reader.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++o.events; };
    // The notice that the end record is missing: what a salvage from the local headers
    // finds is all there is, and the owner has been told the archive is incomplete.
    reader.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) { ++o.events; };
    reader.OnEndUnZip = [&](zip::TZipReader&, int index, const std::string& target) {
        reported[fs::path(target).lexically_normal().string()] = index;
    };
    std::unique_ptr<zip::FileFaults> plan = faults ? faults(archive, dest) : nullptr;
    try {
        o.count = reader.UnZip();
        plan.reset();
    } catch (const zip::EZipError& e) {
        plan.reset();
        o.refused = true;
        o.error = e.what();
        EXPECT_FALSE(o.error.empty()) << what << ": an engine error without a message";
    } catch (const std::exception& e) {
        plan.reset();
        ADD_FAILURE() << what << ": raised something that is not an engine error: " << e.what();
        o.refused = true;
    }

    // Nothing outside the destination, no links, the file beside it unchanged.
    for (auto it = fs::recursive_directory_iterator(tmp.path()); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& p = it->path();
        EXPECT_FALSE(it->is_symlink()) << what << ": a link appeared: " << p;
        if (p == archive || p == sentinel || p == dest) continue;
        const auto rel = p.lexically_relative(dest);
        EXPECT_FALSE(rel.empty() || *rel.begin() == "..") << what << ": written outside the destination: " << p;
    }
    EXPECT_EQ(readFile(sentinel), "left alone") << what;

    // Every file left is one the run reported, holding an original member's contents.
    for (auto it = fs::recursive_directory_iterator(dest); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file()) continue;
        const std::string path = it->path().lexically_normal().string();
        const std::string content = readFile(it->path());
        EXPECT_TRUE(reported.count(path)) << what << ": a file was left that the run did not report: " << path;
        if (originalContents.count(content)) {
            o.recovered.insert(content);
        } else {
            ADD_FAILURE() << what << ": a file holds contents no member had: " << path;
        }
    }
    if (o.count >= 0) {
        EXPECT_LE(o.count, int(originals.size()) + 1) << what;
    }
    // A member lost without a word is the one thing a backup program must never do.
    if (!o.refused && o.events == 0) {
        EXPECT_EQ(o.recovered.size(), originalContents.size())
            << what << ": members went missing without an error or an event";
    }
    return o;
}

}  // namespace zb::test
