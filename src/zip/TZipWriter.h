// The writing half of the archive engine: packs the files its include lines name into
// a ZIP archive, or updates an existing archive through a temporary file beside it
// that replaces the archive only once it is complete. It forms each member's stored
// name from the path options, stores or deflates, encrypts when a password is set,
// and reports every step and every file it leaves out through its events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/MultiZipInfo.h"
#include "zip/PathSkipReason.h"
#include "zip/TZipHeaderInfo.h"
#include "zip/TZipReader.h"
#include "zip/ZipAction.h"
#include "zip/records/TEndCentral.h"

namespace zb::zip {

// What the update pass does with a member that a listed file matched.
enum TUpdateAction {
    upReplacing = 0,  // the member is about to be replaced by the newer file
    upKeeping = 1,    // the member is kept: the file is not newer
};

class TZipWriter : public TZipReader {
public:
    TZipWriter();
    ~TZipWriter() override;

    // --- Published properties ---------------------------------------------------
    int PackLevel() const { return packLevel_; }
    // 0 stores, 1 to 9 deflate; any other value raises std::out_of_range.
    void SetPackLevel(int level);
    bool Recurse() const { return recurse_; }
    void SetRecurse(bool value) { recurse_ = value; }
    bool Dispose() const { return dispose_; }
    void SetDispose(bool value) { dispose_ = value; }
    bool StorePaths() const { return storePaths_; }
    void SetStorePaths(bool value);  // false also clears StoreVolumes and RelativePaths
    bool RelativePaths() const { return relativePaths_; }
    void SetRelativePaths(bool value);  // true also sets StorePaths and Recurse
    bool StoreVolumes() const { return storeVolumes_; }
    void SetStoreVolumes(bool value);  // true also sets StorePaths
    TZipAction ZipAction() const { return zipAction_; }
    void SetZipAction(TZipAction value) { zipAction_ = value; }
    const TMultiZipInfo& MultiZipInfo() const { return multiZipInfo_; }
    void SetMultiZipInfo(const TMultiZipInfo& value) { multiZipInfo_ = value; }
    bool Store83Names() const { return store83Names_; }  // no short names here: no effect
    void SetStore83Names(bool value) { store83Names_ = value; }
    // Folder for the temporary file of an update; empty: the archive's own folder.
    const std::string& TempPath() const { return tempPath_; }
    void SetTempPath(const std::string& value) { tempPath_ = value; }
    bool SkipIfArchiveBitNotSet() const { return skipIfArchiveBitNotSet_; }
    void SetSkipIfArchiveBitNotSet(bool value) { skipIfArchiveBitNotSet_ = value; }
    bool ResetArchiveBitOnZip() const { return resetArchiveBitOnZip_; }
    void SetResetArchiveBitOnZip(bool value) { resetArchiveBitOnZip_ = value; }
    const std::vector<std::string>& ExcludeList() const { return excludeList_; }
    void SetExcludeList(const std::vector<std::string>& value) { excludeList_ = value; }
    const std::vector<std::string>& NoCompressList() const { return noCompressList_; }
    void SetNoCompressList(const std::vector<std::string>& value) { noCompressList_ = value; }
    bool AddDirEntriesOnRecurse() const { return addDirEntriesOnRecurse_; }
    void SetAddDirEntriesOnRecurse(bool value) { addDirEntriesOnRecurse_ = value; }
    // Links stored as links (their text, with the link's own mode and time) rather than
    // as the files they name; links to folders and links that lead nowhere too, none
    // followed. Off by default: the backup run packs what links name.
    bool StoreLinks() const { return storeLinks_; }
    void SetStoreLinks(bool value) { storeLinks_ = value; }
    // Threads that read, checksum and compress files at once. With more than one,
    // workers pack the listed files ahead while this thread raises every event and
    // writes the members in their order; the archive and the events are the same as
    // with one. Below 1 raises std::out_of_range.
    int Threads() const { return threads_; }
    void SetThreads(int value);

    // A new name first writes a changed archive comment into the current archive.
    // (Hides the reader's setter, which knows nothing of writing.)
    void SetZipName(const std::string& name);

    // --- Events ----------------------------------------------------------------
    std::function<void(TZipWriter& sender, const std::string& fileName, TZipHeaderInfo& header, bool& skip)> OnStartZip;
    std::function<void(TZipWriter& sender, int numFiles, std::int64_t totalBytes, TEndCentral& endCentral,
                       bool& stopNow)>
        OnStartZipInfo;
    std::function<void(TZipWriter& sender, const std::string& fileName, std::int64_t uncompressedSize,
                       std::int64_t compressedSize, std::int64_t currentZipSize)>
        OnEndZip;
    std::function<void(TZipWriter& sender, const std::string& fileName, bool& skip)> OnDisposeFile;
    std::function<void(TZipWriter& sender, const std::string& fileName, bool& skip)> OnDeleteEntry;
    // A listed file that does not exist, or that vanished before it was zipped.
    std::function<void(TZipWriter& sender, const std::string& fileName)> OnNoSuchFile;
    std::function<void(TZipWriter& sender, int fileCount)> OnZipComplete;
    std::function<void(TZipWriter& sender, TUpdateAction action, int fileIndex)> OnUpdate;
    std::function<void(TZipWriter& sender, int diskNum)> OnPrepareNextDisk;
    std::function<void(TZipWriter& sender, const std::string& fileName)> OnRecursingFile;
    // A path left out that no other event reports: an unreadable folder, a special
    // file, a link to a folder, a pattern whose folder does not exist.
    std::function<void(TZipWriter& sender, TPathSkipReason reason, const std::string& path)> OnPathSkipped;
    // A file whose size or modification time changed while it was packed: it is in
    // the archive as it was read, which may mix old and new contents. Comes before
    // the file's OnEndZip.
    std::function<void(TZipWriter& sender, const std::string& fileName)> OnFileChanged;

    // Packs FilesList into ZipName; returns the number of files zipped (new and
    // replaced members). Raises the engine's exceptions; the archive is then as before.
    int Zip();

private:
    struct Run;
    friend struct Run;

    // The loaded member at `index` in archive order.
    const TZipHeaderInfo& memberInArchiveOrder(int index);
    // The loaded member whose local header stands at `offset` on part `disk`, if any.
    const TZipHeaderInfo* memberAtOffset(std::uint32_t disk, std::uint64_t offset);
    // Whether a changed comment still has to go into the current archive.
    bool commentRunWanted();
    // Makes the component describe the archive just written.
    void adoptWrittenArchive(bool keepCommentMark, const std::string& comment);

    int packLevel_ = 6;
    bool recurse_ = false;
    bool dispose_ = false;
    bool storePaths_ = false;
    bool relativePaths_ = false;
    bool storeVolumes_ = false;
    TZipAction zipAction_ = zaUpdate;
    TMultiZipInfo multiZipInfo_;
    bool store83Names_ = false;
    std::string tempPath_;
    bool skipIfArchiveBitNotSet_ = false;
    bool resetArchiveBitOnZip_ = false;
    std::vector<std::string> excludeList_;
    std::vector<std::string> noCompressList_;
    bool addDirEntriesOnRecurse_ = false;
    bool storeLinks_ = false;
    int threads_ = 1;
};

}  // namespace zb::zip
