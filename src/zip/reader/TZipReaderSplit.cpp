// Reading split archives: a set is a row of numbered part files (or files that the
// owner's OnGetNextDisk handler names). The end record stands in the last part; the
// directory may start in an earlier part and run on over several; each member's local
// header and data are found by part number and offset within that part. When the
// file opened has no end record, a ".zfc" file beside it may hold a copy of the set's
// directory, written by the writer for just that case (the last part lost).
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "zip/TZipReader.h"
#include "zip/ZipErrors.h"
#include "zip/io/TMemoryStream.h"
#include "zip/split/SplitPartNames.h"
#include "zip/split/SplitSetStream.h"

namespace zb::zip {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Reads `count` central records from `dir` (positioned at the first) into `members`,
// each with its comment, since a set's directory is not at hand later. False when a
// record cannot be read or is refused.
bool readDirectoryRecords(TStream& dir, std::uint64_t count, TSortedZip& members) {
    for (std::uint64_t n = 0; n < count; ++n) {
        auto h = std::make_unique<TZipHeaderInfo>();
        if (!h->readCentral(dir)) return false;
        if (h->hasComment()) {
            const std::int64_t after = dir.position();
            std::string text(h->fileCommentLength, '\0');
            dir.seek(std::int64_t(h->centralOffset + 46 + h->fileNameLength + h->extraFieldLength), soFromBeginning);
            text.resize(dir.read(text.data(), text.size()));
            const std::uint16_t keep = h->fileCommentLength;
            h->setFileComment(text);
            h->fileCommentLength = keep;
            dir.seek(after, soFromBeginning);
        }
        try {
            members.add(h.get());
        } catch (const EListError&) {
            return false;
        }
        h.release();
    }
    return true;
}

}  // namespace

std::string TZipReader::partPath(std::uint32_t disk) {
    if (openPartNumber_ >= 0 && std::uint32_t(openPartNumber_) == disk) return zipName_;
    // Asked until an existing file comes back; an empty name gives up. A handler that
    // names the same missing file twice would be asked forever, and the own handler
    // always names the same file: both give up too.
    std::string previous;
    for (int attempt = 0;; ++attempt) {
        std::string name = zipName_;
        if (OnGetNextDisk) {
            OnGetNextDisk(*this, int(disk) + 1, name);
        } else {
            name = splitPartFileName(zipName_, int(disk) + 1);
        }
        if (name.empty()) throw EUserCanceled(msg::kCanceledNewDisk);
        if (isRegularFile(name)) return name;
        // Nobody cancelled: the part is simply not there, which is a fault of the set
        // (or a single file whose records claim a set), not a user's decision.
        if (!OnGetNextDisk || (attempt > 0 && name == previous))
            throw EBadZipFile("Part " + std::to_string(disk + 1) + " of the split archive is missing (" + name + ")");
        previous = name;
    }
}

TStream& TZipReader::memberStream() {
    if (!splitSet_) return *archive_;
    if (!split_) split_ = std::make_unique<SplitSetStream>([this](std::uint32_t disk) { return partPath(disk); });
    return *split_;
}

void TZipReader::selectMemberPart(std::uint32_t disk) {
    memberStream();
    split_->setBasePart(disk);
}

void TZipReader::readSplitDirectory() {
    splitSet_ = true;
    openPartNumber_ = std::int64_t(endCentral_.thisDisk);
    // The archive comment stands behind the end record, in the part that is open.
    loadArchiveComment();
    selectMemberPart(endCentral_.centralStartDisk);
    // Read in pieces: the stated size is the end record's word only, and a damaged
    // record must not make the reader set aside gigabytes the parts do not hold.
    constexpr std::size_t kPiece = 64 * 1024;
    std::vector<std::uint8_t> bytes;
    split_->seek(std::int64_t(endCentral_.centralOffset), soFromBeginning);
    for (std::uint64_t left = endCentral_.centralSize; left > 0;) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(left, kPiece));
        const std::size_t at = bytes.size();
        bytes.resize(at + want);
        const std::size_t got = split_->read(bytes.data() + at, want);
        bytes.resize(at + got);
        if (got < want) break;
        left -= want;
    }
    split_->closePart();
    TMemoryStream dir(std::move(bytes));
    if (!readDirectoryRecords(dir, endCentral_.totalEntries, *members_)) {
        ClearArchive();
        throw EBadZipFile();
    }
}

bool TZipReader::readZipInfoFile() {
    const std::string path = zipInfoFileName(zipName_);
    if (path == zipName_ || !isRegularFile(path)) return false;
    TLFNFileStream file(path, TFileMode::OpenRead, kZipBufferSize);
    TEndCentral end;
    if (!end.find(file) || end.zip64) return false;
    endCentral_.assign(end);
    endCentral_.endRecordPosition = end.endRecordPosition;
    if (endCentral_.commentLength != 0) {
        std::string text(endCentral_.commentLength, '\0');
        file.seek(std::int64_t(endCentral_.commentPosition), soFromBeginning);
        text.resize(file.read(text.data(), text.size()));
        endCentral_.setComment(text);
    }
    archiveCommentLoaded_ = true;
    // The directory is the file's start; the part numbers in it still say where each
    // member's data stands.
    file.seek(0, soFromBeginning);
    if (!readDirectoryRecords(file, endCentral_.totalEntries, *members_)) {
        members_->clear();
        endCentral_.clear();
        archiveCommentLoaded_ = false;
        return false;
    }
    splitSet_ = endCentral_.thisDisk != 0;
    for (TZipHeaderInfo* h : *members_)
        if (h->diskNumberStart != 0) splitSet_ = true;
    openPartNumber_ = splitSet_ ? -1 : 0;
    return true;
}

}  // namespace zb::zip
