// Laying a finished archive onto the parts of a split set.
#include "zip/split/SplitSetWriter.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "zip/split/SplitPartNames.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/WriterRecords.h"
#include "zip/ZipErrors.h"
#include "zip/split/ZipInfoFile.h"
#include "zip/io/ZipOutputFile.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace {

constexpr const char* kCanceledZip = "User canceled Zip operation";
constexpr std::size_t kPieceSize = 16384;

// One member of the finished archive.
struct SourceMember {
    std::string central;  // its central header as it stands
    std::uint64_t localOffset = 0;
    std::uint64_t span = 0;  // local header, data and anything up to the next member
    std::uint64_t localHeaderSize = 0;
    std::uint32_t newDisk = 0;
    std::uint64_t newOffset = 0;
};

[[noreturn]] void tooBigForSet() {
    throw EStreamError("A split archive holds at most 65,535 members and parts below 4 GiB");
}

}  // namespace

struct SplitSetWriter::Impl {
    Impl(SplitSetWriter& o, const TMultiZipInfo& i, const std::string& name) : owner(o), info(i), archiveName(name) {}

    SplitSetWriter& owner;
    const TMultiZipInfo& info;
    const std::string& archiveName;
    std::uint64_t reserve = 0;  // kept free on the first part for the directory

    std::unique_ptr<TZipOutputFile> out;
    int part = -1;              // 0-based number of the open part
    std::uint64_t room = 0;     // bytes still allowed on it
    std::uint64_t written = 0;  // bytes on it
    SplitSetResult result;

    void nextPart() {
        if (out) out->close();
        out.reset();
        ++part;
        if (part > 0xFFFE) tooBigForSet();
        std::string name;
        std::int64_t cap;
        if (info.MultiMode == mmSpan) {
            name = owner.NextPartName ? owner.NextPartName(part + 1) : splitPartFileName(archiveName, part + 1);
            if (name.empty()) throw EUserCanceled(kCanceledZip);
            std::error_code ec;
            std::filesystem::remove(name, ec);
            if (owner.PrepareNextPart) owner.PrepareNextPart(part + 1);
            std::string folder = platform::extractFileDir(platform::expandFileName(name));
            std::uint64_t free = owner.FreeSpace ? owner.FreeSpace(folder) : platform::freeSpace(folder);
            cap = std::int64_t(std::min<std::uint64_t>(free, std::uint64_t(INT64_MAX)));
            if (part == 0) cap -= info.SaveOnFirstDisk;
            if (info.MaxSpanPartSize > 0) cap = std::min(cap, info.MaxSpanPartSize);
        } else {
            name = splitPartFileName(archiveName, part + 1);
            cap = part == 0 ? info.FirstBlockSize : info.BlockSize;
        }
        if (part == 0) cap -= std::int64_t(reserve);
        cap = std::min<std::int64_t>(cap, 0xFFFFFFFFll);  // offsets within a part are 32-bit
        if (cap <= 0) throw ENotEnoughRoom();
        result.parts.push_back(name);
        out = std::make_unique<TZipOutputFile>(name, owner.FlushOnClose);
        room = std::uint64_t(cap);
        written = 0;
    }

    // Where a record of `size` bytes starts: on the next part when it does not fit in
    // the room left (unless the part is still empty, where it is cut as needed).
    std::pair<std::uint32_t, std::uint64_t> beginRecord(std::uint64_t size) {
        if (!out || room == 0 || (size > room && written > 0)) nextPart();
        return {std::uint32_t(part), written};
    }

