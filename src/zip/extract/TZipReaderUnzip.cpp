// Extraction: the selection of members, and for each member the target path, the
// password check, the overwrite rule, decoding through the input and output sides,
// the file's date and attributes, and the CRC check with its events. The same run
// serves extraction into the caller's memory, where nothing is written to disk.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/ArchiveHost.h"
#include "platform/DirHandle.h"
#include "platform/FileSystem.h"
#include "platform/Ui.h"
#include "zip/checksum/Crc32.h"
#include "zip/extract/ExtractPath.h"
#include "zip/extract/LinkTarget.h"
#include "zip/codec/MemberDecoder.h"
#include "zip/codec/MemberInput.h"
#include "zip/reader/MemberOverlap.h"
#include "zip/records/MemberTime.h"
#include "zip/extract/TargetFolder.h"
#include "zip/extract/TempMemberFile.h"
#include "zip/codec/MemberOutput.h"
#include "zip/TZipReader.h"
#include "zip/select/WildcardMatch.h"
#include "zip/records/ZipBytes.h"
#include "zip/ZipErrors.h"
#include "zip/records/ZipNames.h"
#include "zip/records/ZipRecords.h"

namespace zb::zip {

namespace fs = std::filesystem;

namespace {

// The caller's buffer handler asked to stop.
struct QuitRun {};

int percent(std::uint64_t done, std::int64_t total) {
    if (total <= 0) return 0;
    double p = std::round(double(done) * 100.0 / double(total));
    return p > 100 ? 100 : int(p);
}

// Longest link text taken from a member.
constexpr std::uint64_t kMaxLinkText = 4096;

// The file type a Unix host stored in the upper bits of the attributes; 0 when the
// member comes from another host or gives none.
std::uint32_t unixFileType(const TZipHeaderInfo& h) {
    if ((h.versionMadeBy >> 8) != kHostUnix) return 0;
    return (h.externalAttributes >> 16) & S_IFMT;
}

}  // namespace

class ZipExtractRun {
public:
    ZipExtractRun(TZipReader& reader, bool toBuffer, int& extracted, platform::DirHandle dest)
        : r_(reader), toBuffer_(toBuffer), extracted_(extracted), dest_(std::move(dest)) {}

    void execute() {
        // Members that share their bytes (a zip bomb, or a damaged directory) are
        // refused before anything is written.
        const std::uint64_t archiveSize = std::uint64_t(r_.archive_->size());
        if (auto overlap = findOverlappingMembers(*r_.members_, [&](const TZipHeaderInfo& h) {
                // In a set, each part is checked by offsets alone (the open file is only one part).
                if (r_.splitSet_ || h.diskNumberStart != std::uint32_t(r_.currentPart_)) return true;
                return memberStretchEnd(h) <= archiveSize && localSignatureAt(h, archiveSize);
            }))
            throw EBadZipFile(overlapMessage(*overlap));
        TSortedZip& list = r_.view();
        const int n = list.count();
        int numFiles = 0, folders = 0;
        std::int64_t total = 0;
        std::vector<std::string> patterns;
        for (std::string p : r_.FilesList) {
            for (char& c : p)
                if (c == '\\') c = '/';
            patterns.push_back(std::move(p));
        }
        for (int i = 0; i < n; ++i) {
            TZipHeaderInfo& h = *list[i];
            bool selected = false;
            const bool isFolder = h.fileName().empty();
            if (r_.DoAll) {
                selected = true;
            } else if (!isFolder || r_.RecreateDirs) {
                const std::string name = h.storedName();
                for (const std::string& p : patterns) {
                    if (wildcardMatch(p, name)) {
                        selected = true;
                        break;
                    }
                }
            }
            h.extractMark = selected ? 1 : 0;
            if (selected && isFolder) ++folders;
            if (selected && !isFolder) {
                ++numFiles;
                total += std::int64_t(h.uncompressedSize);
            }
        }
        r_.totalBytes_ = total;
        r_.bytesWritten_ = 0;
        bool stop = false;
        if (r_.OnStartUnZipInfo) r_.OnStartUnZipInfo(r_, numFiles, total, stop);
        // An archive of folder entries alone still makes its folders when folders are
        // recreated; the count given to the handler stays one of files.
        if (stop || (numFiles == 0 && !(folders > 0 && r_.RecreateDirs && !toBuffer_))) return;

        for (int i = 0; i < n; ++i) {
            if (!r_.DoAll && !list[i]->extractMark) continue;
            while (processMember(i, *list[i])) {
            }
        }
    }

private:
    // Whether a local header signature stands where the member's record points.
    bool localSignatureAt(const TZipHeaderInfo& h, std::uint64_t archiveSize) {
        TStream& archive = *r_.archive_;
        if (archiveSize < 4 || h.relativeOffset > archiveSize - 4) return false;
        std::uint8_t sig[4];
        archive.seek(std::int64_t(h.relativeOffset), soFromBeginning);
        return archive.read(sig, sizeof sig) == sizeof sig && getU32(sig) == kLocalHeaderSignature;
    }

