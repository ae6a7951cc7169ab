// The file finder: finds the files of one or more folders that match a file mask and a
// set of filters (attributes, size, creation, modification and access times, excluded
// paths, contained text) and reports each through its found event. It searches on the
// caller's thread, or, when `Threaded`, on a worker thread whose every event is handed
// to the owner's thread, so that handlers never run on the worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "findfile/FileAttributeSet.h"
#include "findfile/FindFileError.h"
#include "findfile/SearchRecord.h"
#include "findfile/SearchSettings.h"
#include "findfile/ThreadPriority.h"
#include "platform/DateTime.h"
#include "platform/OwnerThread.h"

namespace zb::findfile {

class TSearchThread;

class TFindFile {
public:
    using TFoundEvent = std::function<void(TFindFile& sender, const std::string& folder, TSearchRec& fileInfo)>;
    using TNewFolderEvent = std::function<void(TFindFile& sender, const std::string& folder, bool& ignoreFolder)>;
    using TNotifyEvent = std::function<void(TFindFile& sender)>;

    // `ownerThread` is where a threaded search delivers its events; it must outlive the
    // finder. Without one, a threaded search runs on the caller's thread instead.
    explicit TFindFile(platform::OwnerThread* ownerThread = nullptr);
    // Stops a running worker and waits for it; no event is raised from here on. Not to
    // be destroyed from inside one of its own handlers.
    ~TFindFile();
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    // The file mask, without folder ("*.*" by default). A value with a folder part
    // raises EFindFileError.
    const std::string& Filename() const { return filename_; }
    void SetFilename(std::string_view value);

    // Folders separated by ";". A value with "*" or "?" raises EFindFileError.
    const std::string& Location() const { return location_; }
    void SetLocation(std::string_view value);

    // Folder-plus-mask lines; when not empty they replace Location and Filename.
    const std::vector<std::string>& IncludeFiles() const { return includeFiles_; }
    void SetIncludeFiles(std::vector<std::string> lines) { includeFiles_ = std::move(lines); }

    // Path patterns of entries that are not reported.
    const std::vector<std::string>& ExcludeFiles() const { return excludeFiles_; }
    void SetExcludeFiles(std::vector<std::string> lines) { excludeFiles_ = std::move(lines); }

    bool Subfolders() const { return subfolders_; }
    void SetSubfolders(bool value) { subfolders_ = value; }

    TFileAttributes Attributes() const { return attributes_; }
    void SetAttributes(TFileAttributes value) { attributes_ = value; }
    bool ExactAttribute() const { return exactAttribute_; }
    void SetExactAttribute(bool value) { exactAttribute_ = value; }

    // Date bounds, inclusive; 0 is no bound (see DateBounds for whole days and times).
    platform::DateTime ModifiedBefore() const { return modified_.before; }
    void SetModifiedBefore(platform::DateTime value) { modified_.before = value; }
    platform::DateTime ModifiedAfter() const { return modified_.after; }
    void SetModifiedAfter(platform::DateTime value) { modified_.after = value; }
    platform::DateTime CreatedBefore() const { return created_.before; }
    void SetCreatedBefore(platform::DateTime value) { created_.before = value; }
    platform::DateTime CreatedAfter() const { return created_.after; }
    void SetCreatedAfter(platform::DateTime value) { created_.after = value; }
    platform::DateTime AccessedBefore() const { return accessed_.before; }
    void SetAccessedBefore(platform::DateTime value) { accessed_.before = value; }
    platform::DateTime AccessedAfter() const { return accessed_.after; }
    void SetAccessedAfter(platform::DateTime value) { accessed_.after = value; }

    // Size bounds in bytes (folders are not tested); 0 is no bound.
    std::uint64_t SizeMin() const { return sizeMin_; }
    void SetSizeMin(std::uint64_t value) { sizeMin_ = value; }
    std::uint64_t SizeMax() const { return sizeMax_; }
    void SetSizeMax(std::uint64_t value) { sizeMax_ = value; }

    // Text a file must contain; empty for no contents test.
    const std::string& Containing() const { return containing_; }
    void SetContaining(std::string_view value) { containing_ = value; }
    bool IgnoreCase() const { return ignoreCase_; }
    void SetIgnoreCase(bool value) { ignoreCase_ = value; }

    bool Threaded() const { return threaded_; }
    void SetThreaded(bool value) { threaded_ = value; }
    // The worker's priority; also changes the priority of a worker that is running.
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority value);

    platform::OwnerThread* OwnerThread() const { return ownerThread_; }
    void SetOwnerThread(platform::OwnerThread* value) { ownerThread_ = value; }

    // Starts a search; does nothing while one is running. Without `Threaded` every
    // event has arrived when it returns; with it, it returns at once and the events
    // arrive on the owner's thread, OnComplete last.
    void Execute();
    // Ends the running search after the current entry; no found or new-folder event
    // follows, and OnComplete still arrives. Aborted() then tells so. Like Execute and
    // the setters, called on the owner's thread (a handler may call it).
    void Abort();

    bool Busy() const { return busy_.load(); }
    // The last search ended before its end: stopped, or ended by an error.
    bool Aborted() const { return aborted_.load(); }

    TFoundEvent OnFound;
    TNewFolderEvent OnNewFolder;
    TNotifyEvent OnComplete;

private:
    SearchSettings prepare() const;
    void runOnCallersThread();
    void startWorker();
    void complete();
    bool raiseNewFolder(const std::string& folder);
    void raiseFound(const std::string& folder, TSearchRec& record);

    platform::OwnerThread* ownerThread_;
    std::string filename_ = "*.*";
    std::string location_;
    std::vector<std::string> includeFiles_;
    std::vector<std::string> excludeFiles_;
    bool subfolders_ = true;
    TFileAttributes attributes_{ffArchive, ffReadonly, ffHidden, ffSystem};
    bool exactAttribute_ = false;
    DateBounds modified_, created_, accessed_;
    std::uint64_t sizeMin_ = 0;
    std::uint64_t sizeMax_ = 0;
    std::string containing_;
    bool ignoreCase_ = true;
    bool threaded_ = false;
    TThreadPriority threadPriority_ = tpNormal;

    std::atomic<bool> busy_{false};
    std::atomic<bool> aborted_{false};
    std::atomic<bool> stop_{false};  // the walk on the caller's thread
    std::atomic<bool> destroying_{false};
    std::unique_ptr<TSearchThread> worker_;
};

}  // namespace zb::findfile
