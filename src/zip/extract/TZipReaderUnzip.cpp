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
#include <system_error>

#include "platform/ArchiveHost.h"
#include "platform/DirHandle.h"
#include "platform/FileSystem.h"
#include "platform/Ui.h"
#include "zip/TZipReader.h"
#include "zip/ZipErrors.h"
#include "zip/checksum/Crc32.h"
#include "zip/codec/MemberDecoder.h"
#include "zip/codec/MemberInput.h"
#include "zip/codec/MemberOutput.h"
#include "zip/extract/DecodeAhead.h"
#include "zip/extract/ExtractPath.h"
#include "zip/extract/LinkTarget.h"
#include "zip/extract/TargetResolver.h"
#include "zip/extract/TempMemberFile.h"
#include "zip/reader/MemberOverlap.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/MemberTime.h"
#include "zip/records/ZipBytes.h"
#include "zip/records/ZipNames.h"
#include "zip/records/ZipRecords.h"
#include "zip/select/WildcardMatch.h"

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
        : r_(reader), toBuffer_(toBuffer), extracted_(extracted), targets_(std::move(dest), reader.destDir_) {}

    void execute() {
        refuseOverlaps();
        TSortedZip& list = r_.view();
        const int n = list.count();
        const Selection chosen = markSelection(list);
        r_.totalBytes_ = chosen.bytes;
        r_.bytesWritten_ = 0;
        bool stop = false;
        if (r_.OnStartUnZipInfo) r_.OnStartUnZipInfo(r_, chosen.files, chosen.bytes, stop);
        // An archive of folder entries alone still makes its folders when folders are
        // recreated; the count given to the handler stays one of files.
        if (stop || (chosen.files == 0 && !(chosen.folders > 0 && r_.RecreateDirs && !toBuffer_))) return;
        startDecodingAhead(list);

        for (int i = 0; i < n; ++i) {
            if (!r_.DoAll && !list[i]->extractMark) continue;
            while (processMember(i, *list[i])) {}
        }
    }

