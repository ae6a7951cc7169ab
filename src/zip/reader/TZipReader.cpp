// The reader's properties, accessors, comments and archive state. Reading the
// directory is in TZipReaderDirectory.cpp, extraction in TZipReaderUnzip.cpp.
#include "zip/TZipReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/Paths.h"
#include "platform/Ui.h"
#include "zip/ZipErrors.h"
#include "zip/records/DosDateTime.h"
#include "zip/split/SplitSetStream.h"

namespace zb::zip {

const char* skipReasonText(TSkipReason reason) {
    switch (reason) {
        case skipBadPassword: return "wrong password";
        case skipNoOverwrite: return "existing file kept";
        case skipOpenFailed: return "could not be opened";
        case skipCreateFailed: return "target file could not be created";
        case skipUnsupported: return "not supported";
        case skipUnsafeName: return "name leads outside the destination";
        case skipBadHeader: return "local header missing or damaged";
    }
    return "skipped";
}

TZipReader::TZipReader() = default;

TZipReader::~TZipReader() = default;

void TZipReader::SetThreads(int value) {
    if (value < 1) throw std::out_of_range("Threads must be at least 1");
    extractThreads_ = value;
}

void TZipReader::SetZipName(const std::string& name) {
    if (name == zipName_) return;
    std::string chosen = name;
    if (!name.empty() && name.back() == '?') {
        std::string folder = platform::extractFileDir(name.substr(0, name.size() - 1));
        std::error_code ec;
        if (folder.empty() || !std::filesystem::is_directory(folder, ec)) folder = platform::homeFolder();
        std::optional<std::string> file;
        if (Ui) file = Ui->chooseFile("Open a Zip File", folder);
        if (!file) throw EUserCanceled(msg::kCanceledZipName);
        chosen = *file;
    }
    ClearArchive();
    zipName_ = chosen;
}

void TZipReader::SetDestDir(const std::string& dir) {
    std::string value = dir;
    if (dir == "?") {
        std::error_code ec;
        std::string start = !destDir_.empty() && std::filesystem::is_directory(destDir_, ec)
                                ? destDir_
                                : std::filesystem::current_path(ec).string();
        std::optional<std::string> folder;
        if (Ui) folder = Ui->chooseFolder(start);
        if (!folder) throw EUserCanceled(msg::kCanceledDestDir);
        value = *folder;
    }
    if (value.size() > 1 && value.back() == '/') value.pop_back();
    destDir_ = value;
}

void TZipReader::SetRootDir(const std::string& dir) {
    std::string value = dir;
    for (char& c : value)
        if (c == '\\') c = '/';
    if (!value.empty() && value.back() != '/') value.push_back('/');
    rootDir_ = value;
}

void TZipReader::SetSortMode(TZipSortMode mode) {
    if (mode == sortMode_) return;
    sortMode_ = mode;
    if (loaded_) buildView();
}

void TZipReader::buildView() {
    sorted_.reset();
    if (sortMode_ == ByNone || !members_) return;
    sorted_ = std::make_unique<TSortedZip>(sortMode_, TDuplicates::Accept, false);
    sorted_->addAll(std::vector<TZipHeaderInfo*>(members_->begin(), members_->end()));
}

TSortedZip& TZipReader::view() const {
    if (sorted_) return *sorted_;
    return *members_;
}

int TZipReader::MemberCount() const {
    if (!loaded_ || !members_) return 0;
    return view().count();
}

void TZipReader::checkIndex(int index) const {
    if (index < 0 || index >= MemberCount()) throw EListError("Index " + std::to_string(index) + " is out of range");
}

const TZipHeaderInfo& TZipReader::Member(int index) const {
    checkIndex(index);
    return *view()[index];
}

std::string TZipReader::MemberFileName(int index) const { return Member(index).fileName(); }

std::string TZipReader::MemberPath(int index) const { return Member(index).directory(); }

std::uint64_t TZipReader::MemberPackedSize(int index) const { return Member(index).compressedSize; }

platform::DateTime TZipReader::MemberDateTime(int index) const {
    if (auto dt = dosDateTimeToDateTime(Member(index).dosDateTime)) return *dt;
    return platform::SystemClock().now();
}

std::string TZipReader::MemberComment(int index) {
    checkIndex(index);
    TZipHeaderInfo& h = *view()[index];
    if (!h.hasComment()) return {};
    if (h.fileComment()) return *h.fileComment();
    bool wasOpen = archive_ != nullptr;
    openArchive();
    std::string text(h.fileCommentLength, '\0');
    archive_->seek(std::int64_t(h.centralOffset + 46 + h.fileNameLength + h.extraFieldLength), soFromBeginning);
    text.resize(archive_->read(text.data(), text.size()));
    if (!wasOpen) CloseArchive();
    std::uint16_t keepLength = h.fileCommentLength;
    h.setFileComment(text);
    h.fileCommentLength = keepLength;
    return text;
}

void TZipReader::loadArchiveComment() {
    if (archiveCommentLoaded_ || endCentral_.commentLength == 0) return;
    bool wasOpen = archive_ != nullptr;
    openArchive();
    std::string text(endCentral_.commentLength, '\0');
    archive_->seek(std::int64_t(endCentral_.commentPosition), soFromBeginning);
    text.resize(archive_->read(text.data(), text.size()));
    if (!wasOpen) CloseArchive();
    endCentral_.setComment(text);
    archiveCommentLoaded_ = true;
}

std::string TZipReader::ArchiveComment() {
    loadArchiveComment();
    return endCentral_.comment().value_or(std::string());
}

void TZipReader::SetMemberComment(int index, const std::string& comment) {
    if (MemberComment(index) == comment) return;
    view()[index]->setFileComment(comment);
    directoryChanged_ = true;
}

void TZipReader::SetArchiveComment(const std::string& comment) {
    if (ArchiveComment() == comment) return;
    endCentral_.setComment(comment);
    endCentral_.modified = 1;
    archiveCommentLoaded_ = true;
    directoryChanged_ = true;
}

void TZipReader::Assign(const TZipReader& o) {
    zipName_ = o.zipName_;
    destDir_ = o.destDir_;
    rootDir_ = o.rootDir_;
    sortMode_ = o.sortMode_;
    RecreateDirs = o.RecreateDirs;
    OverwriteMode = o.OverwriteMode;
    FilesList = o.FilesList;
    DoAll = o.DoAll;
    IncompleteZipMode = o.IncompleteZipMode;
    KeepZipOpen = o.KeepZipOpen;
    DoProcessMessages = o.DoProcessMessages;
    RetainAttributes = o.RetainAttributes;
    ReplaceReadOnly = o.ReplaceReadOnly;
    FlushFilesOnClose = o.FlushFilesOnClose;
    OnStartUnZipInfo = o.OnStartUnZipInfo;
    OnFilePercentDone = o.OnFilePercentDone;
    OnTotalPercentDone = o.OnTotalPercentDone;
    OnStartUnZip = o.OnStartUnZip;
    OnEndUnZip = o.OnEndUnZip;
    OnPromptForOverwrite = o.OnPromptForOverwrite;
    OnSkippingFile = o.OnSkippingFile;
    OnBadPassword = o.OnBadPassword;
    OnBadCRC = o.OnBadCRC;
    OnInCompleteZip = o.OnInCompleteZip;
    OnGetNextDisk = o.OnGetNextDisk;
    OnUnZipComplete = o.OnUnZipComplete;
    OnGetNextBuffer = o.OnGetNextBuffer;
    extractThreads_ = o.extractThreads_;
}

void TZipReader::openArchive() {
    if (!archive_) archive_ = std::make_unique<TLFNFileStream>(zipName_, TFileMode::OpenRead, kZipBufferSize);
}

void TZipReader::CloseArchive() {
    if (KeepZipOpen) return;
    archive_.reset();
    split_.reset();
}

void TZipReader::ClearArchive() {
    archive_.reset();
    sorted_.reset();
    members_.reset();
    endCentral_.clear();
    loaded_ = false;
    warnings_.clear();
    warningSet_.clear();
    stamp_.reset();
    directoryChanged_ = false;
    archiveCommentLoaded_ = false;
    currentPart_ = 0;
    split_.reset();
    splitSet_ = false;
    openPartNumber_ = -1;
}

void TZipReader::warn(const std::string& text) {
    if (warningSet_.insert(text).second) warnings_.push_back(text);
}

void TZipReader::processMessagesAndCancel() {
    if (!DoProcessMessages) return;
    if (ProcessMessages) ProcessMessages();
    if (CancelRequested.exchange(false)) throw EUserCanceled();
}

std::optional<TZipReader::FileStamp> TZipReader::stampOf() const {
    struct stat st {};
    if (::stat(zipName_.c_str(), &st) != 0) return std::nullopt;
    FileStamp s;
    s.mtimeSec = st.st_mtim.tv_sec;
    s.mtimeNsec = st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.inode = st.st_ino;
    return s;
}

}  // namespace zb::zip
