// The writer's properties and its zip run. The run's steps live in ZipWriterRun.cpp;
// this file holds their order and what happens on success and on failure: a failed
// run deletes what it wrote and leaves an existing archive exactly as it was.
#include "zip/TZipWriter.h"

#include <filesystem>
#include <stdexcept>

#include "zip/io/TFileStream.h"

#include "zip/ZipErrors.h"
#include "zip/writer/ZipWriterRun.h"

namespace zb::zip {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

TZipWriter::TZipWriter() = default;
TZipWriter::~TZipWriter() = default;

void TZipWriter::SetPackLevel(int level) {
    if (level < 0 || level > 9) throw std::out_of_range("PackLevel must lie in 0 to 9");
    packLevel_ = level;
}

void TZipWriter::SetThreads(int value) {
    if (value < 1) throw std::out_of_range("Threads must be at least 1");
    threads_ = value;
}

void TZipWriter::SetStorePaths(bool value) {
    if (value == storePaths_) return;
    storePaths_ = value;
    if (!value) {
        storeVolumes_ = false;
        relativePaths_ = false;
    }
}

void TZipWriter::SetRelativePaths(bool value) {
    if (value == relativePaths_) return;
    relativePaths_ = value;
    if (value) {
        storePaths_ = true;
        recurse_ = true;
    }
}

void TZipWriter::SetStoreVolumes(bool value) {
    if (value == storeVolumes_) return;
    storeVolumes_ = value;
    if (value) storePaths_ = true;
}

void TZipWriter::SetZipName(const std::string& name) {
    if (name == ZipName()) return;
    if (!Busy() && endCentral_.modified && commentRunWanted()) {
        // The comment was changed for the current archive: write it there first.
        FilesList.clear();
        Zip();
    }
    endCentral_.modified = 0;
    TZipReader::SetZipName(name);
}

const TZipHeaderInfo& TZipWriter::memberInArchiveOrder(int index) { return *members_->item(index); }

const TZipHeaderInfo* TZipWriter::memberAtOffset(std::uint32_t disk, std::uint64_t offset) {
    TSortedZip* list = members_.get();
    if (!list) return nullptr;
    // The list is in archive order: a binary search finds the offset.
    int lo = 0, hi = list->count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const TZipHeaderInfo* h = list->item(mid);
        if (h->diskNumberStart == disk && h->relativeOffset == offset) return h;
        if (h->diskNumberStart < disk || (h->diskNumberStart == disk && h->relativeOffset < offset))
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return nullptr;
}

bool TZipWriter::commentRunWanted() {
    // Only an archive that exists can take the comment, and only when it differs.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(ZipName(), ec)) return false;
    try {
        TFileStream stream(ZipName(), TFileMode::OpenRead);
        TEndCentral end;
        if (!end.find(stream)) return false;
        std::string current(end.commentLength, '\0');
        stream.seek(std::int64_t(end.commentPosition), soFromBeginning);
        if (stream.read(current.data(), current.size()) != current.size()) return true;
        return current != endCentral_.comment().value_or("");
    } catch (const EZipError&) {
        return false;
    }
}

void TZipWriter::adoptWrittenArchive(bool keepCommentMark, const std::string& comment) {
    ClearArchive();
    // A split set is read from its last part, which ZipName does not name.
    if (multiZipInfo_.MultiMode == mmNone) ReadDirectory();
    endCentral_.setComment(comment);
    endCentral_.modified = keepCommentMark ? 1 : 0;
    archiveCommentLoaded_ = true;
}

int TZipWriter::Zip() {
    CancelRequested = false;
    if (trimmed(ZipName()).empty()) {
        if (OnZipComplete) OnZipComplete(*this, 0);
        return 0;
    }
    busy_ = true;
    const TZipSortMode oldSortMode = SortMode();
    const bool oldKeepOpen = KeepZipOpen;
    KeepZipOpen = true;
    SetSortMode(ByNone);

    Run run(*this);
    auto restore = [&] {
        SetSortMode(oldSortMode);
        KeepZipOpen = oldKeepOpen;
        CloseArchive();
        busy_ = false;
        FilesList.clear();
    };
    try {
        if (!FilesList.empty()) run.expand();
        if (run.updating) run.readOldArchive();
        run.openOutput();
        if (run.updating) run.updatePass();

        if (!FilesList.empty()) {
            bool stopNow = false;
            TEndCentral info;
            info.setComment(run.comment);
            if (OnStartZipInfo)
                OnStartZipInfo(*this, int(FilesList.size()), std::int64_t(run.totalBytes), info, stopNow);
            if (stopNow) throw EUserCanceled("User canceled Zip operation");
            if (info.comment().value_or("") != run.comment) run.comment = info.comment().value_or("");
        }
        // Entries are taken one at a time, so a handler may look at the list meanwhile.
        const std::vector<std::string> files = FilesList;
        if (threads_ > 1 && !files.empty()) run.startPool();
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (run.zipListed(files, i)) {
                ++run.count;
                if (dispose_) run.disposeList.push_back(files[i]);
            }
        }
        run.writeDirectory();
        // The component reads the finished archive's directory below: the run's own
        // copy of it goes first, so that the two never take memory at once.
        run.releaseDirectory();
        run.pool.reset();
        run.finishOutput();
        if (run.split)
            run.layOntoParts();
        else if (run.updating)
            run.replaceArchive();
    } catch (...) {
        run.discardTarget();
        restore();
        throw;
    }
    if (dispose_) run.disposePass();
    std::vector<std::string>().swap(FilesList);
    adoptWrittenArchive(run.commentWasModified && !run.updating, run.comment);
    restore();
    if (OnZipComplete) OnZipComplete(*this, run.count);
    return run.count;
}

}  // namespace zb::zip
