// Reading an archive's directory: the end record, the central records, and the
// rebuild of the member list from the local headers when the directory is damaged or
// missing. Archives with data in front (self-extracting stubs), ZIP64 end records and
// more than 65,535 members without ZIP64 records are read too.
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "platform/Paths.h"
#include "zip/TZipReader.h"
#include "zip/ZipErrors.h"
#include "zip/records/DataDescriptor.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipRecords.h"
#include "zip/split/SplitSetStream.h"

namespace zb::zip {

namespace {

// Where the data of a member with a data descriptor ends, found by looking for the
// descriptor itself: with its signature and a compressed size equal to the distance
// travelled, or without a signature but followed by the next record's signature.
bool isRecordSignature(std::uint32_t sig) {
    return sig == kLocalHeaderSignature || sig == kCentralHeaderSignature || sig == kEndCentralSignature ||
           sig == kZip64EndSignature;
}

std::optional<DataDescriptor> findDescriptor(TStream& s, std::uint64_t dataStart, std::uint64_t fileSize,
                                             const std::function<void()>& tick) {
    constexpr std::size_t kChunk = 1 << 20;
    constexpr std::size_t kLook = 28;  // the longest descriptor and a signature after it
    std::vector<std::uint8_t> buf;
    std::uint64_t base = dataStart;
    while (base < fileSize) {
        tick();
        std::size_t want = std::size_t(std::min<std::uint64_t>(kChunk + kLook, fileSize - base));
        buf.resize(want);
        s.seek(std::int64_t(base), soFromBeginning);
        want = s.read(buf.data(), want);
        std::size_t limit = want >= kLook ? want - kLook + 1 : 0;
        if (base + want >= fileSize) limit = want;  // last chunk: look at every position
        for (std::size_t i = 0; i < limit; ++i) {
            const std::uint64_t dist = base + i - dataStart;
            auto avail = want - i;
            const std::uint8_t* p = buf.data() + i;
            if (avail >= 16 && getU32(p) == kDataDescriptorSignature) {
                for (const bool wide : {false, true}) {
                    const auto d = DataDescriptor::decode(p, avail, true, wide);
                    if (d && d->compressedSize == dist) return d;
                }
            }
            if (avail >= 16 && getU32(p + 4) == dist && isRecordSignature(getU32(p + 12))) {
                return DataDescriptor::decode(p, avail, false, false);
            }
        }
        if (limit == 0) break;
        base += limit;
    }
    return std::nullopt;
}

std::string lowerExt(const std::string& path) {
    std::string ext = platform::extractFileExt(path);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

void TZipReader::ReadDirectory() {
    CancelRequested = false;
    for (;;) {
        auto before = stampOf();
        try {
            readDirectoryOnce();
            break;
        } catch (const EIncompleteZip&) {
            ClearArchive();
            // With a handler, try again once it has supplied the missing part; a
            // handler that changed nothing would only make this loop forever.
            if (!OnInCompleteZip || stampOf() == before) return;
        } catch (...) {
            ClearArchive();
            throw;
        }
    }
    CloseArchive();
}

void TZipReader::readDirectoryOnce() {
    openArchive();
    auto stamp = stampOf();
    if (loaded_ && stamp_ && stamp == stamp_) return;
    stamp_ = stamp;
    warnings_.clear();
    warningSet_.clear();
    sorted_.reset();
    members_ = std::make_unique<TSortedZip>(ByNone, TDuplicates::Reject, true);
    loaded_ = false;
    endCentral_.clear();
    archiveCommentLoaded_ = false;
    directoryChanged_ = false;
    currentPart_ = 0;
    split_.reset();
    splitSet_ = false;
    openPartNumber_ = -1;

    std::int64_t rebuildEnd = 0;
    if (!endCentral_.find(*archive_)) {
        if (readZipInfoFile()) {
            buildView();
            loaded_ = true;
            return;
        }
        TIncompleteZipMode mode = IncompleteZipMode;
        if (OnInCompleteZip) OnInCompleteZip(*this, mode);
        if (mode == izAssumeNotAZip) throw ENotAZipFile();
        if (mode == izAssumeMulti) throw EIncompleteZip();
        if (!rebuildFromLocalHeaders(rebuildEnd)) {
            ClearArchive();
            throw EBadZipFile();
        }
        warn("the end of the central directory is missing; the directory was rebuilt from the local headers");
        readCentralRecords(std::uint64_t(rebuildEnd), ~0ull, true, 0);
    } else if (endCentral_.thisDisk != 0 || endCentral_.centralStartDisk != 0) {
        readSplitDirectory();
    } else if (endCentral_.totalEntries != 0 || endCentral_.centralSize != 0) {
        // Data in front of the archive (a self-extracting stub) moves every offset by
        // the same amount; the records themselves tell where the directory ends.
        const std::uint64_t dirEnd =
            endCentral_.zip64 ? endCentral_.zip64RecordPosition : endCentral_.endRecordPosition;
        const std::uint64_t stated = endCentral_.centralOffset + endCentral_.centralSize;
        const std::uint64_t shift = dirEnd > stated ? dirEnd - stated : 0;
        auto localSignatureAt = [this](std::uint64_t offset) {
            const std::uint64_t size = std::uint64_t(archive_->size());
            if (size < 4 || offset > size - 4) return false;
            std::uint8_t sig[4];
            archive_->seek(std::int64_t(offset), soFromBeginning);
            return archive_->read(sig, sizeof sig) == sizeof sig && getU32(sig) == kLocalHeaderSignature;
        };
        bool ok = readCentralRecords(endCentral_.centralOffset, endCentral_.totalEntries, false, 0);
        if (!ok && shift > 0) {
            members_->clear();
            ok = readCentralRecords(endCentral_.centralOffset + shift, endCentral_.totalEntries, false, shift);
            if (ok && members_->count() > 0 && !localSignatureAt((*members_)[0]->relativeOffset) &&
                localSignatureAt((*members_)[0]->relativeOffset - shift)) {
                // Only the directory's own offset was wrong (damage, not a stub in
                // front): the members stand where their records say.
                for (TZipHeaderInfo* h : *members_) h->relativeOffset -= shift;
                warn("the end record gives a wrong offset for the central directory (" +
                     std::to_string(endCentral_.centralOffset) + " instead of " +
                     std::to_string(endCentral_.centralOffset + shift) + ")");
            }
        }
        if (!ok) {
            members_->clear();
            if (!rebuildFromLocalHeaders(rebuildEnd)) {
                ClearArchive();
                throw EBadZipFile();
            }
            warn("the central directory could not be read as it stands and was rebuilt from the local headers");
            readCentralRecords(std::uint64_t(rebuildEnd), ~0ull, true, 0);
        }
    }
    buildView();
    loaded_ = true;
}

bool TZipReader::readCentralRecords(std::uint64_t start, std::uint64_t count, bool afterRebuild, std::uint64_t shift) {
    // A directory offset beyond the file (a damaged ZIP64 value may not even be a valid
    // position) holds no records.
    if (start >= std::uint64_t(archive_->size())) return afterRebuild;
    archive_->seek(std::int64_t(start), soFromBeginning);
    std::unordered_map<std::string, TZipHeaderInfo*> byName;
    std::unordered_map<std::uint64_t, TZipHeaderInfo*> byOffset;
    if (afterRebuild) {
        for (TZipHeaderInfo* h : *members_) {
            byName.emplace(h->storedName(), h);
            byOffset.emplace(h->relativeOffset, h);
        }
    }
    TZipHeaderInfo* previous = nullptr;
    std::uint16_t previousExtra = 0;
    std::unordered_set<const TZipHeaderInfo*> matched;

    // Reads one record; false when none can be read here.
    auto readOne = [&](TZipHeaderInfo& h) {
        if (h.readCentral(*archive_)) return true;
        if (previous && previousExtra != 0) {
            // Once more, a record's extra-field length back.
            std::int64_t here = archive_->position();
            archive_->seek(here - previousExtra, soFromBeginning);
            if (h.readCentral(*archive_)) {
                previous->extraFieldLength = 0;
                return true;
            }
            archive_->seek(here, soFromBeginning);
        }
        return false;
    };
    // Takes a record into the list; false when the list refuses it.
    auto take = [&](std::unique_ptr<TZipHeaderInfo>& h) {
        h->relativeOffset += shift;
        previousExtra = h->extraFieldLength;
        if (afterRebuild) {
            auto it = byName.find(h->storedName());
            TZipHeaderInfo* found = it != byName.end() ? it->second : nullptr;
            if (!found) {
                auto jt = byOffset.find(h->relativeOffset);
                if (jt != byOffset.end()) found = jt->second;
            }
            if (!found) {
                warn("central record of \"" + h->storedName() + "\" matches no local header and was dropped");
            } else if (!matched.insert(found).second) {
                // Several records for one member (by name or by local header): the
                // first keeps it.
                warn("central record of \"" + h->storedName() +
                     "\" repeats a member another record already names, and was dropped");
                found = nullptr;
            }
            if (found) {
                std::uint64_t localAt = found->relativeOffset;
                found->assign(*h);
                found->relativeOffset = localAt;
                previous = found;
            }
            return true;
        }
        try {
            members_->add(h.get());
        } catch (const EListError&) {
            return false;
        }
        previous = h.release();
        return true;
    };

    for (std::uint64_t n = 0; n < count; ++n) {
        if ((n & 1023) == 0) processMessagesAndCancel();
        auto h = std::make_unique<TZipHeaderInfo>();
        if (!readOne(*h)) return afterRebuild;
        if (!take(h)) return false;
    }
    // A 16-bit member count cannot say more than 65,535; some tools write more members
    // without ZIP64 records (the count wraps). Records that follow up to the end record
    // belong too.
    // A ZIP64 count that came out too low (damage) is made good the same way, up to the
    // ZIP64 end record.
    if (!afterRebuild) {
        const std::uint64_t dirEnd =
            endCentral_.zip64 ? endCentral_.zip64RecordPosition : endCentral_.endRecordPosition;
        std::uint64_t before = std::uint64_t(members_->count());
        while (std::uint64_t(archive_->position()) + kCentralHeaderSize <= dirEnd) {
            if (((members_->count()) & 1023) == 0) processMessagesAndCancel();
            auto h = std::make_unique<TZipHeaderInfo>();
            if (!h->readCentral(*archive_)) break;
            if (!take(h)) break;
        }
        const std::uint64_t found = std::uint64_t(members_->count());
        // A 16-bit count that wrapped is what those tools write, not damage.
        if (found != count && (endCentral_.zip64 || (found & 0xFFFF) != (count & 0xFFFF)))
            warn("the end record states " + std::to_string(count) + " members; the directory holds " +
                 std::to_string(found));
        if (found != before) endCentral_.totalEntries = endCentral_.entriesThisDisk = found;
    }
    return true;
}

bool TZipReader::rebuildFromLocalHeaders(std::int64_t& endPosition) {
    const std::uint64_t fileSize = std::uint64_t(archive_->size());
    std::uint64_t pos = lowerExt(zipName_) == ".exe" ? 14000 : 0;

    // Find the first local header signature whose version's high byte is below 10.
    bool found = false;
    {
        std::vector<std::uint8_t> buf(65536 + 6);
        std::uint64_t sinceTick = 0;
        while (!found && pos < fileSize) {
            archive_->seek(std::int64_t(pos), soFromBeginning);
            std::size_t got = archive_->read(buf.data(), buf.size());
            if (got < 6) break;
            std::size_t i = 0;
            for (; i + 6 <= got; ++i) {
                if (++sinceTick >= 10240) {
                    sinceTick = 0;
                    processMessagesAndCancel();
                }
                if (buf[i] == 0x50 && getU32(&buf[i]) == kLocalHeaderSignature && buf[i + 5] < 10) {
                    found = true;
                    break;
                }
            }
            pos += i;
            if (!found && got < buf.size()) break;
        }
    }
    if (!found) return false;

    auto tick = [this] { processMessagesAndCancel(); };
    for (;;) {
        archive_->seek(std::int64_t(pos), soFromBeginning);
        auto h = std::make_unique<TZipHeaderInfo>();
        if (!h->readLocal(*archive_)) break;
        const std::uint64_t dataStart = pos + h->localHeaderSize();
        std::uint64_t next = dataStart + h->compressedSize;
        if (h->hasDataDescriptor()) {
            // The sizes follow the data; find where it ends.
            auto d = findDescriptor(*archive_, dataStart, fileSize, tick);
            if (!d) break;
            h->compressedSize = d->compressedSize;
            h->uncompressedSize = d->uncompressedSize;
            h->crc32 = d->crc;
            next = dataStart + d->compressedSize + d->length;
        }
        try {
            members_->add(h.get());
        } catch (const EListError&) {
            break;
        }
        h.release();
        if (next > fileSize) break;
        pos = next;
        tick();
    }
    endPosition = std::int64_t(pos);
    endCentral_.clear();
    endCentral_.centralOffset = pos;
    endCentral_.totalEntries = endCentral_.entriesThisDisk = std::uint64_t(members_->count());
    return true;
}

}  // namespace zb::zip