    // A local header that tells another story than its central record (name, CRC or
    // sizes) is a sign of damage or of a crafted archive: the central record is used,
    // and the disagreement is reported. The stream stands right after the fixed part.
    void compareLocalHeader(const std::uint8_t* local, const TZipHeaderInfo& h) {
        std::vector<std::string> fields;
        const std::uint16_t flags = getU16(local + 6);
        std::string raw(getU16(local + 26), '\0');
        raw.resize(r_.memberStream().read(raw.data(), raw.size()));
        // Names beyond ASCII may differ by code page or by a Unicode path field alone.
        auto ascii = [](const std::string& s) {
            return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        };
        const std::string stored = h.storedName();
        if (ascii(raw) && ascii(stored) && decodeCentralName(raw, flags, h.versionMadeBy) != stored)
            fields.push_back("name");
        // With a data descriptor the local fields may be zero; ZIP64 keeps them elsewhere.
        if (!(flags & kFlagDataDescriptor)) {
            if (getU32(local + 14) != h.crc32) fields.push_back("CRC");
            const std::uint32_t packed = getU32(local + 18), size = getU32(local + 22);
            if ((packed != kZip64Marker32 && packed != h.compressedSize) ||
                (size != kZip64Marker32 && size != h.uncompressedSize))
                fields.push_back("sizes");
        }
        if (fields.empty()) return;
        std::string list;
        for (std::size_t i = 0; i < fields.size(); ++i)
            list += (i == 0 ? "" : i + 1 == fields.size() ? " and " : ", ") + fields[i];
        r_.warn("local header of \"" + stored + "\" disagrees with its central record on " + list);
    }

    // Reports a member that is left out; true when the handler asks to try again.
    bool skip(TSkipReason reason, const std::string& fname, int index, const TZipHeaderInfo& h) {
        if (!h.fileName().empty()) r_.totalBytes_ -= std::int64_t(h.uncompressedSize);
        bool retry = false;
        if (r_.OnSkippingFile) r_.OnSkippingFile(r_, reason, fname, index, retry);
        return retry;
    }

