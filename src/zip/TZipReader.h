// The reading half of the archive engine: opens an archive, loads its central
// directory into a member list (rebuilding it from the local headers when it is
// damaged), answers questions about the members, and extracts them to files (UnZip)
// or into the caller's memory (UnZipToBuffer) with overwrite rules, passwords, CRC
// checks and progress events. The writer derives from it and shares its archive
// state, member list, cipher and CRC.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/DateTime.h"
#include "zip/ZipReaderTypes.h"
#include "zip/crypto/ZipCrypto.h"
#include "zip/io/TLFNFileStream.h"
#include "zip/records/TEndCentral.h"
#include "zip/records/TSortedZip.h"

namespace zb::platform {
class Ui;
}

namespace zb::zip {

class SplitSetStream;

class TZipReader {
public:
    static constexpr int kThisVersion = 222;

    TZipReader();
    virtual ~TZipReader();
    TZipReader(const TZipReader&) = delete;
    TZipReader& operator=(const TZipReader&) = delete;

    // ---- Published properties ----
    int ThisVersion() const { return kThisVersion; }

    const std::string& ZipName() const { return zipName_; }
    // A name equal to the current one changes nothing; a name ending in "?" asks the
    // user through the Ui (EUserCanceled when cancelled); any other name clears the
    // archive state so that the next operation reads the new archive.
    void SetZipName(const std::string& name);

    const std::string& DestDir() const { return destDir_; }
    // "?" asks the user for a folder (EUserCanceled when cancelled); one trailing "/"
    // is removed.
    void SetDestDir(const std::string& dir);

    const std::string& RootDir() const { return rootDir_; }
    // Empty clears it; otherwise it is kept with a trailing "/".
    void SetRootDir(const std::string& dir);

    TZipSortMode SortMode() const { return sortMode_; }
    void SetSortMode(TZipSortMode mode);

    bool RecreateDirs = false;
    TUZOverwriteMode OverwriteMode = Prompt;
    // Wildcard patterns of the members to extract when DoAll is false; "\" in a pattern
    // counts as "/". Cleared at the end of every extraction.
    std::vector<std::string> FilesList;
    bool DoAll = false;
    TIncompleteZipMode IncompleteZipMode = izAssumeMulti;
    bool KeepZipOpen = false;
    bool DoProcessMessages = true;
    bool RetainAttributes = true;
    bool ReplaceReadOnly = false;
    bool FlushFilesOnClose = false;
    // Threads that extract at once. With more than one, workers read and decode the
    // next members (those without a password) into memory while this thread writes
    // the current one and raises every event; the files, events and reports are the
    // same as with one. The default is one; below 1 raises std::out_of_range.
    int Threads() const { return extractThreads_; }
    void SetThreads(int value);

    TStartUnzipInfo OnStartUnZipInfo;
    TFilePercentDone OnFilePercentDone;
    TTotalPercentDone OnTotalPercentDone;
    TStartUnZipEvent OnStartUnZip;
    TEndUnZipEvent OnEndUnZip;
    TPromptForOverwrite OnPromptForOverwrite;
    TSkippingFile OnSkippingFile;
    TBadPassword OnBadPassword;
    TBadCRC OnBadCRC;
    TIncompleteZip OnInCompleteZip;
    TGetNextDisk OnGetNextDisk;
    TUnZipComplete OnUnZipComplete;
    TGetNextBuffer OnGetNextBuffer;

    // ---- Public state ----
    std::string Password;
    // Set by the owner (any thread) to stop the running operation at the next block.
    std::atomic<bool> CancelRequested{false};
    // Runs during long loops while DoProcessMessages is set (the window processes its
    // pending events here).
    std::function<void()> ProcessMessages;
    // Dialogs and message boxes of the engine (the "?" names, the overwrite question
    // without a handler, "Unknown Compression Method"); none when null.
    platform::Ui* Ui = nullptr;

    // ---- Operations ----
    // Loads the member list of ZipName (nothing happens when it is loaded and the file
    // has not changed since).
    void ReadDirectory();
    int MemberCount() const;
    // Accessors by index in the current view; EListError "Index %d is out of range".
    const TZipHeaderInfo& Member(int index) const;
    std::string MemberFileName(int index) const;
    std::string MemberPath(int index) const;
    std::uint64_t MemberPackedSize(int index) const;
    platform::DateTime MemberDateTime(int index) const;
    std::string MemberComment(int index);
    std::string ArchiveComment();
    void SetMemberComment(int index, const std::string& comment);
    void SetArchiveComment(const std::string& comment);
    // Extracts the selected members to files; returns how many were extracted.
    int UnZip();
    // The same selection, passwords, CRC checks and events, but each member's bytes go
    // to OnGetNextBuffer (or nowhere) instead of a file: testing an archive writes
    // nothing. Returns how many members decoded with a correct CRC.
    int UnZipToBuffer();
    // Copies the settings and event handlers (not the archive state).
    void Assign(const TZipReader& other);
    // Releases the archive stream unless KeepZipOpen.
    void CloseArchive();
    // Closes the stream, frees the member lists and resets the end record.
    void ClearArchive();