    void put(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            if (!out || room == 0) nextPart();
            std::size_t n = std::size_t(std::min<std::uint64_t>({size, room, kPieceSize}));
            out->write(data, n);
            data += n;
            size -= n;
            room -= n;
            written += n;
            if (owner.Copied) owner.Copied(n);
        }
    }
    void put(const std::string& bytes) { put(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()); }

    void copy(TStream& from, std::uint64_t offset, std::uint64_t count) {
        std::vector<std::uint8_t> buf(kPieceSize);
        from.seek(std::int64_t(offset), soFromBeginning);
        while (count > 0) {
            std::size_t n = std::size_t(std::min<std::uint64_t>(count, buf.size()));
            from.readBuffer(buf.data(), n);
            put(buf.data(), n);
            count -= n;
        }
    }

    void run(TStream& single) {
        TEndCentral end;
        if (!end.find(single)) throw EBadZipFile();
        if (end.zip64 || end.totalEntries > 0xFFFF) tooBigForSet();
        std::string comment(end.commentLength, '\0');
        if (!comment.empty()) {
            single.seek(std::int64_t(end.commentPosition), soFromBeginning);
            single.readBuffer(comment.data(), comment.size());
        }

        // The directory of the finished archive.
        std::string dir(std::size_t(end.centralSize), '\0');
        single.seek(std::int64_t(end.centralOffset), soFromBeginning);
        single.readBuffer(dir.data(), dir.size());
        std::vector<SourceMember> members;
        std::size_t at = 0;
        for (std::uint64_t i = 0; i < end.totalEntries; ++i) {
            if (at + kCentralHeaderSize > dir.size() || getLe32(&dir[at]) != kCentralHeaderSignature)
                throw EBadZipFile();
            const std::size_t len = kCentralHeaderSize + getLe16(&dir[at + 28]) + getLe16(&dir[at + 30]) +
                                    getLe16(&dir[at + 32]);
            if (at + len > dir.size()) throw EBadZipFile();
            SourceMember m;
            m.central = dir.substr(at, len);
            m.localOffset = getLe32(&dir[at + 42]);
            if (getLe32(&dir[at + 20]) == kZip64Marker32 || getLe32(&dir[at + 24]) == kZip64Marker32 ||
                m.localOffset == kZip64Marker32)
                tooBigForSet();
            members.push_back(std::move(m));
            at += len;
        }

        // Each member's bytes run up to the next member (or the directory).
        std::vector<SourceMember*> byOffset;
        for (auto& m : members) byOffset.push_back(&m);
        std::stable_sort(byOffset.begin(), byOffset.end(),
                         [](auto* a, auto* b) { return a->localOffset < b->localOffset; });
        for (std::size_t i = 0; i < byOffset.size(); ++i) {
            const std::uint64_t next = i + 1 < byOffset.size() ? byOffset[i + 1]->localOffset : end.centralOffset;
            if (next < byOffset[i]->localOffset) throw EBadZipFile();
            byOffset[i]->span = next - byOffset[i]->localOffset;
            std::uint8_t local[kLocalHeaderSize];
            single.seek(std::int64_t(byOffset[i]->localOffset), soFromBeginning);
            single.readBuffer(local, sizeof local);
            if (getLe32(local) != kLocalHeaderSignature) throw EBadZipFile();
            byOffset[i]->localHeaderSize = kLocalHeaderSize + getLe16(local + 26) + getLe16(local + 28);
            if (byOffset[i]->localHeaderSize > byOffset[i]->span) throw EBadZipFile();
        }

        if (info.SaveZipInfoOnFirstDisk)
            reserve = members.size() * (owner.StorePaths ? 83 : 58) + comment.size() + 2070;

        for (SourceMember* m : byOffset) {
            auto [disk, offset] = beginRecord(m->localHeaderSize);
            m->newDisk = disk;
            m->newOffset = offset;
            copy(single, m->localOffset, m->span);
        }

        std::string directory;
        std::uint32_t startDisk = 0;
        std::uint64_t startOffset = 0, size = 0;
        std::vector<std::uint32_t> centralDisks;
        for (std::size_t i = 0; i < members.size(); ++i) {
            std::string rec = members[i].central;
            putAt16(rec, 34, std::uint16_t(members[i].newDisk));
            putAt32(rec, 42, std::uint32_t(members[i].newOffset));
            auto [disk, offset] = beginRecord(rec.size());
            if (i == 0) {
                startDisk = disk;
                startOffset = offset;
            }
            centralDisks.push_back(disk);
            put(rec);
            size += rec.size();
            directory += rec;
        }
        auto [lastDisk, endOffset] = beginRecord(kEndCentralSize + comment.size());
        if (members.empty()) {
            startDisk = lastDisk;
            startOffset = endOffset;
        }
        const auto onLast = std::count(centralDisks.begin(), centralDisks.end(), lastDisk);
        std::string rec;
        putLe32(rec, kEndCentralSignature);
        putLe16(rec, std::uint16_t(lastDisk));
        putLe16(rec, std::uint16_t(startDisk));
        putLe16(rec, std::uint16_t(onLast));
        putLe16(rec, std::uint16_t(members.size()));
        putLe32(rec, std::uint32_t(size));
        putLe32(rec, std::uint32_t(startOffset));
        putLe16(rec, std::uint16_t(comment.size()));
        rec += comment;
        put(rec);
        directory += rec;
        out->close();
        out.reset();
        result.directory = directory;

        if (info.SaveZipInfoOnFirstDisk) {
            switch (writeZipInfoFile(zipInfoFileName(archiveName), directory, owner.FlushOnClose)) {
                case ZipInfoFileResult::Saved: result.zipInfoSaved = true; break;
                case ZipInfoFileResult::CreateFailed:
                    if (owner.Message) owner.Message(kZipInfoCreateFailed);
                    break;
                case ZipInfoFileResult::SaveFailed:
                    if (owner.Message) owner.Message(kZipInfoSaveFailed);
                    break;
            }
        }
    }

    static void putAt16(std::string& s, std::size_t at, std::uint16_t v) {
        s[at] = char(v & 0xFF);
        s[at + 1] = char(v >> 8);
    }
    static void putAt32(std::string& s, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
    }

    void discard() {
        if (out) out->abandon();
        out.reset();
        for (const std::string& p : result.parts) {
            std::error_code ec;
            std::filesystem::remove(p, ec);
        }
    }
};

SplitSetWriter::SplitSetWriter(const TMultiZipInfo& info, std::string archiveName)
    : info_(info), archiveName_(std::move(archiveName)) {}

SplitSetResult SplitSetWriter::write(TStream& single) {
    Impl impl(*this, info_, archiveName_);
    try {
        impl.run(single);
    } catch (...) {
        impl.discard();
        throw;
    }
    return std::move(impl.result);
}

}  // namespace zb::zip