    // Processes one member; true when it is to be processed again at once.
    bool processMember(int index, const TZipHeaderInfo& record) {
        TZipHeaderInfo& h = r_.working_;
        h.assign(record);
        r_.lastSkipDetail_.clear();
        const bool isFolder = h.fileName().empty();
        const std::string stored = h.storedName();
        TStream& archive = r_.memberStream();

        // A record without a name (damaged) would pass for a folder entry and its data
        // would vanish without a word.
        if (stored.empty()) {
            r_.lastSkipDetail_ = "member without a name";
            return skip(skipBadHeader, stored, index, h);
        }
        // Names that would lead outside the destination are never made into paths.
        if (!toBuffer_ && unsafeMemberName(stored)) {
            r_.lastSkipDetail_ = "unsafe name \"" + stored + "\"";
            return skip(skipUnsafeName, stored, index, h);
        }

        std::uint64_t dataStart = 0;
        if (!isFolder) {
            if (r_.splitSet_) {
                // Offsets count from the start of the member's own part.
                r_.selectMemberPart(h.diskNumberStart);
            } else if (h.diskNumberStart != std::uint32_t(r_.currentPart_)) {
                r_.lastSkipDetail_ = "member stands in another part of a split archive";
                return skip(skipUnsupported, stored, index, h);
            }
            std::uint8_t local[kLocalHeaderSize];
            // An offset no file can reach (a damaged ZIP64 field) is a missing header,
            // not a reason to end the run.
            const bool reachable = h.relativeOffset < std::uint64_t(INT64_MAX) - kLocalHeaderSize;
            if (reachable) archive.seek(std::int64_t(h.relativeOffset), soFromBeginning);
            if (!reachable || archive.read(local, sizeof local) != sizeof local ||
                getU32(local) != kLocalHeaderSignature) {
                r_.lastSkipDetail_ = "no local header at offset " + std::to_string(h.relativeOffset);
                return skip(skipBadHeader, stored, index, h);
            }
            h.localExtraFieldLength = getU16(local + 28);
            compareLocalHeader(local, h);
            dataStart = h.relativeOffset + kLocalHeaderSize + getU16(local + 26) + getU16(local + 28);
        }

        const std::string folder =
            toBuffer_ ? std::string() : extractFolder(r_.destDir_, r_.rootDir_, r_.RecreateDirs, h.directory());
        std::string target = toBuffer_ ? stored : folder + h.fileName();

        if (isFolder) {
            if (toBuffer_) return false;
            if (r_.RecreateDirs && !folder.empty()) {
                TargetFolder made;
                TargetOutcome outcome = resolveTarget(dest_, r_.destDir_, folder, true, true, made);
                if (outcome != TargetOutcome::Ready) {
                    r_.lastSkipDetail_ = made.error;
                    return outcome == TargetOutcome::ThroughLink ? skip(skipUnsafeName, stored, index, h)
                                                                 : skip(skipCreateFailed, folder, index, h);
                }
            }
            ++extracted_;
            return false;
        }

        // Pipes, devices and sockets are not data; made on restore they could block or
        // open hardware.
        const std::uint32_t fileType = unixFileType(h);
        if (!toBuffer_ && fileType != 0 && fileType != S_IFREG && fileType != S_IFLNK) {
            r_.lastSkipDetail_ = "special file (pipe, device or socket)";
            return skip(skipUnsupported, stored, index, h);
        }
        const bool isLink = !toBuffer_ && fileType == S_IFLNK;

        bool skipIt = false;
        if (r_.OnStartUnZip) r_.OnStartUnZip(r_, index, target, skipIt);
        if (skipIt) return false;

        // What the engine cannot decode is refused before anything is created, so an
        // existing file of that name stays as it is.
        const bool aes = h.compressionMethod == kMethodAes || (h.flags & kFlagStrongEncryption);
        if (aes || !methodSupported(h.compressionMethod)) {
            if (aes) {
                r_.lastSkipDetail_ = "AES or strong encryption is not supported";
            } else {
                r_.lastSkipDetail_ = std::string(msg::kUnknownMethod) + " (" + methodName(h.compressionMethod) + ")";
                if (r_.Ui) r_.Ui->messageBox(platform::MessageKind::Error, msg::kUnknownMethod, msg::kZipErrorCaption);
            }
            return skip(skipUnsupported, stored, index, h);
        }

        TargetFolder place;
        if (!toBuffer_) {
            TargetOutcome outcome = resolveTarget(dest_, r_.destDir_, target, false, true, place);
            if (outcome != TargetOutcome::Ready) {
                r_.lastSkipDetail_ = place.error;
                return outcome == TargetOutcome::ThroughLink ? skip(skipUnsafeName, stored, index, h)
                                                             : skip(skipCreateFailed, target, index, h);
            }
        }

        // The password: the last byte of the decrypted header must match.
        std::uint64_t compressed = h.compressedSize;
        ZipCrypto* cipher = nullptr;
        if (h.encrypted()) {
            if (compressed < kCryptHeaderSize) {
                r_.lastSkipDetail_ = "encrypted member shorter than its encryption header";
                return skip(skipBadHeader, stored, index, h);
            }
            const std::uint8_t check = cryptCheckByte(h.flags, h.dosDateTime, h.crc32);
            for (;;) {
                std::uint8_t header[kCryptHeaderSize];
                archive.seek(std::int64_t(dataStart), soFromBeginning);
                if (archive.read(header, sizeof header) != sizeof header) throw EFatalUnzipError();
                if (checkCryptHeader(r_.cipher_, r_.Password, header, check)) break;
                std::string newPassword = r_.Password;
                if (r_.OnBadPassword) r_.OnBadPassword(r_, index, newPassword);
                if (r_.OnBadPassword && newPassword != r_.Password) {
                    r_.Password = newPassword;
                    continue;
                }
                return skip(skipBadPassword, stored, index, h);
            }
            cipher = &r_.cipher_;
            dataStart += kCryptHeaderSize;
            compressed -= kCryptHeaderSize;
        }

        if (!toBuffer_) {
            // What stands in the target's place, seen as it is (a link is not followed).
            std::optional<platform::NodeInfo> existing = place.folder.entry(place.name);
            if (existing && existing->kind == platform::NodeKind::Directory) {
                r_.lastSkipDetail_ = "a folder of that name exists";
                return skip(skipCreateFailed, target, index, h);
            }
            if (existing && r_.OverwriteMode != Always) {
                const std::string asked = target;
                if (!keepOrReplace(*existing, index, target)) return skip(skipNoOverwrite, target, index, h);
                // The prompt's handler may name another place; it is reached as safely.
                if (target != asked) {
                    place = TargetFolder();
                    TargetOutcome outcome = resolveTarget(dest_, r_.destDir_, target, false, true, place);
                    if (outcome != TargetOutcome::Ready) {
                        r_.lastSkipDetail_ = place.error;
                        return outcome == TargetOutcome::ThroughLink ? skip(skipUnsafeName, stored, index, h)
                                                                     : skip(skipCreateFailed, target, index, h);
                    }
                    existing = place.folder.entry(place.name);
                    if (existing && existing->kind == platform::NodeKind::Directory) {
                        r_.lastSkipDetail_ = "a folder of that name exists";
                        return skip(skipCreateFailed, target, index, h);
                    }
                }
            }
            // Renaming would get round a read-only file; it is replaced only when asked.
            if (existing && existing->kind == platform::NodeKind::File && !(existing->mode & S_IWUSR) &&
                !r_.ReplaceReadOnly) {
                r_.lastSkipDetail_ = "the existing file is read-only";
                return skip(skipCreateFailed, target, index, h);
            }
        }

        std::optional<TempMemberFile> temp;
        std::string linkText;
        if (!toBuffer_ && !isLink) {
            temp.emplace(place.folder, target);
            if (!temp->created()) {
                r_.lastSkipDetail_ = temp->error();
                return skip(skipCreateFailed, target, index, h);
            }
        }

        // Decode.
        int bufferNum = 0;
        MemberOutput::Sink sink;
        if (toBuffer_) {
            sink = [&](const std::uint8_t* data, std::size_t size) {
                if (!r_.OnGetNextBuffer) return;
                bool quit = false;
                r_.OnGetNextBuffer(r_, data, size, target, bufferNum++, quit);
                if (quit) throw QuitRun{};
            };
        } else if (isLink) {
            // A link's text is short; a member that says otherwise is not a link.
            if (h.uncompressedSize >= kMaxLinkText) {
                r_.lastSkipDetail_ = "link text too long";
                return skip(skipUnsafeName, stored, index, h);
            }
            sink = [&](const std::uint8_t* data, std::size_t size) { linkText.append(data, data + size); };
        } else {
            sink = temp->sink();
        }
        const std::uint64_t size = h.uncompressedSize;
        MemberOutput output(size, sink, [&](std::uint64_t memberWritten, std::size_t flushed) {
            if (r_.OnFilePercentDone) r_.OnFilePercentDone(r_, percent(memberWritten, std::int64_t(size)));
            r_.bytesWritten_ += std::int64_t(flushed);
            if (r_.OnTotalPercentDone) r_.OnTotalPercentDone(r_, percent(std::uint64_t(r_.bytesWritten_), r_.totalBytes_));
        });
        MemberInput input(archive, compressed, cipher, [this] { r_.processMessagesAndCancel(); });
        DecodeParams params;
        params.method = h.compressionMethod;
        params.flags = h.flags;
        params.compressedSize = compressed;
        params.uncompressedSize = size;

        // Any exception leaves the run here; the temporary file goes with `temp`.
        bool complete = false;
        bool tooLong = false;
        try {
            archive.seek(std::int64_t(dataStart), soFromBeginning);
            r_.runningCrc_ = kCrc32Preset;
            DecodeStatus status = decodeMember(input, output, params);
            output.finish();
            complete = status == DecodeStatus::Complete;
        } catch (const EBiggerThanUncompressed&) {
            tooLong = true;
        }
        r_.runningCrc_ = output.crcRegister();

        const std::uint32_t calc = ~r_.runningCrc_;
        if (complete && calc == h.crc32 && output.written() == size) {
            if (!toBuffer_ && !commitMember(place, temp, linkText, index, target, h)) return false;
            if (r_.OnEndUnZip) r_.OnEndUnZip(r_, index, target);
            ++extracted_;
            return false;
        }
        temp.reset();
        if (h.encrypted()) {
            std::string newPassword = r_.Password;
            if (r_.OnBadPassword) r_.OnBadPassword(r_, index, newPassword);
            if (r_.OnBadPassword && newPassword != r_.Password) {
                r_.Password = newPassword;
                return true;
            }
            return skip(skipBadPassword, stored, index, h);
        }
        if (tooLong) r_.lastSkipDetail_ = msg::kBiggerThanUncompressed;
        else if (!complete) r_.lastSkipDetail_ = "corrupt " + methodName(h.compressionMethod) + " data";
        else if (output.written() != size) r_.lastSkipDetail_ = "size differs from the stored size";
        if (r_.OnBadCRC) r_.OnBadCRC(r_, calc, h.crc32, index);
        return false;
    }

