// INI-file access with the rules of the Windows private-profile functions, which the
// program's settings files were written with: sections and keys without regard to case,
// the first match wins, blanks around names and values trimmed, at most 2047 characters
// returned. One IniFile object is one operation: it reads the file once when made, keeps
// changes in memory, and save() puts them on disk in one atomic replacement, so a crash
// never leaves a half-written file and a long list is not rewritten once per key.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zb::platform {

// A refused write: "Unable to write to %s" with the file's path.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::filesystem::path& path);
};

class IniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty.
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
    // kept; a new file readable by its owner only). Throws IniWriteError; on failure
    // the file on disk is unchanged. Does nothing when nothing changed.
    void save();

private:
    struct Line {
        std::string text;  // the line as read, without its line end
    };
    std::filesystem::path path_;
    std::vector<Line> lines_;
    std::string lineEnd_ = "\r\n";
    bool endsWithLineEnd_ = true;
    bool modified_ = false;
};

}  // namespace zb::platform
