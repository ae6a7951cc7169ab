// The steps of a zip run. Members of an old archive are copied as raw bytes (see
// CopiedMember.h); each new file goes through MemberWriter; the finished file
// replaces the archive by one rename within the archive's folder.
#include "zip/writer/ZipWriterRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/ArchiveHost.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "zip/ZipErrors.h"
#include "zip/io/ZipInputFile.h"
#include "zip/records/DosDateTime.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/ZipNames.h"
#include "zip/records/ZipRecords.h"
#include "zip/select/FileSpecExpansion.h"
#include "zip/writer/CopiedMember.h"
#include "zip/writer/MemberWriter.h"

namespace zb::zip {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBlock = 256 * 1024;
constexpr int kSourceChangeAttempts = 3;
constexpr std::size_t kMaxComment = 0xFFFF;

int percentOf(std::uint64_t part, std::uint64_t whole) {
    if (whole == 0) return 0;
    const std::uint64_t p = (part * 100 + whole / 2) / whole;
    return int(std::min<std::uint64_t>(p, 100));
}

// The archive's real file: a link to an archive is kept and its target updated.
fs::path resolveArchive(const std::string& zipName) {
    std::error_code ec;
    const fs::path p(zipName);
    if (fs::is_symlink(p, ec)) {
        const fs::path real = fs::weakly_canonical(p, ec);
        if (!ec) return real;
    }
    return p;
}

// ASCII names as they are; other UTF-8 names with flag bit 11, which every peer on
// Linux reads; a name that is no UTF-8 as its bytes without the flag, so that it comes
// back byte-identical. The host is this system's, which also makes a "\" in the name
// a character of it, not a separator. Returns the name as a reader will see it.
std::string setMemberName(WriterMember& m, const std::string& name) {
    m.versionMadeBy = ownVersionMadeBy();
    m.madeByFollowsNeeded = true;
    const EncodedName encoded = encodeName(name, m.versionMadeBy);
    m.name = encoded.bytes;
    m.flags = std::uint16_t((m.flags & ~kFlagUtf8) | (encoded.utf8 ? kFlagUtf8 : 0));
    return decodeCentralName(m.name, m.flags, m.versionMadeBy);
}

// The DOS time of a file to be zipped: a link kept as a link has its own time.
std::optional<std::uint32_t> sourceDosTime(const std::string& path, bool keepLinks) {
    struct stat st {};
    if (keepLinks && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return platform::fileTimeToDos(platform::FileTime{st.st_mtim.tv_sec, std::int32_t(st.st_mtim.tv_nsec)});
    const auto file = platform::statEntry(path);
    if (!file) return std::nullopt;
    return file->dosTime;
}

}  // namespace

TZipWriter::Run::Run(TZipWriter& writer) : w(writer) {
    zipName = writer.ZipName();
    archivePath = resolveArchive(zipName);
    std::error_code ec;
    // A split set is always written anew (its parts replace any of the same names).
    split = writer.multiZipInfo_.MultiMode != mmNone;
    updating = !split && fs::exists(archivePath, ec);
    nameOptions.storePaths = writer.storePaths_;
    nameOptions.relativePaths = writer.relativePaths_;
    nameOptions.storeVolumes = writer.storeVolumes_;
    nameOptions.rootDir = writer.RootDir();
    commentWasModified = writer.endCentral_.modified != 0;
}

void TZipWriter::Run::processMessages() { w.processMessagesAndCancel(); }

void TZipWriter::Run::progress(std::size_t n) {
    fileBytes += n;
    bytesDone += n;
    if (w.OnFilePercentDone) w.OnFilePercentDone(w, percentOf(fileBytes, fileSize));
    if (w.OnTotalPercentDone) w.OnTotalPercentDone(w, percentOf(bytesDone, totalBytes));
}

void TZipWriter::Run::expand() {
    FileSpecExpansion spec;
    spec.excludeList = w.excludeList_;
    spec.recurse = w.recurse_;
    spec.rootDir = w.RootDir();
    spec.zipName = zipName;
    spec.skipIfArchiveBitNotSet = w.skipIfArchiveBitNotSet_;
    spec.zipAction = w.zipAction_;
    spec.addDirEntriesOnRecurse = w.addDirEntriesOnRecurse_;
    spec.storeLinks = w.storeLinks_;
    std::unordered_set<std::string> memberNames;
    if (w.zipAction_ == zaFreshen) {
        // Freshening adds nothing new: only files that are members already count.
        if (updating) {
            w.ReadDirectory();
            for (int i = 0; i < w.MemberCount(); ++i) memberNames.insert(w.memberInArchiveOrder(i).storedName());
        }
        spec.isMember = [&](const std::string& path) {
            return memberNames.count(nameRoundTrip(storedName(path, nameOptions))) != 0;
        };
    }
    spec.processMessages = [this] { processMessages(); };
    spec.onNoSuchFile = [this](const std::string& p) {
        if (w.OnNoSuchFile) w.OnNoSuchFile(w, p);
    };
    spec.onRecursingFile = [this](const std::string& p) {
        if (w.OnRecursingFile) w.OnRecursingFile(w, p);
    };
    spec.onPathSkipped = [this](TPathSkipReason r, const std::string& p) {
        if (w.OnPathSkipped) w.OnPathSkipped(w, r, p);
    };
    totalBytes = spec.expand(w.FilesList);
}

void TZipWriter::Run::readOldArchive() {
    // The reader's view first: its marks and edited comments count for the copy.
    w.ReadDirectory();
    try {
        old = std::make_unique<TFileStream>(archivePath, TFileMode::OpenRead);
    } catch (const EZipError&) {
        throw ENotAZipFile();
    }
    TEndCentral end;
    if (!end.find(*old)) throw ENotAZipFile();  // never replace a file that is no archive
    if (end.thisDisk != 0 || end.centralStartDisk != 0) throw EBadZipFile();
    std::string directory(std::size_t(end.centralSize), '\0');
    old->seek(std::int64_t(end.centralOffset), soFromBeginning);
    if (old->read(directory.data(), directory.size()) != directory.size()) throw EBadZipFile();
    std::size_t pos = 0;
    for (std::uint64_t i = 0; i < end.totalEntries; ++i) {
        std::size_t size = 0;
        auto member = parseCentralHeader(std::string_view(directory).substr(pos), &size);
        if (!member) throw EBadZipFile();
        oldMembers.push_back(std::move(*member));
        pos += size;
    }
    std::stable_sort(oldMembers.begin(), oldMembers.end(), [](const WriterMember& a, const WriterMember& b) {
        return a.diskStart != b.diskStart ? a.diskStart < b.diskStart : a.localOffset < b.localOffset;
    });
}

void TZipWriter::Run::openOutput() {
    if (updating || split) {
        // Beside the archive, so that putting it in place is one rename.
        fs::path folder = archivePath.parent_path();
        if (folder.empty()) folder = ".";
        std::error_code ec;
        if (!w.tempPath_.empty() && fs::is_directory(w.tempPath_, ec)) folder = w.tempPath_;
        try {
            target = platform::createTempFile(folder, "KPZ");
        } catch (const std::exception&) {
            throw ENotEnoughRoom();
        }
        // The comment the archive has, or the one the user gave it meanwhile.
        if (updating || commentWasModified) comment = w.ArchiveComment();
    } else {
        target = archivePath;
        if (commentWasModified) comment = w.ArchiveComment();
    }
    if (comment.size() > kMaxComment) comment.resize(kMaxComment);
    try {
        out = std::make_unique<ZipOutputFile>(target, w.FlushFilesOnClose);
    } catch (...) {
        if (updating) {
            std::error_code ec;
            fs::remove(target, ec);
        }
        target.clear();
        throw;
    }
    deflater = std::make_unique<Deflater>();
}

bool TZipWriter::Run::zipOne(const std::string& path) {
    fileBytes = 0;
    fileSize = 0;
    WriterMember m;
    const bool folder = !path.empty() && path.back() == '/';
    std::unique_ptr<ZipInputFile> in;
    if (folder) {
        describeFolder(path, m);
    } else {
        in = openSource(path, m);
        if (!in) return false;
    }
    std::string readBack;
    if (!nameMember(path, m, readBack)) return leaveOut();
    if (folder)
        writeFolderEntry(path, m);
    else if (!writeFileMember(path, m, *in))
        return leaveOut();
    names.insert(readBack);
    addToDirectory(m);
    return true;
}

bool TZipWriter::Run::leaveOut() {
    totalBytes -= std::min(totalBytes, fileSize);
    return false;
}

bool TZipWriter::Run::askRetry(const std::string& path, TSkipReason reason) {
    bool retry = false;
    if (w.OnSkippingFile) w.OnSkippingFile(w, reason, path, -1, retry);
    return retry;
}

void TZipWriter::Run::describeFolder(const std::string& path, WriterMember& m) {
    const std::string folderPath = path.substr(0, path.size() - 1);
    const auto entry = platform::statEntry(folderPath);
    m.dosTime = entry ? entry->dosTime : platform::dateTimeToDos(platform::SystemClock().now());
    struct stat st {};
    if (::stat(folderPath.c_str(), &st) == 0) {
        m.externalAttributes = platform::archiveAttributes(st.st_mode, m.externalAttributes);
        m.modTimeUtc = std::int64_t(st.st_mtim.tv_sec);
    } else {
        m.externalAttributes = platform::archiveAttributes(platform::kModeDirectory | 0755, m.externalAttributes);
    }
    m.method = kMethodStored;
    m.crc = 0;
    m.internalAttributes = 0;
}

std::unique_ptr<ZipInputFile> TZipWriter::Run::openSource(const std::string& path, WriterMember& m) {
    std::unique_ptr<ZipInputFile> in;
    for (;;) {
        ZipInputFile::OpenResult result;
        in = ZipInputFile::open(path, result, w.storeLinks_);
        if (in) break;
        if (result == ZipInputFile::OpenResult::Missing) {
            // Vanished since the list was made: say so rather than drop it silently.
            if (w.OnNoSuchFile) w.OnNoSuchFile(w, path);
            return nullptr;
        }
        if (result == ZipInputFile::OpenResult::NotRegular) {
            if (w.OnPathSkipped) w.OnPathSkipped(w, psSpecialFile, path);
            return nullptr;
        }
        if (!askRetry(path, skipOpenFailed)) return nullptr;
    }
    fileSize = in->size();
    m.externalAttributes = platform::archiveAttributes(in->mode(), in->attributes());
    m.dosTime = in->dosTime();
    m.modTimeUtc = in->modTimeUtc();
    m.uncompressedSize = in->size();
    return in;
}

bool TZipWriter::Run::nameTaken(const std::string& readBack, const std::string& path) {
    if (!names.contains(readBack)) return false;
    askRetry(path, skipNoOverwrite);
    return true;
}

bool TZipWriter::Run::nameMember(const std::string& path, WriterMember& m, std::string& readBack) {
    const std::string stored = storedName(path, nameOptions);
    if (stored.empty()) return false;
    readBack = setMemberName(m, stored);
    if (nameTaken(readBack, path)) return false;
    return !w.OnStartZip || askStartZip(path, m, readBack);
}

bool TZipWriter::Run::askStartZip(const std::string& path, WriterMember& m, std::string& readBack) {
    TZipHeaderInfo header;
    header.versionMadeBy = m.versionMadeBy;
    header.setStoredName(readBack);
    header.dosDateTime = m.dosTime;
    header.modTimeUtc = m.modTimeUtc;
    header.externalAttributes = m.externalAttributes;
    header.uncompressedSize = m.uncompressedSize;
    header.internalAttributes = m.internalAttributes;
    header.compressionMethod = m.method;
    header.crc32 = m.crc;
    bool skip = false;
    w.OnStartZip(w, path, header, skip);
    if (skip) return false;
    // A handler may rename the member, date it or give it a comment.
    if (header.storedName() != readBack && !header.storedName().empty()) {
        readBack = setMemberName(m, header.storedName());
        if (nameTaken(readBack, path)) return false;
    }
    // A handler that dates the member by its DOS time alone gets that time kept.
    if (header.dosDateTime != m.dosTime && header.modTimeUtc == m.modTimeUtc) header.modTimeUtc.reset();
    m.dosTime = header.dosDateTime;
    m.modTimeUtc = header.modTimeUtc;
    m.externalAttributes = header.externalAttributes;
    if (header.fileComment()) m.comment = header.fileComment()->substr(0, kMaxComment);
    return true;
}

void TZipWriter::Run::writeFolderEntry(const std::string& path, WriterMember& m) {
    m.localOffset = out->position();
    const std::string header = localHeaderBytes(m);
    out->write(header.data(), header.size());
    if (w.OnEndZip) w.OnEndZip(w, path, 0, 0, 0);
}

int TZipWriter::Run::levelFor(const std::string& path) const {
    const bool store = w.packLevel_ == 0 || matchesSpecList(w.noCompressList_, fileNamePart(path));
    return store ? 0 : w.packLevel_;
}

bool TZipWriter::Run::writeFileMember(const std::string& path, WriterMember& m, ZipInputFile& in) {
    const int level = levelFor(path);
    const PackedMember* packed = packedAhead ? packedFor(path, in, level) : nullptr;
    MemberWriter writer(*out, *deflater, {[this](std::size_t n) { progress(n); }, [this] { processMessages(); }});
    bool forceZip64 = false;
    int changes = 0;
    const std::uint16_t baseFlags = m.flags;
    for (;;) {
        const std::uint64_t start = out->position();
        MemberWriter::Outcome outcome;
        try {
            m.flags = baseFlags;
            if (packed) {
                // Only a first attempt can come from the workers.
                const PackedMember& ahead = *std::exchange(packed, nullptr);
                outcome = writer.replay(
                    in, ahead, [this](PackedPiece& piece) { return pool->nextPiece(piece); }, m, w.Password,
                    forceZip64);
            } else {
                outcome = writer.write(in, m, level, w.Password, forceZip64);
            }
        } catch (const SourceReadError&) {
            // The file cannot be read to its end: give it up and say so.
            dropPartialMember(start);
            if (!askRetry(path, skipOpenFailed)) return false;
            rewindSource(in);
            continue;
        }
        if (outcome == MemberWriter::Outcome::Written) break;
        // Write the member anew from the start of its local header.
        dropPartialMember(start);
        rewindSource(in);
        if (outcome == MemberWriter::Outcome::NeedsZip64) {
            forceZip64 = true;
        } else if (++changes >= kSourceChangeAttempts) {
            // It keeps changing while it is read: no consistent member can be made.
            if (!askRetry(path, skipOpenFailed)) return false;
            changes = 0;
        }
    }
    if (in.changedSinceOpened() && w.OnFileChanged) w.OnFileChanged(w, path);
    if (w.OnEndZip)
        w.OnEndZip(w, path, std::int64_t(m.uncompressedSize), std::int64_t(m.compressedSize),
                   std::int64_t(out->position()));
    return true;
}

void TZipWriter::Run::dropPartialMember(std::uint64_t start) {
    out->truncate(start);
    bytesDone -= std::min(bytesDone, fileBytes);
}

void TZipWriter::Run::rewindSource(ZipInputFile& in) {
    fileBytes = 0;
    in.rewind();
}

void TZipWriter::Run::updatePass() {
    // Each listed file's stored name, so that a member finds its file at once.
    std::vector<std::string>& files = w.FilesList;
    std::unordered_map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < files.size(); ++i)
        byName[nameRoundTrip(storedName(files[i], nameOptions))].push_back(i);
    std::vector<bool> taken(files.size(), false);

