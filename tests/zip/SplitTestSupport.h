// Helpers of the split-archive tests: a one-file archive of stored members built byte
// by byte (so every record's place is known exactly), laying it onto parts, and
// reading a set back through the reader into memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "zip/TZipReader.h"
#include "zip/checksum/Crc32.h"
#include "zip/io/TMemoryStream.h"
#include "zip/records/WriterRecords.h"
#include "zip/split/SplitSetWriter.h"

namespace zb::test {

struct PlainMember {
    std::string name;
    std::string data;
    std::string comment;
};

// Where each record of a built archive stands.
struct PlainLayout {
    std::vector<std::uint64_t> local;      // local header offsets
    std::vector<std::uint64_t> localSize;  // local header sizes
    std::vector<std::uint64_t> central;    // central header offsets
    std::vector<std::uint64_t> centralSize;
    std::uint64_t end = 0;  // end record offset
    std::string bytes;
};

inline PlainLayout buildPlainArchive(const std::vector<PlainMember>& members, const std::string& comment = {}) {
    using namespace zb::zip;
    PlainLayout l;
    std::string& out = l.bytes;
    std::vector<std::uint32_t> crcs;
    for (const PlainMember& m : members) {
        l.local.push_back(out.size());
        const std::uint32_t crc = crc32(m.data.data(), m.data.size());
        crcs.push_back(crc);
        appendU32(out, kLocalHeaderSignature);
        appendU16(out, 20);
        appendU16(out, 0);
        appendU16(out, 0);  // stored
        appendU32(out, 0x5A8C6000);
        appendU32(out, crc);
        appendU32(out, std::uint32_t(m.data.size()));
        appendU32(out, std::uint32_t(m.data.size()));
        appendU16(out, std::uint16_t(m.name.size()));
        appendU16(out, 0);
        out += m.name;
        l.localSize.push_back(30 + m.name.size());
        out += m.data;
    }
    const std::uint64_t dirStart = out.size();
    for (std::size_t i = 0; i < members.size(); ++i) {
        const PlainMember& m = members[i];
        l.central.push_back(out.size());
        appendU32(out, kCentralHeaderSignature);
        appendU16(out, 20);
        appendU16(out, 20);
        appendU16(out, 0);
        appendU16(out, 0);
        appendU32(out, 0x5A8C6000);
        appendU32(out, crcs[i]);
        appendU32(out, std::uint32_t(m.data.size()));
        appendU32(out, std::uint32_t(m.data.size()));
        appendU16(out, std::uint16_t(m.name.size()));
        appendU16(out, 0);
        appendU16(out, std::uint16_t(m.comment.size()));
        appendU16(out, 0);
        appendU16(out, 0);
        appendU32(out, 0x20);
        appendU32(out, std::uint32_t(l.local[i]));
        out += m.name;
        out += m.comment;
        l.centralSize.push_back(46 + m.name.size() + m.comment.size());
    }
    l.end = out.size();
    out += endRecordBytes(members.size(), l.end - dirStart, dirStart, comment);
    return l;
}

// The set made from `archive`.
inline zb::zip::SplitSetResult writeSet(const zb::zip::TMultiZipInfo& info, const std::string& name,
                                        const std::string& archive,
                                        const std::function<void(zb::zip::SplitSetWriter&)>& setup = {}) {
    zb::zip::SplitSetWriter w(info, name);
    if (setup) setup(w);
    zb::zip::TMemoryStream single(archive);
    return w.write(single);
}

inline std::uint64_t fileSize(const std::string& p) { return std::filesystem::file_size(p); }

// Every member of the archive `zipName` names, decoded into memory (name -> bytes),
// with the CRC checked by the reader; the reader is given to `setup` first.
inline std::map<std::string, std::string> readSetContents(const std::string& zipName,
                                                          const std::function<void(zb::zip::TZipReader&)>& setup = {},
                                                          int* extracted = nullptr) {
    zb::zip::TZipReader r;
    if (setup) setup(r);
    r.SetZipName(zipName);
    r.DoAll = true;
    std::map<std::string, std::string> got;
    r.OnGetNextBuffer = [&](zb::zip::TZipReader&, const std::uint8_t* buf, std::size_t n, const std::string& fname, int,
                            bool&) { got[fname].append(reinterpret_cast<const char*>(buf), n); };
    std::map<std::string, std::string> good;
    r.OnEndUnZip = [&](zb::zip::TZipReader&, int, const std::string& fname) { good[fname] = got[fname]; };
    int n = r.UnZipToBuffer();
    if (extracted) *extracted = n;
    return good;
}

inline std::string pattern(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    return s;
}

}  // namespace zb::test
