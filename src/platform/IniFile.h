// INI-file access with the rules of the Windows private-profile functions, which the
// program's settings files were written with: sections and keys without regard to case,
// the first match wins, blanks around names and values trimmed, at most 2047 characters
// returned. One IniFile object is one operation: it reads the file once when made, keeps
// changes in memory, and save() puts them on disk in one atomic replacement, so a crash
// never leaves a half-written file and a long list is not rewritten once per key.
//
// Lines the reader does not understand (no "=", text before the first section, binary
// bytes) are kept as they are and written back unchanged. A file keeps its line ends
// (CRLF or LF); a new file gets CRLF, as the program's files have always had. Line
// breaks inside a written name or value would split it into two lines and inject keys,
// so they are written as blanks.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zb::platform {

// A refused write: "Unable to write to %s" with the file's path.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::filesystem::path& path);
};

// The integer reading of a value: decimal with an optional sign, or "0x"/"0X"
// hexadecimal when the text is longer than two characters (up to 32 bits, read as a
// signed number); nullopt for anything else or a number out of range.
std::optional<int> parseProfileInteger(std::string_view text);

// The longest value a read returns, in bytes; a cut never splits a UTF-8 character.
constexpr std::size_t kMaxProfileValue = 2047;

class IniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty (an unreadable one is
    // then never overwritten: save() refuses it).
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal; "0x"/"0X" hexadecimal when longer than two characters; unreadable or
    // out of range gives the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // Any integer other than 0 is true; a missing or non-numeric value gives the default.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    bool sectionExists(std::string_view section) const;
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(std::string_view section) const;

    // Replaces the value in place, or appends the key to its section, or the section
    // to the file.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void eraseSection(std::string_view section);

    bool modified() const { return modified_; }
    // Writes the changes atomically (temporary file beside it, flush, rename; mode
    // kept; a new file readable by its owner only; through a link, the link's target is
    // replaced). A file without owner write permission (the read-only attribute) is
    // refused even where the system would let the rename through. Throws IniWriteError;
    // on failure the file on disk is unchanged. Does nothing when nothing changed.
    void save();

private:
    // One line of the file, kept as read so that a save changes only what was written.
    struct Line {
        std::string text;  // the line as read, without its line end
        std::string key;   // trimmed key name of a "key=value" line, else empty
        bool isKey = false;
    };
    // A section header and the lines up to the next one; blank lines at its end are
    // kept apart so that an appended key lands after the section's last line of text.
    // The lines before the first header form a section without a header.
    struct Section {
        bool hasHeader = false;
        std::string header;   // the header line as read
        std::string name;     // trimmed name between the brackets
        std::string folded;   // the name folded for comparison
        std::vector<Line> body;
        std::vector<std::string> trailingBlanks;
        // First line of each folded key name; built when first needed.
        mutable std::unordered_map<std::string, std::size_t> keyIndex;
        mutable bool indexed = false;
    };

    const Section* findSection(std::string_view section) const;
    Section* findSection(std::string_view section);
    const Line* findKey(const Section& s, std::string_view key) const;
    std::string serialize() const;

    std::filesystem::path path_;
    std::vector<Section> sections_;
    std::string lineEnd_ = "\r\n";  // a new file gets the line ends of the program's origin
    bool endsWithLineEnd_ = true;
    bool hasByteOrderMark_ = false;
    bool unreadable_ = false;       // the file exists but could not be read: never overwrite it
    bool modified_ = false;
};

}  // namespace zb::platform