    bool Busy() const { return busy_; }
    bool DirectoryLoaded() const { return loaded_; }
    // Whether a member or the archive comment was changed since the directory was read.
    bool DirectoryChanged() const { return directoryChanged_; }
    const TEndCentral& EndCentral() const { return endCentral_; }
    // What had to be repaired, or was found to disagree, while the directory was read
    // or the members were decoded: a rebuilt directory, central records dropped, local
    // headers that disagree with their central record. Empty for a sound archive.
    const std::vector<std::string>& DirectoryWarnings() const { return warnings_; }
    // The detail behind the last skip report, or behind a failed CRC check whose data
    // was corrupt ("corrupt Deflated data"); empty when there is none.
    const std::string& LastSkipDetail() const { return lastSkipDetail_; }

protected:
    // Opens the archive for reading when it is not open.
    void openArchive();
    // Steps 2 to 10 of reading the directory; raises on failure.
    void readDirectoryOnce();
    void buildView();
    TSortedZip& view() const;
    void checkIndex(int index) const;
    void processMessagesAndCancel();
    // Takes the archive comment from the file when it is not loaded yet.
    void loadArchiveComment();

    // Split sets (TZipReaderSplit.cpp). The directory of a set whose end record stands
    // in the open part; the directory from the ".zfc" side file when the open file has
    // no end record (false when there is none); the path of a part, asked of
    // OnGetNextDisk (or the own handler: numbered files); the stream members are read
    // through.
    void readSplitDirectory();
    bool readZipInfoFile();
    std::string partPath(std::uint32_t disk);
    TStream& memberStream();
    void selectMemberPart(std::uint32_t disk);
    bool IsSplitSet() const { return splitSet_; }

    // The archive.
    std::string zipName_;
    std::unique_ptr<TLFNFileStream> archive_;
    std::unique_ptr<TSortedZip> members_;  // archive order, owns the members
    std::unique_ptr<TSortedZip> sorted_;   // the view for SortMode, not owning
    TEndCentral endCentral_;
    bool loaded_ = false;
    bool directoryChanged_ = false;
    bool archiveCommentLoaded_ = false;
    // Identity of the archive file when its directory was read.
    struct FileStamp {
        std::int64_t mtimeSec = 0, mtimeNsec = 0, size = -1;
        ino_t inode = 0;
        bool operator==(const FileStamp&) const = default;
    };
    std::optional<FileStamp> stamp_;
    int currentPart_ = 0;
    bool splitSet_ = false;
    std::int64_t openPartNumber_ = -1;  // the part ZipName names, when known
    std::unique_ptr<SplitSetStream> split_;

    // The run.
    ZipCrypto cipher_;
    TZipHeaderInfo working_;
    std::int64_t totalBytes_ = 0;
    std::int64_t bytesWritten_ = 0;
    std::uint32_t runningCrc_ = 0xFFFFFFFF;
    bool busy_ = false;
    std::string lastSkipDetail_;
    std::vector<std::string> warnings_;
    // The texts already in warnings_, so that a repeated one is found at once.
    std::unordered_set<std::string> warningSet_;
    // Adds a warning once.
    void warn(const std::string& text);

private:
    friend class ZipExtractRun;
    // Directory reading helpers (TZipReaderDirectory.cpp).
    bool readCentralRecords(std::uint64_t start, std::uint64_t count, bool afterRebuild, std::uint64_t shift);
    bool rebuildFromLocalHeaders(std::int64_t& endPosition);
    std::optional<FileStamp> stampOf() const;
    int runExtraction(bool toBuffer);

    std::string destDir_;
    std::string rootDir_;
    // One by default: on two cores, decoding ahead cost more (threads, fresh pages) than
    // it took off the file writes, which are what an extraction waits for.
    int extractThreads_ = 1;
    TZipSortMode sortMode_ = ByNone;
    // Memberwise comment cache: comments are read from the file on first use.
};

}  // namespace zb::zip
