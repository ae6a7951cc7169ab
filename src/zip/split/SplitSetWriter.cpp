// Laying a finished archive onto the parts of a split set.
#include "zip/split/SplitSetWriter.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "zip/ZipErrors.h"
#include "zip/io/ZipOutputFile.h"
#include "zip/records/CentralHeader.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/ZipRecords.h"
#include "zip/split/SplitPartNames.h"
#include "zip/split/ZipInfoFile.h"

namespace zb::zip {

namespace {

constexpr const char* kCanceledZip = "User canceled Zip operation";
constexpr std::size_t kPieceSize = 16384;

// One member of the finished archive.
struct SourceMember {
    CentralHeader central;  // its central header as it stands
    std::uint64_t localOffset = 0;
    std::uint64_t span = 0;  // local header, data and anything up to the next member
    std::uint64_t localHeaderSize = 0;
    std::uint32_t newDisk = 0;
    std::uint64_t newOffset = 0;
};

// Where the directory lands on the parts.
struct DirectoryPlace {
    std::uint32_t startDisk = 0;
    std::uint64_t startOffset = 0;
    std::uint64_t size = 0;
    std::vector<std::uint32_t> disks;  // the part of each central header
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

    std::unique_ptr<ZipOutputFile> out;
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
        out = std::make_unique<ZipOutputFile>(name, owner.FlushOnClose);
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
        const std::string comment = readComment(single, end);
        std::vector<SourceMember> members = readDirectory(single, end);
        const std::vector<SourceMember*> byOffset = measureMembers(single, members, end.centralOffset);
        if (info.SaveZipInfoOnFirstDisk)
            reserve = members.size() * (owner.StorePaths ? 83 : 58) + comment.size() + 2070;
        for (SourceMember* m : byOffset) {
            auto [disk, offset] = beginRecord(m->localHeaderSize);
            m->newDisk = disk;
            m->newOffset = offset;
            copy(single, m->localOffset, m->span);
        }
        DirectoryPlace place;
        std::string directory = writeCentralHeaders(members, place);
        directory += writeEndRecord(members.size(), place, comment);
        out->close();
        out.reset();
        result.directory = directory;
        if (info.SaveZipInfoOnFirstDisk) saveZipInfo(directory);
    }

    static std::string readComment(TStream& single, const TEndCentral& end) {
        std::string comment(end.commentLength, '\0');
        if (!comment.empty()) {
            single.seek(std::int64_t(end.commentPosition), soFromBeginning);
            single.readBuffer(comment.data(), comment.size());
        }
        return comment;
    }

    // The central headers of the finished archive, in directory order.
    static std::vector<SourceMember> readDirectory(TStream& single, const TEndCentral& end) {
        std::string dir(std::size_t(end.centralSize), '\0');
        single.seek(std::int64_t(end.centralOffset), soFromBeginning);
        single.readBuffer(dir.data(), dir.size());
        std::vector<SourceMember> members;
        std::size_t at = 0;
        for (std::uint64_t i = 0; i < end.totalEntries; ++i) {
            auto central = CentralHeader::decode(std::string_view(dir).substr(at));
            if (!central) throw EBadZipFile();
            if (central->compressedSize == kZip64Marker32 || central->uncompressedSize == kZip64Marker32 ||
                central->localOffset == kZip64Marker32)
                tooBigForSet();
            at += std::size_t(central->size());
            SourceMember m;
            m.localOffset = central->localOffset;
            m.central = std::move(*central);
            members.push_back(std::move(m));
        }
        return members;
    }

    // The members in archive order, each with its bytes running up to the next member
    // (or the directory) and the size of its local header.
    static std::vector<SourceMember*> measureMembers(TStream& single, std::vector<SourceMember>& members,
                                                     std::uint64_t directoryOffset) {
        std::vector<SourceMember*> byOffset;
        for (auto& m : members) byOffset.push_back(&m);
        std::stable_sort(byOffset.begin(), byOffset.end(),
                         [](auto* a, auto* b) { return a->localOffset < b->localOffset; });
        for (std::size_t i = 0; i < byOffset.size(); ++i) {
            SourceMember& m = *byOffset[i];
            const std::uint64_t next = i + 1 < byOffset.size() ? byOffset[i + 1]->localOffset : directoryOffset;
            if (next < m.localOffset) throw EBadZipFile();
            m.span = next - m.localOffset;
            std::uint8_t raw[LocalHeader::kFixedSize];
            single.seek(std::int64_t(m.localOffset), soFromBeginning);
            single.readBuffer(raw, sizeof raw);
            LocalHeader local;
            if (!local.decodeFixed(raw)) throw EBadZipFile();
            m.localHeaderSize = local.size();
            if (m.localHeaderSize > m.span) throw EBadZipFile();
        }
        return byOffset;
    }

    // Each central header with its part number and offset made to say where its local
    // header now stands.
    std::string writeCentralHeaders(std::vector<SourceMember>& members, DirectoryPlace& place) {
        std::string directory;
        for (std::size_t i = 0; i < members.size(); ++i) {
            CentralHeader& central = members[i].central;
            central.diskStart = std::uint16_t(members[i].newDisk);
            central.localOffset = std::uint32_t(members[i].newOffset);
            const std::string rec = central.encode();
            auto [disk, offset] = beginRecord(rec.size());
            if (i == 0) {
                place.startDisk = disk;
                place.startOffset = offset;
            }
            place.disks.push_back(disk);
            put(rec);
            place.size += rec.size();
            directory += rec;
        }
        return directory;
    }

    // The end record names the last part, the part where the directory starts and the
    // entries on the last part.
    std::string writeEndRecord(std::size_t memberCount, DirectoryPlace& place, const std::string& comment) {
        auto [lastDisk, endOffset] = beginRecord(kEndCentralSize + comment.size());
        if (memberCount == 0) {
            place.startDisk = lastDisk;
            place.startOffset = endOffset;
        }
        TEndCentral end;
        end.thisDisk = lastDisk;
        end.centralStartDisk = place.startDisk;
        end.entriesThisDisk = std::uint64_t(std::count(place.disks.begin(), place.disks.end(), lastDisk));
        end.totalEntries = memberCount;
        end.centralSize = place.size;
        end.centralOffset = place.startOffset;
        end.setComment(comment);
        const std::string rec = end.encode(endOffset);
        put(rec);
        return rec;
    }

    void saveZipInfo(const std::string& directory) {
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