    // The overwrite rule for a target that exists: true to replace it.
    bool keepOrReplace(const platform::NodeInfo& existing, int index, std::string& target) {
        const TZipHeaderInfo& h = r_.working_;
        bool overwrite = false;
        switch (r_.OverwriteMode) {
            case Prompt:
                if (r_.OnPromptForOverwrite) {
                    r_.OnPromptForOverwrite(r_, overwrite, index, target);
                } else if (r_.Ui) {
                    overwrite = r_.Ui->confirm("Replace existing file " + h.fileName() + "?",
                                                platform::MessageKind::Confirmation, msg::kFileExistsCaption);
                }
                break;
            case Never: break;
            case ifNewer:
            case ifOlder: {
                // The member's instant (UTC when it carries one) against the file's.
                const auto order = compareMemberTime(h, existing.lastWriteTime);
                if (order) overwrite = r_.OverwriteMode == ifNewer ? *order > 0 : *order < 0;
                break;
            }
            case Always: overwrite = true; break;
        }
        return overwrite;
    }

    // Puts a member that decoded correctly in its place: the temporary file is given
    // its mode and time and renamed over the target; a link is made only when it
    // stays inside the destination. False (and reported) when that fails.
    bool commitMember(TargetFolder& place, std::optional<TempMemberFile>& temp, const std::string& linkText,
                      int index, const std::string& target, const TZipHeaderInfo& h) {
        const platform::FileTime time = memberFileTime(h);
        if (!temp) {
            if (!linkStaysInside(place.base, place.below, linkText)) {
                r_.lastSkipDetail_ = "link to \"" + linkText + "\" leads outside the destination";
                skip(skipUnsafeName, h.storedName(), index, h);
                return false;
            }
            std::string tempName;
            if (!place.folder.createTempLink(linkText, kTempMemberPrefix, tempName)) {
                r_.lastSkipDetail_ = "the link could not be made";
                skip(skipCreateFailed, target, index, h);
                return false;
            }
            place.folder.setEntryTime(tempName, time);
            if (!place.folder.rename(tempName, place.name)) {
                place.folder.remove(tempName);
                r_.lastSkipDetail_ = "the link could not be put in place";
                skip(skipCreateFailed, target, index, h);
                return false;
            }
            return true;
        }
        if (!temp->finish(fileMode(h), time, r_.FlushFilesOnClose)) {
            // Closing is where a full disk may show; the run cannot go on writing.
            temp.reset();
            throw ECantWriteUCF();
        }
        if (!temp->commit(place.name)) {
            r_.lastSkipDetail_ = temp->error();
            temp.reset();
            skip(skipCreateFailed, target, index, h);
            return false;
        }
        return true;
    }