    for (std::size_t index = 0; index < oldMembers.size(); ++index) {
        WriterMember& member = oldMembers[index];
        const TZipHeaderInfo* header = w.memberAtOffset(member.diskStart, member.localOffset);
        if (header && header->dropMark == 2) continue;
        if (header) {
            // A comment edited through the reader goes into the copy.
            if (header->fileComment())
                member.comment = header->fileComment()->substr(0, kMaxComment);
            else if (header->fileCommentLength == 0)
                member.comment.clear();
        }
        const std::string name = decodeCentralName(member.name, member.flags, member.versionMadeBy);
        auto it = byName.find(name);
        std::size_t entry = files.size();
        if (it != byName.end()) {
            for (std::size_t i : it->second) {
                if (!taken[i]) {
                    entry = i;
                    break;
                }
            }
        }
        bool matched = entry < files.size();
        if (matched) {
            taken[entry] = true;
            bool replace = w.zipAction_ == zaReplace;
            if (!replace) {
                const auto fileTime = sourceDosTime(files[entry], w.storeLinks_);
                replace = fileTime && normalizeDosDateTime(member.dosTime) < normalizeDosDateTime(*fileTime);
            }
            if (replace) {
                if (w.OnUpdate) w.OnUpdate(w, upReplacing, int(index));
                if (zipOne(files[entry])) {
                    ++count;
                    if (w.dispose_) disposeList.push_back(files[entry]);
                    continue;
                }
                // The new file could not be zipped: the old member stays, not lost.
            } else if (w.dispose_) {
                disposeList.push_back(files[entry]);
            }
        }
        if (matched && w.OnUpdate) w.OnUpdate(w, upKeeping, int(index));
        copyMember(member);
        names.insert(name);
    }

