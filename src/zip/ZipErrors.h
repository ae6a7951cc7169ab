// The exceptions of the archive engine. Every one of them derives from EZipError, so a
// caller can catch the engine's failures in one place; each carries the engine's own
// message text, which the windows and the log show as they stand.
#pragma once

#include <stdexcept>
#include <string>

namespace zb::zip {

// The engine's message table.
namespace msg {
inline constexpr const char* kUserAborted = "User Aborted Operation";
inline constexpr const char* kNotEnoughRoom = "Not enough room to write archive";
inline constexpr const char* kNotAZipFile = "Not a valid zip file!";
inline constexpr const char* kIncompleteZip = "Incomplete Zip File";
inline constexpr const char* kPrematureEnd = "Premature end of file reached";
inline constexpr const char* kBiggerThanUncompressed = "File is larger than uncompressed size!";
inline constexpr const char* kCantWriteUcf = "Cant write uncompressed file";
inline constexpr const char* kUnknownMethod = "Unknown Compression Method";
inline constexpr const char* kZipErrorCaption = "Zip Error";
// The title of the question whether an existing file is replaced.
inline constexpr const char* kFileExistsCaption = "File Exists Alert";
inline constexpr const char* kCanceledZipName = "User canceled setting zip file name.";
inline constexpr const char* kCanceledDestDir = "User canceled Set Desination Directory";
inline constexpr const char* kCanceledNewDisk = "User canceled loading new disk.";
inline constexpr const char* kPutbackOverflow = "Putback overflow";
inline constexpr const char* kDuplicateObject = "Duplicate Object index";
inline constexpr const char* kPutInSortedList = "Cannot <Put> an Object in a sorted list!";
}  // namespace msg

// The base of every engine exception.
class EZipError : public std::runtime_error {
public:
    explicit EZipError(const std::string& message) : std::runtime_error(message) {}
};

// The user (or the owner through CancelRequested) stopped the operation.
class EUserCanceled : public EZipError {
public:
    explicit EUserCanceled(const std::string& message = msg::kUserAborted) : EZipError(message) {}
};

// The archive could not be written for lack of room.
class ENotEnoughRoom : public EZipError {
public:
    explicit ENotEnoughRoom(const std::string& message = msg::kNotEnoughRoom) : EZipError(message) {}
};

// The directory is unreadable and could not be rebuilt from the local headers.
class EBadZipFile : public EZipError {
public:
    explicit EBadZipFile(const std::string& message = msg::kNotAZipFile) : EZipError(message) {}
};

// No end record: the file is not taken as an archive at all.
class ENotAZipFile : public EZipError {
public:
    explicit ENotAZipFile(const std::string& message = msg::kNotAZipFile) : EZipError(message) {}
};

// No end record: the file is taken as a part of a split set whose last part is missing.
class EIncompleteZip : public EZipError {
public:
    explicit EIncompleteZip(const std::string& message = msg::kIncompleteZip) : EZipError(message) {}
};

// The archive ends inside a member's data.
class EFatalUnzipError : public EZipError {
public:
    explicit EFatalUnzipError(const std::string& message = msg::kPrematureEnd) : EZipError(message) {}
};

// A member decodes to more bytes than its header states.
class EBiggerThanUncompressed : public EZipError {
public:
    explicit EBiggerThanUncompressed(const std::string& message = msg::kBiggerThanUncompressed) : EZipError(message) {}
};

// The extracted file could not be written completely.
class ECantWriteUCF : public EZipError {
public:
    explicit ECantWriteUCF(const std::string& message = msg::kCantWriteUcf) : EZipError(message) {}
};

// Misuse of the engine's object lists: an index outside the list, a duplicate key.
class EListError : public EZipError {
public:
    explicit EListError(const std::string& message) : EZipError(message) {}
};

// A stream could not do what was asked: open, create, read or write.
class EStreamError : public EZipError {
public:
    explicit EStreamError(const std::string& message) : EZipError(message) {}
};

// A file could not be opened for reading or writing.
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& message) : EStreamError(message) {}
};

// A file could not be created (or truncated) for writing.
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& message) : EStreamError(message) {}
};

}  // namespace zb::zip