    // The permissions of an extracted file: the member's own (Unix host) when
    // attributes are kept, else those of a new file, less write permission for a
    // member stored read-only.
    std::uint32_t fileMode(const TZipHeaderInfo& h) const {
        const std::uint32_t fresh = newFileMode_;
        if (!r_.RetainAttributes) return fresh;
        const int permissions = platform::restoredPermissions(h.host(), h.externalAttributes);
        if (permissions >= 0) return std::uint32_t(permissions);
        return (h.externalAttributes & platform::faReadOnly) ? fresh & ~0222u : fresh;
    }

    TZipReader& r_;
    bool toBuffer_;
    int& extracted_;
    platform::DirHandle dest_;
    std::uint32_t newFileMode_ = platform::newFileMode();
};

int TZipReader::UnZip() { return runExtraction(false); }

int TZipReader::UnZipToBuffer() { return runExtraction(true); }

int TZipReader::runExtraction(bool toBuffer) {
    if (!toBuffer && destDir_ == "?") return 0;
    busy_ = true;
    CancelRequested = false;
    const bool keepOpen = KeepZipOpen;
    int extracted = 0;
    auto finish = [&] {
        FilesList.clear();
        try {
            if (OnUnZipComplete) OnUnZipComplete(*this, extracted);
        } catch (...) {
            KeepZipOpen = keepOpen;
            busy_ = false;
            throw;
        }
        KeepZipOpen = keepOpen;
        busy_ = false;
    };
    try {
        ReadDirectory();
        KeepZipOpen = true;
        if (!loaded_) {
            // Once more, and now the failure reaches the caller.
            try {
                readDirectoryOnce();
            } catch (...) {
                ClearArchive();
                throw;
            }
        }
        openArchive();
        platform::DirHandle dest;
        if (!toBuffer) {
            // The destination is followed as the user named it; below it, nothing is.
            std::error_code ec;
            if (!destDir_.empty() && !fs::is_directory(destDir_, ec)) fs::create_directories(destDir_, ec);
            dest = platform::DirHandle::open(destDir_);
            if (!dest.valid())
                throw EFCreateError("Cannot open the destination folder " + destDir_ + ": " + ec.message());
        }
        ZipExtractRun run(*this, toBuffer, extracted, std::move(dest));
        try {
            run.execute();
        } catch (const QuitRun&) {
        }
    } catch (...) {
        try {
            finish();
        } catch (...) {
        }
        throw;
    }
    finish();
    CloseArchive();
    return extracted;
}

}  // namespace zb::zip