    std::vector<std::string> rest;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!taken[i]) rest.push_back(files[i]);
    files = std::move(rest);
}

void TZipWriter::Run::copyMember(WriterMember member) {
    LocalHeader local;
    old->seek(std::int64_t(member.localOffset), soFromBeginning);
    if (!local.read(*old)) throw EBadZipFile();
    std::string afterData;
    if (member.flags & kFlagDataDescriptor) {
        afterData.resize(24);
        old->seek(std::int64_t(member.localOffset + local.size() + member.compressedSize), soFromBeginning);
        afterData.resize(old->read(afterData.data(), afterData.size()));
    }
    const std::uint64_t length = copiedMemberLength(member, local, afterData);

    old->seek(std::int64_t(member.localOffset), soFromBeginning);
    member.localOffset = out->position();
    member.diskStart = 0;
    std::vector<std::uint8_t> block(kCopyBlock);
    std::uint64_t left = length;
    while (left > 0) {
        const std::size_t want = std::size_t(std::min<std::uint64_t>(left, block.size()));
        if (old->read(block.data(), want) != want) throw EBadZipFile();
        out->write(block.data(), want);
        left -= want;
        processMessages();
    }
    addToDirectory(member);
}

void TZipWriter::Run::addToDirectory(const WriterMember& member) {
    if (directory.empty() || directory.back().size() >= kCopyBlock) {
        directory.emplace_back();
        directory.back().reserve(kCopyBlock + 512);
    }
    directory.back() += centralHeaderBytes(member);
    ++memberCount;
}

