// The finder's properties, the start of a search and its completion. The properties
// are copied into the search's own settings when it starts, so a worker never reads
// the finder, and events always run where the finder's owner runs.
#include "findfile/FindFile.h"

#include "findfile/FolderSearch.h"
#include "findfile/SearchThread.h"

namespace zb::findfile {

TFindFile::TFindFile(platform::OwnerThread* ownerThread) : ownerThread_(ownerThread) {}

TFindFile::~TFindFile() {
    destroying_ = true;
    stop_.store(true);
    worker_.reset();
}

void TFindFile::SetFilename(std::string_view value) {
    if (value.find('/') != std::string_view::npos) throw EFindFileError::invalidFilename(value);
    filename_ = value;
}

void TFindFile::SetLocation(std::string_view value) {
    if (value.find_first_of("*?") != std::string_view::npos) throw EFindFileError::wildcardsInLocation(value);
    location_ = value;
}

void TFindFile::SetThreadPriority(TThreadPriority value) {
    threadPriority_ = value;
    if (worker_) worker_->setPriority(value);
}

SearchSettings TFindFile::prepare() const {
    SearchSettings s;
    s.targets = includeFiles_.empty() ? targetsFromLocation(location_, filename_) : targetsFromLines(includeFiles_);
    s.attributes = attributes_;
    s.exactAttribute = exactAttribute_;
    s.subfolders = subfolders_;
    s.excludeFiles = excludeFiles_;
    s.created = created_;
    s.modified = modified_;
    s.accessed = accessed_;
    s.sizeMin = sizeMin_;
    s.sizeMax = sizeMax_;
    s.containing = containing_;
    s.ignoreCase = ignoreCase_;
    return s;
}

bool TFindFile::raiseNewFolder(const std::string& folder) {
    bool ignore = false;
    if (!destroying_ && OnNewFolder) OnNewFolder(*this, folder, ignore);
    return ignore;
}

void TFindFile::raiseFound(const std::string& folder, TSearchRec& record) {
    if (!destroying_ && OnFound) OnFound(*this, folder, record);
}

void TFindFile::complete() {
    busy_.store(false);
    if (!destroying_ && OnComplete) OnComplete(*this);
}

void TFindFile::Execute() {
    if (busy_.load()) return;
    busy_.store(true);
    aborted_.store(false);
    stop_.store(false);
    if (threaded_ && ownerThread_) {
        startWorker();
    } else {
        runOnCallersThread();
    }
}

void TFindFile::runOnCallersThread() {
    try {
        const SearchSettings settings = prepare();
        FolderSearch::Callbacks callbacks;
        callbacks.newFolder = [this](const std::string& folder) { return raiseNewFolder(folder); };
        callbacks.found = [this](const std::string& folder, const platform::FileEntry& entry) {
            TSearchRec record = TSearchRec::fromEntry(entry);
            raiseFound(folder, record);
        };
        FolderSearch(settings, std::move(callbacks), stop_).run();
    } catch (...) {
        // An error ends the search quietly; Aborted() tells the caller.
        aborted_.store(true);
    }
    if (stop_.load()) aborted_.store(true);
    complete();
}

void TFindFile::startWorker() {
    SearchSettings settings;
    try {
        settings = prepare();
    } catch (...) {
        aborted_.store(true);
        complete();
        return;
    }
    TSearchThread::Handlers handlers;
    handlers.newFolder = [this](const std::string& folder) { return raiseNewFolder(folder); };
    handlers.found = [this](const std::string& folder, TSearchRec& record) { raiseFound(folder, record); };
    handlers.terminated = [this](bool aborted) {
        // The termination notice: forget the worker (it has ended), then complete.
        worker_.reset();
        if (aborted) aborted_.store(true);
        complete();
    };
    worker_ = std::make_unique<TSearchThread>(std::move(settings), *ownerThread_, std::move(handlers),
                                              threadPriority_);
}

void TFindFile::Abort() {
    if (!busy_.load()) return;
    aborted_.store(true);
    stop_.store(true);
    if (worker_) worker_->requestStop();
}

}  // namespace zb::findfile
