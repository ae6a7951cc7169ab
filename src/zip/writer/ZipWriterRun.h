// The state of one zip run of TZipWriter and its steps: expanding the include lines,
// the update pass over an old archive, zipping each file, the central directory, and
// putting the finished archive in place. Private to the writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "zip/TZipWriter.h"
#include "zip/codec/deflate/Deflate.h"
#include "zip/io/TFileStream.h"
#include "zip/io/ZipInputFile.h"
#include "zip/io/ZipOutputFile.h"
#include "zip/records/StoredName.h"
#include "zip/records/WriterRecords.h"
#include "zip/writer/NameIndex.h"
#include "zip/writer/PackingPool.h"

namespace zb::zip {

struct TZipWriter::Run {
    explicit Run(TZipWriter& writer);

    TZipWriter& w;
    std::string zipName;                // the archive as named
    std::filesystem::path archivePath;  // the file it names (a link's target)
    bool updating = false;
    bool split = false;            // a split set: written whole, then laid onto its parts
    std::filesystem::path target;  // the archive itself, or the temporary file
    std::unique_ptr<ZipOutputFile> out;
    std::unique_ptr<Deflater> deflater;
    // The new central directory, in archive order, as its bytes in blocks: a member
    // costs its record, not the writer's working copy of it.
    std::vector<std::string> directory;
    std::uint64_t memberCount = 0;
    NameIndex names;  // every stored name written, as it reads back
    std::string comment;
    bool commentWasModified = false;
    std::uint64_t totalBytes = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t fileBytes = 0;  // read from the current file
    std::uint64_t fileSize = 0;
    int count = 0;
    std::vector<std::string> disposeList;
    StoredNameOptions nameOptions;

    // The old archive of an update.
    std::unique_ptr<TFileStream> old;
    std::vector<WriterMember> oldMembers;  // archive order

    // Workers packing the listed files ahead (none with one thread), the next listed
    // file to queue for them, and whether the file being zipped is their next member.
    std::unique_ptr<PackingPool> pool;
    std::size_t nextAhead = 0;
    bool packedAhead = false;

    void expand();
    void readOldArchive();
    void openOutput();
    void updatePass();
    // The steps with workers (ZipWriterAhead.cpp).
    void startPool();
    // Zips the listed file `files[index]` (as zipOne), the workers packing the
    // following files meanwhile.
    bool zipListed(const std::vector<std::string>& files, std::size_t index);
    // What the workers made of the file `in` is open on, when it is still that file's
    // content at `level`; nullptr when the writer must pack it itself.
    const PackedMember* packedFor(const std::string& path, ZipInputFile& in, int level);
    // 0 (store) or the level a file is compressed at.
    int levelFor(const std::string& path) const;

    // Zips one file (a path ending in "/" is a folder entry); false when it was left out.
    bool zipOne(const std::string& path);
    // The steps of zipOne.
    void describeFolder(const std::string& path, WriterMember& m);
    // Opens the file and takes its size, times and attributes; nullptr when it is left
    // out (vanished, no regular file, or unreadable and not retried).
    std::unique_ptr<ZipInputFile> openSource(const std::string& path, WriterMember& m);
    // Gives the member its stored name, `readBack` as a reader will see it, and lets
    // OnStartZip change it; false when the member is to be left out.
    bool nameMember(const std::string& path, WriterMember& m, std::string& readBack);
    bool askStartZip(const std::string& path, WriterMember& m, std::string& readBack);
    // True (and the handler told) when a member of that name was written already.
    bool nameTaken(const std::string& readBack, const std::string& path);
    void writeFolderEntry(const std::string& path, WriterMember& m);
    // Writes the file's data, anew while it needs ZIP64 sizes or changes under the
    // reading; false when it is given up.
    bool writeFileMember(const std::string& path, WriterMember& m, ZipInputFile& in);
    void dropPartialMember(std::uint64_t start);
    void rewindSource(ZipInputFile& in);
    // Takes a left-out file's size off the total; returns false.
    bool leaveOut();
    // Tells OnSkippingFile; true when the handler asks to try again.
    bool askRetry(const std::string& path, TSkipReason reason);
    void copyMember(WriterMember member);
    // Adds a finished member's central record to the directory.
    void addToDirectory(const WriterMember& member);
    void writeDirectory();
    // Frees the directory and the names once the archive is complete.
    void releaseDirectory();
    void finishOutput();
    void replaceArchive();
    // Lays the finished archive onto the parts of a split set (ZipWriterSplit.cpp).
    void layOntoParts();
    void disposePass();
    void discardTarget();

    // Pending messages and the cancel request (the write routine and the walk).
    void processMessages();
    void progress(std::size_t n);
};

}  // namespace zb::zip
