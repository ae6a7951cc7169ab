// One archive member as the engine holds it: the fields of its central header (sizes
// and offsets 64-bit, so members and archives beyond 4 GiB are held whole), its name
// split into folder and file name, its comment once loaded, and the working marks of
// the reader and the writer. It also reads and writes its own local and central
// records, byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "zip/io/TStream.h"

namespace zb::zip {

struct CentralHeader;
struct LocalHeader;

// Asked for the next part of a split set when a central record continues there;
// returns the stream to go on with, or nullptr.
using NextDiskFn = std::function<TStream*()>;

class TZipHeaderInfo {
public:
    static constexpr const char* kClassName = "TZipHeaderInfo";

    TZipHeaderInfo() { clear(); }
    TZipHeaderInfo(const TZipHeaderInfo& other) = default;
    TZipHeaderInfo& operator=(const TZipHeaderInfo& other) = default;

    // Every field back to the value of a new member.
    void clear();
    void assign(const TZipHeaderInfo& other) { *this = other; }

    // Fields, in the order of the central record.
    std::uint16_t versionMadeBy;
    std::uint16_t versionNeeded;
    std::uint16_t flags;
    std::uint16_t compressionMethod;
    std::uint32_t dosDateTime;
    std::uint32_t crc32;
    std::uint64_t compressedSize;
    std::uint64_t uncompressedSize;
    std::uint16_t fileNameLength;    // bytes of the stored name
    std::uint16_t extraFieldLength;  // central extra field as read
    std::uint16_t localExtraFieldLength;
    std::uint16_t fileCommentLength;
    std::uint32_t diskNumberStart;
    std::uint16_t internalAttributes;
    std::uint32_t externalAttributes;
    std::uint64_t relativeOffset;  // of the local header
    std::uint64_t centralOffset;   // where the central header was read (for the comment)
    std::uint8_t extractMark;
    std::uint8_t dropMark;
    std::uint8_t userMark;
    // Modification time in UTC seconds from the extended-timestamp extra field, when
    // the record carries one: it is exact and free of time zones, unlike the DOS time.
    std::optional<std::int64_t> modTimeUtc;

    const std::string& fileName() const { return fileName_; }
    const std::string& directory() const { return directory_; }
    // Folder + file name, "/"-separated, as the member is known in the archive.
    std::string storedName() const { return directory_ + fileName_; }
    // Store the text and recompute the name length (bytes of the name as written).
    void setFileName(std::string name);
    // A folder without a trailing "/" gets one; an empty folder stays empty.
    void setDirectory(std::string directory);
    // Both at once from a full "/"-separated name.
    void setStoredName(std::string_view name);

    const std::optional<std::string>& fileComment() const { return fileComment_; }
    // nullopt or empty: no comment (length 0).
    void setFileComment(std::optional<std::string> comment);

    bool encrypted() const { return flags & 0x0001; }
    bool hasDataDescriptor() const { return flags & 0x0008; }
    bool hasComment() const { return fileCommentLength != 0; }
    bool nameIsUtf8() const { return flags & 0x0800; }
    std::uint8_t host() const { return std::uint8_t(versionMadeBy >> 8); }
    // True for a record whose sizes or offset needed the ZIP64 extra field.
    bool needsZip64() const;

    std::uint64_t localHeaderSize() const { return 30 + std::uint64_t(fileNameLength) + localExtraFieldLength; }
    std::uint64_t centralHeaderSize() const {
        return 46 + std::uint64_t(fileNameLength) + extraFieldLength + fileCommentLength;
    }

    // Filled from a record (the ZIP64 sizes, offset and part, the extended timestamp
    // and a Unicode path are taken from its extra field).
    void fillFromCentral(const CentralHeader& record);
    void fillFromLocal(const LocalHeader& record);

    // The 46 fixed bytes, the name (code page 437, or UTF-8 with flag bit 11), a ZIP64
    // extra field when a size, the offset or the part number does not fit its field
    // (the extra length field counts only that), then the comment when one is held.
    void writeCentral(TStream& stream);
    // Sets relativeOffset to the stream's position, then writes the 30 fixed bytes and
    // the name. The extra length field is localExtraFieldLength, plus 20 when a ZIP64
    // extra field (written right after the name) is needed or `zip64` asks for one;
    // a writer that copies an old local extra field writes its bytes after this.
    void writeLocal(TStream& stream, bool zip64 = false);

    // Reads a central record at the stream's position. On success the stream stands
    // behind the record (comment included); on failure it is back where it was and
    // false is returned. `nextDisk` continues a record cut by the end of a part.
    bool readCentral(TStream& stream, const NextDiskFn& nextDisk = {});
    // Reads a local record (fixed part, name, extra field). The same rules.
    bool readLocal(TStream& stream);

private:
    void recomputeNameLength();

    std::string fileName_;
    std::string directory_;
    std::optional<std::string> fileComment_;
};

}  // namespace zb::zip