private:
    // How a step leaves a member: on to the next step, done with it, or to be
    // processed again at once (a handler asked to retry).
    enum class Step { Next, Done, Again };

    // What one pass over a member learns on its way: where it goes, where its data
    // starts, how it is decrypted, what receives its bytes and how decoding went.
    struct MemberJob {
        MemberJob(int i, TZipHeaderInfo& header, TStream& stream)
            : index(i), h(header), archive(stream), stored(header.storedName()), isFolder(header.fileName().empty()) {}

        int index;
        TZipHeaderInfo& h;
        TStream& archive;
        std::string stored;
        bool isFolder = false;
        bool isLink = false;
        std::string folder;
        std::string target;
        std::uint64_t dataStart = 0;
        std::uint64_t compressed = 0;
        ZipCrypto* cipher = nullptr;
        TargetFolder place;
        // Whether an entry stands in the target's place.
        bool occupied = false;
        // Declared after `place`, whose open folder it writes in.
        std::optional<TempMemberFile> temp;
        std::string linkText;
        bool complete = false;
        bool tooLong = false;
        std::uint64_t written = 0;
    };

    // What the selection holds: files, folder entries and the files' bytes.
    struct Selection {
        int files = 0;
        int folders = 0;
        std::int64_t bytes = 0;
    };

    // Members that share their bytes (a zip bomb, or a damaged directory) are refused
    // before anything is written.
    void refuseOverlaps() {
        const std::uint64_t archiveSize = std::uint64_t(r_.archive_->size());
        if (auto overlap = findOverlappingMembers(*r_.members_, [&](const TZipHeaderInfo& h) {
                // In a set, each part is checked by offsets alone (the open file is only one part).
                if (r_.splitSet_ || h.diskNumberStart != std::uint32_t(r_.currentPart_)) return true;
                return memberStretchEnd(h) <= archiveSize && localSignatureAt(h, archiveSize);
            }))
            throw EBadZipFile(overlapMessage(*overlap));
    }

    // With more than one thread, workers decode the selected members they can ahead of
    // this thread. A set of parts is read through its own stream and keeps to it.
    void startDecodingAhead(TSortedZip& list) {
        if (r_.extractThreads_ < 2 || r_.splitSet_ || !r_.archive_) return;
        std::vector<DecodeAhead::Request> requests;
        for (int i = 0; i < list.count(); ++i) {
            const TZipHeaderInfo& h = *list[i];
            if ((r_.DoAll || h.extractMark) && !h.fileName().empty() &&
                h.diskNumberStart == std::uint32_t(r_.currentPart_) && DecodeAhead::suits(h))
                requests.push_back(DecodeAhead::requestFor(i, h));
        }
        if (requests.empty()) return;
        const auto workers = unsigned(std::min<std::size_t>(std::size_t(r_.extractThreads_ - 1), requests.size()));
        try {
            ahead_ = std::make_unique<DecodeAhead>(r_.archive_->file().handle(), std::move(requests), workers);
        } catch (const std::system_error&) {
            // Without a descriptor or a thread to spare, every member is decoded here.
        }
    }

    // Marks the members the file list selects (all of them when asked for all).
    Selection markSelection(TSortedZip& list) {
        std::vector<std::string> patterns;
        for (std::string p : r_.FilesList) {
            for (char& c : p)
                if (c == '\\') c = '/';
            patterns.push_back(std::move(p));
        }
        Selection chosen;
        for (int i = 0; i < list.count(); ++i) {
            TZipHeaderInfo& h = *list[i];
            bool selected = false;
            const bool isFolder = h.fileName().empty();
            if (r_.DoAll) {
                selected = true;
            } else if (!isFolder || r_.RecreateDirs) {
                const std::string name = h.storedName();
                selected = std::any_of(patterns.begin(), patterns.end(),
                                       [&](const std::string& p) { return wildcardMatch(p, name); });
            }
            h.extractMark = selected ? 1 : 0;
            if (selected && isFolder) ++chosen.folders;
            if (selected && !isFolder) {
                ++chosen.files;
                chosen.bytes += std::int64_t(h.uncompressedSize);
            }
        }
        return chosen;
    }

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
    void compareLocalHeader(const LocalHeader& local, const TZipHeaderInfo& h) {
        std::vector<std::string> fields;
        const std::uint16_t flags = local.flags;
        std::string raw(local.nameLength, '\0');
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
            if (local.crc != h.crc32) fields.push_back("CRC");
            const std::uint32_t packed = local.compressedSize, size = local.uncompressedSize;
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

    // Leaves the member out, as a step's outcome; with `detail` saying why.
    Step skipped(const MemberJob& job, TSkipReason reason, const std::string& fname) {
        return skip(reason, fname, job.index, job.h) ? Step::Again : Step::Done;
    }
    Step skipped(const MemberJob& job, TSkipReason reason, const std::string& fname, std::string detail) {
        r_.lastSkipDetail_ = std::move(detail);
        return skipped(job, reason, fname);
    }

    // A place that could not be reached: through a link it is an unsafe name,
    // otherwise it could not be made.
    Step unreachable(const MemberJob& job, TargetOutcome outcome, const TargetFolder& made, const std::string& fname) {
        return outcome == TargetOutcome::ThroughLink ? skipped(job, skipUnsafeName, job.stored, made.error)
                                                     : skipped(job, skipCreateFailed, fname, made.error);
    }

    // Offers the handler another password after a failed check; true when it gave one.
    bool newPasswordGiven(int index) {
        std::string newPassword = r_.Password;
        if (r_.OnBadPassword) r_.OnBadPassword(r_, index, newPassword);
        if (!r_.OnBadPassword || newPassword == r_.Password) return false;
        r_.Password = newPassword;
        return true;
    }

    using StepFn = Step (ZipExtractRun::*)(MemberJob&);

    // Processes one member, step by step in this order; true when it is to be
    // processed again at once.
    bool processMember(int index, const TZipHeaderInfo& record) {
        static constexpr StepFn kSteps[] = {
            &ZipExtractRun::checkName,   &ZipExtractRun::readLocalHeader, &ZipExtractRun::makeFolderEntry,
            &ZipExtractRun::checkKind,   &ZipExtractRun::announce,        &ZipExtractRun::checkMethod,
            &ZipExtractRun::reachTarget, &ZipExtractRun::unlock,          &ZipExtractRun::settleExisting,
            &ZipExtractRun::openOutput,  &ZipExtractRun::decode,          &ZipExtractRun::keepOrReport,
        };
        TZipHeaderInfo& h = r_.working_;
        h.assign(record);
        r_.lastSkipDetail_.clear();
        MemberJob job(index, h, r_.memberStream());
        for (StepFn step : kSteps) {
            const Step next = (this->*step)(job);
            if (next != Step::Next) return next == Step::Again;
        }
        return false;
    }

    // A member is made only under a name that is there and safe.
    Step checkName(MemberJob& job) {
        // A record without a name (damaged) would pass for a folder entry and its data
        // would vanish without a word.
        if (job.stored.empty()) return skipped(job, skipBadHeader, job.stored, "member without a name");
        // Names that would lead outside the destination are never made into paths.
        if (!toBuffer_ && unsafeMemberName(job.stored))
            return skipped(job, skipUnsafeName, job.stored, "unsafe name \"" + job.stored + "\"");
        return Step::Next;
    }

    // Finds the member's local header, compares it with the central record and notes
    // where the data starts. Folder entries have no data to find.
    Step readLocalHeader(MemberJob& job) {
        TZipHeaderInfo& h = job.h;
        if (job.isFolder) return Step::Next;
        if (r_.splitSet_) {
            // Offsets count from the start of the member's own part.
            r_.selectMemberPart(h.diskNumberStart);
        } else if (h.diskNumberStart != std::uint32_t(r_.currentPart_)) {
            return skipped(job, skipUnsupported, job.stored, "member stands in another part of a split archive");
        }
        std::uint8_t raw[LocalHeader::kFixedSize];
        LocalHeader local;
        // An offset no file can reach (a damaged ZIP64 field) is a missing header,
        // not a reason to end the run.
        const bool reachable = h.relativeOffset < std::uint64_t(INT64_MAX) - LocalHeader::kFixedSize;
        if (reachable) job.archive.seek(std::int64_t(h.relativeOffset), soFromBeginning);
        if (!reachable || job.archive.read(raw, sizeof raw) != sizeof raw || !local.decodeFixed(raw))
            return skipped(job, skipBadHeader, job.stored,
                           "no local header at offset " + std::to_string(h.relativeOffset));
        h.localExtraFieldLength = local.extraLength;
        compareLocalHeader(local, h);
        job.dataStart = h.relativeOffset + local.size();
        return Step::Next;
    }

    // Names the target; a folder entry ends here, its folder made when folders are
    // recreated.
    Step makeFolderEntry(MemberJob& job) {
        job.folder =
            toBuffer_ ? std::string() : extractFolder(r_.destDir_, r_.rootDir_, r_.RecreateDirs, job.h.directory());
        job.target = toBuffer_ ? job.stored : job.folder + job.h.fileName();
        if (!job.isFolder) return Step::Next;
        if (toBuffer_) return Step::Done;
        if (r_.RecreateDirs && !job.folder.empty()) {
            TargetFolder made;
            TargetOutcome outcome = targets_.resolve(job.folder, true, true, made);
            if (outcome != TargetOutcome::Ready) return unreachable(job, outcome, made, job.folder);
        }
        ++extracted_;
        return Step::Done;
    }

    // Only files and links are made.
    Step checkKind(MemberJob& job) {
        // Pipes, devices and sockets are not data; made on restore they could block or
        // open hardware.
        const std::uint32_t fileType = unixFileType(job.h);
        if (!toBuffer_ && fileType != 0 && fileType != S_IFREG && fileType != S_IFLNK)
            return skipped(job, skipUnsupported, job.stored, "special file (pipe, device or socket)");
        job.isLink = !toBuffer_ && fileType == S_IFLNK;
        return Step::Next;
    }

    // The handler may pass the member by.
    Step announce(MemberJob& job) {
        bool skipIt = false;
        if (r_.OnStartUnZip) r_.OnStartUnZip(r_, job.index, job.target, skipIt);
        return skipIt ? Step::Done : Step::Next;
    }

    // What the engine cannot decode is refused before anything is created, so an
    // existing file of that name stays as it is.
    Step checkMethod(MemberJob& job) {
        const TZipHeaderInfo& h = job.h;
        const bool aes = h.compressionMethod == kMethodAes || (h.flags & kFlagStrongEncryption);
        if (!aes && methodSupported(h.compressionMethod)) return Step::Next;
        if (aes) return skipped(job, skipUnsupported, job.stored, "AES or strong encryption is not supported");
        const std::string detail = std::string(msg::kUnknownMethod) + " (" + methodName(h.compressionMethod) + ")";
        r_.lastSkipDetail_ = detail;
        if (r_.Ui) r_.Ui->messageBox(platform::MessageKind::Error, msg::kUnknownMethod, msg::kZipErrorCaption);
        return skipped(job, skipUnsupported, job.stored, detail);
    }

    // Opens the folder that receives the target, never through a link.
    Step reachTarget(MemberJob& job) {
        if (toBuffer_) return Step::Next;
        job.place = TargetFolder();
        TargetOutcome outcome = targets_.resolve(job.target, false, true, job.place);
        return outcome == TargetOutcome::Ready ? Step::Next : unreachable(job, outcome, job.place, job.target);
    }

    // The password: the last byte of the decrypted header must match.
    Step unlock(MemberJob& job) {
        const TZipHeaderInfo& h = job.h;
        job.compressed = h.compressedSize;
        if (!h.encrypted()) return Step::Next;
        if (job.compressed < kCryptHeaderSize)
            return skipped(job, skipBadHeader, job.stored, "encrypted member shorter than its encryption header");
        const std::uint8_t check = cryptCheckByte(h.flags, h.dosDateTime, h.crc32);
        for (;;) {
            std::uint8_t header[kCryptHeaderSize];
            job.archive.seek(std::int64_t(job.dataStart), soFromBeginning);
            if (job.archive.read(header, sizeof header) != sizeof header) throw EFatalUnzipError();
            if (checkCryptHeader(r_.cipher_, r_.Password, header, check)) break;
            if (!newPasswordGiven(job.index)) return skipped(job, skipBadPassword, job.stored);
        }
        job.cipher = &r_.cipher_;
        job.dataStart += kCryptHeaderSize;
        job.compressed -= kCryptHeaderSize;
        return Step::Next;
    }

    // What stands in the target's place, seen as it is (a link is not followed): a
    // folder is never replaced, a file only as the overwrite rule says.
    Step settleExisting(MemberJob& job) {
        if (toBuffer_) return Step::Next;
        std::optional<platform::NodeInfo> existing = job.place.folder->entry(job.place.name);
        if (existing && existing->kind == platform::NodeKind::Directory)
            return skipped(job, skipCreateFailed, job.target, "a folder of that name exists");
        if (existing && r_.OverwriteMode != Always) {
            const std::string asked = job.target;
            if (!keepOrReplace(*existing, job.index, job.target)) return skipped(job, skipNoOverwrite, job.target);
            // The prompt's handler may name another place; it is reached as safely.
            if (job.target != asked) {
                if (const Step reached = reachTarget(job); reached != Step::Next) return reached;
                existing = job.place.folder->entry(job.place.name);
                if (existing && existing->kind == platform::NodeKind::Directory)
                    return skipped(job, skipCreateFailed, job.target, "a folder of that name exists");
            }
        }
        // Renaming would get round a read-only file; it is replaced only when asked.
        if (existing && existing->kind == platform::NodeKind::File && !(existing->mode & S_IWUSR) &&
            !r_.ReplaceReadOnly)
            return skipped(job, skipCreateFailed, job.target, "the existing file is read-only");
        job.occupied = existing.has_value();
        return Step::Next;
    }

    // The file is written to a temporary beside the target; a link's short text is
    // kept in memory.
    Step openOutput(MemberJob& job) {
        if (!toBuffer_ && !job.isLink) {
            job.temp.emplace(*job.place.folder, job.target, job.occupied, unnamedWorks_);
            if (!job.temp->created()) return skipped(job, skipCreateFailed, job.target, job.temp->error());
        }
        // A link's text is short; a member that says otherwise is not a link.
        if (job.isLink && job.h.uncompressedSize >= kMaxLinkText)
            return skipped(job, skipUnsafeName, job.stored, "link text too long");
        return Step::Next;
    }

    // Decodes the member through its cipher and its method's decoder into the sink,
    // reporting progress on the way.
    Step decode(MemberJob& job) {
        const TZipHeaderInfo& h = job.h;
        int bufferNum = 0;
        MemberOutput::Sink sink;
        if (toBuffer_) {
            sink = [&](const std::uint8_t* data, std::size_t size) {
                if (!r_.OnGetNextBuffer) return;
                bool quit = false;
                r_.OnGetNextBuffer(r_, data, size, job.target, bufferNum++, quit);
                if (quit) throw QuitRun{};
            };
        } else if (job.isLink) {
            sink = [&](const std::uint8_t* data, std::size_t size) { job.linkText.append(data, data + size); };
        } else {
            sink = job.temp->sink();
        }
        const std::uint64_t size = h.uncompressedSize;
        MemberOutput output(size, sink, [&](std::uint64_t memberWritten, std::size_t flushed) {
            if (r_.OnFilePercentDone) r_.OnFilePercentDone(r_, percent(memberWritten, std::int64_t(size)));
            r_.bytesWritten_ += std::int64_t(flushed);
            if (r_.OnTotalPercentDone)
                r_.OnTotalPercentDone(r_, percent(std::uint64_t(r_.bytesWritten_), r_.totalBytes_));
        });
        std::optional<DecodeAhead::Decoded> ready;
        if (ahead_ && !job.cipher) ready = ahead_->take(job.index, job.dataStart, job.compressed);
        MemberInput input(job.archive, job.compressed, job.cipher, [this] { r_.processMessagesAndCancel(); });
        DecodeParams params;
        params.method = h.compressionMethod;
        params.flags = h.flags;
        params.compressedSize = job.compressed;
        params.uncompressedSize = size;

        // Any exception leaves the run here; the temporary file goes with the job.
        try {
            r_.runningCrc_ = kCrc32Preset;
            if (ready) {
                feedDecoded(*ready, output);
                job.complete = true;
                ahead_->giveBack(std::move(*ready));
            } else {
                job.archive.seek(std::int64_t(job.dataStart), soFromBeginning);
                DecodeStatus status = decodeMember(input, output, params);
                output.finish();
                job.complete = status == DecodeStatus::Complete;
            }
        } catch (const EBiggerThanUncompressed&) {
            job.tooLong = true;
        }
        r_.runningCrc_ = output.crcRegister();
        job.written = output.written();
        return Step::Next;
    }

    // A member a worker decoded goes through the same output, block by block, as it
    // would from its decoder: the same flushes, size checks, events and cancel tests.
    void feedDecoded(const DecodeAhead::Decoded& decoded, MemberOutput& output) {
        // At least one test, as the decoder's input makes before its first block.
        std::size_t at = 0;
        do {
            r_.processMessagesAndCancel();
            const std::size_t n = std::min(kDecodeBlockSize, decoded.size - at);
            output.write(decoded.bytes.get() + at, n);
            at += n;
        } while (at < decoded.size);
        output.finish();
    }

    // A member that decoded whole and true is put in its place; otherwise the
    // temporary goes, and the failure is a wrong password or a bad CRC.
    Step keepOrReport(MemberJob& job) {
        const TZipHeaderInfo& h = job.h;
        const std::uint32_t calc = ~r_.runningCrc_;
        if (job.complete && calc == h.crc32 && job.written == h.uncompressedSize) {
            if (!toBuffer_ && !commitMember(job.place, job.temp, job.linkText, job.index, job.target, h))
                return Step::Done;
            if (r_.OnEndUnZip) r_.OnEndUnZip(r_, job.index, job.target);
            ++extracted_;
            return Step::Done;
        }
        job.temp.reset();
        if (h.encrypted()) {
            if (newPasswordGiven(job.index)) return Step::Again;
            return skipped(job, skipBadPassword, job.stored);
        }
        if (job.tooLong)
            r_.lastSkipDetail_ = msg::kBiggerThanUncompressed;
        else if (!job.complete)
            r_.lastSkipDetail_ = "corrupt " + methodName(h.compressionMethod) + " data";
        else if (job.written != h.uncompressedSize)
            r_.lastSkipDetail_ = "size differs from the stored size";
        if (r_.OnBadCRC) r_.OnBadCRC(r_, calc, h.crc32, job.index);
        return Step::Done;
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
    bool commitMember(TargetFolder& place, std::optional<TempMemberFile>& temp, const std::string& linkText, int index,
                      const std::string& target, const TZipHeaderInfo& h) {
        const platform::FileTime time = fileTime(h);
        if (!temp) {
            if (!linkStaysInside(*place.base, place.below, linkText)) {
                r_.lastSkipDetail_ = "link to \"" + linkText + "\" leads outside the destination";
                skip(skipUnsafeName, h.storedName(), index, h);
                return false;
            }
            std::string tempName;
            if (!place.folder->createTempLink(linkText, kTempMemberPrefix, tempName)) {
                r_.lastSkipDetail_ = "the link could not be made";
                skip(skipCreateFailed, target, index, h);
                return false;
            }
            place.folder->setEntryTime(tempName, time);
            if (!place.folder->rename(tempName, place.name)) {
                place.folder->remove(tempName);
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

    // The member's time for its file. Turning a local DOS time into an instant reads
    // the time zone afresh each time (a file lookup), and members in a row often share
    // one: the last conversion is kept.
    platform::FileTime fileTime(const TZipHeaderInfo& h) {
        if (h.modTimeUtc) return memberFileTime(h);
        if (!lastDosTime_ || *lastDosTime_ != h.dosDateTime) {
            lastDosTime_ = h.dosDateTime;
            lastFileTime_ = memberFileTime(h);
        }
        return lastFileTime_;
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
    TargetResolver targets_;
    // Whether new files may be made unnamed here; cleared when the file system refuses.
    bool unnamedWorks_ = true;
    std::optional<std::uint32_t> lastDosTime_;
    platform::FileTime lastFileTime_;
    std::uint32_t newFileMode_ = platform::newFileMode();
    // The workers decoding ahead, when there are any; stopped and joined with the run.
    std::unique_ptr<DecodeAhead> ahead_;
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
        } catch (const QuitRun&) {}
    } catch (...) {
        try {
            finish();
        } catch (...) {}
        throw;
    }
    finish();
    CloseArchive();
    return extracted;
}

}  // namespace zb::zip