void TZipWriter::Run::writeDirectory() {
    const std::uint64_t offset = out->position();
    for (const std::string& block : directory) out->write(block.data(), block.size());
    const std::uint64_t size = out->position() - offset;
    const std::string end = endRecordBytes(memberCount, size, offset, comment);
    out->write(end.data(), end.size());
}

void TZipWriter::Run::releaseDirectory() {
    directory = {};
    names = {};
}

void TZipWriter::Run::finishOutput() {
    out->close();
    old.reset();
}

void TZipWriter::Run::replaceArchive() {
    // The new archive takes over the old one's permissions (and owner, where allowed).
    struct stat st {};
    if (::stat(archivePath.c_str(), &st) == 0) {
        ::chmod(target.c_str(), st.st_mode & 07777);
        if (::geteuid() == 0) (void)!::chown(target.c_str(), st.st_uid, st.st_gid);
    }
    std::error_code ec;
    fs::rename(target, archivePath, ec);
    if (!ec) {
        target.clear();
        return;
    }
    // TempPath on another file system: copy beside the archive, then rename.
    fs::path folder = archivePath.parent_path();
    if (folder.empty()) folder = ".";
    fs::path beside;
    try {
        beside = platform::createTempFile(folder, "KPZ");
        fs::copy_file(target, beside, fs::copy_options::overwrite_existing);
        ::chmod(beside.c_str(), st.st_mode & 07777);
        fs::rename(beside, archivePath);
    } catch (const std::exception&) {
        if (!beside.empty()) fs::remove(beside, ec);
        throw EZipError("Could not copy from " + target.string() + " -> " + archivePath.string());
    }
    fs::remove(target, ec);
    target.clear();
}

void TZipWriter::Run::disposePass() {
    for (const std::string& path : disposeList) {
        bool skip = false;
        if (w.OnDisposeFile) w.OnDisposeFile(w, path, skip);
        if (skip) continue;
        std::error_code ec;
        fs::remove(path.back() == '/' ? path.substr(0, path.size() - 1) : path, ec);
    }
}

void TZipWriter::Run::discardTarget() {
    if (out) out->abandon();
    old.reset();
    if (!target.empty()) {
        std::error_code ec;
        fs::remove(target, ec);
        target.clear();
    }
}

}  // namespace zb::zip
