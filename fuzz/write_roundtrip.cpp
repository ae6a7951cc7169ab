// Fuzz target: an archive written from fuzzed files and options reads back equal.
// The input chooses up to eight files (names in folders, contents that are raw or
// repeated so the compressor finds matches), the pack level 0-9, a password or none,
// an archive comment and member comments. The writer packs them into a new archive in
// a folder of its own; the engine's reader must then list exactly those names, with
// their comments and the archive's comment, and decode every member to the bytes of
// its file with no skip, no bad CRC and no incomplete-archive report.
#include <cctype>
#include <map>
#include <set>

#include "fuzz/FuzzSupport.h"
#include "zip/TZipReader.h"
#include "zip/TZipWriter.h"
#include "zip/ZipErrors.h"

namespace fs = std::filesystem;

namespace {

// Characters of a name part: none that the include lines read as a pattern or an
// option ("*", "?", "<", ">", "|") and no folder separators of any system.
constexpr const char kNameChars[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_.,+=~@#$%&()'!;[]{}";
// A few UTF-8 letters, so names beyond ASCII go through too.
constexpr const char* kUtf8Letters[] = {"\xC3\xA9", "\xC3\xBC", "\xC3\x9F", "\xE2\x9C\x93", "\xF0\x9F\x93\x81"};

// One name part (a folder or a file name): 1 to 24 characters, never "." or "..".
std::string namePart(zb::fuzz::FuzzBytes& in) {
    const std::size_t len = 1 + in.u8() % 24;
    std::string s;
    for (std::size_t i = 0; i < len; ++i) {
        const std::uint8_t c = in.u8();
        if (c >= 256 - std::size(kUtf8Letters)) {
            s += kUtf8Letters[c - (256 - std::size(kUtf8Letters))];
        } else {
            s += kNameChars[c % (sizeof kNameChars - 1)];
        }
    }
    if (s.find_first_not_of('.') == std::string::npos) s = "dot" + s;
    return s;
}

// Names that differ only in the case of A-Z are one name to the include lines.
std::string folded(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

struct FuzzFile {
    std::string name;  // stored name: "folder/sub/file"
    std::string content;
    std::string comment;
};

// Contents: raw bytes, or a piece repeated (up to 256 KiB) so that matches, long runs
// and several deflate blocks come up.
std::string contents(zb::fuzz::FuzzBytes& in) {
    const std::uint8_t how = in.u8();
    const zb::fuzz::Bytes piece = in.bytes(how & 0x80 ? 4096 : 512);
    std::string s(piece.begin(), piece.end());
    if (how & 1) {
        const std::size_t times = 1 + (std::size_t(how >> 1) & 0x3F) * 64;
        std::string repeated;
        for (std::size_t i = 0; i < times && repeated.size() + s.size() <= (256u << 10); ++i) repeated += s;
        s = std::move(repeated);
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zb;
    fuzz::FuzzBytes in(data, size);
    const std::uint8_t options = in.u8();
    const int level = options % 10;
    const std::string password = (options & 0x10) ? "pw-" + in.str(12) : "";
    const std::string archiveComment = (options & 0x20) ? in.str(200) : "";
    const bool memberComments = options & 0x40;

    // The files, each in one of the folders chosen so far or in a new one.
    std::vector<FuzzFile> files;
    std::set<std::string> filesTaken, foldersTaken;  // folded names
    std::vector<std::string> folders = {""};
    const std::size_t count = in.u8() % 9;
    for (std::size_t i = 0; i < count && in.left() > 0; ++i) {
        const std::uint8_t where = in.u8();
        std::string folder = folders[where % folders.size()];
        if (where & 0x80) folder += namePart(in) + "/";
        FuzzFile f;
        f.name = folder + namePart(in);
        f.content = contents(in);
        if (memberComments) f.comment = in.str(60);
        // A file where a folder is, or a folder where a file is, cannot be made.
        bool clash = filesTaken.count(folded(f.name)) || foldersTaken.count(folded(f.name) + "/");
        for (std::size_t at = f.name.find('/'); !clash && at != std::string::npos; at = f.name.find('/', at + 1))
            clash = filesTaken.count(folded(f.name.substr(0, at)));
        if (clash) continue;
        filesTaken.insert(folded(f.name));
        for (std::size_t at = f.name.find('/'); at != std::string::npos; at = f.name.find('/', at + 1))
            foldersTaken.insert(folded(f.name.substr(0, at + 1)));
        if (folder.size() > 0 && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
        files.push_back(std::move(f));
    }

    const fs::path root = fuzz::scratchFolder() / "roundtrip";
    const fs::path source = root / "in";
    const fs::path archive = root / "out" / "archive.zip";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(source);
    fs::create_directories(archive.parent_path());
    std::map<std::string, const FuzzFile*> byName;
    std::vector<std::string> list;
    for (const FuzzFile& f : files) {
        const fs::path p = source / f.name;
        fs::create_directories(p.parent_path());
        fuzz::writeFile(p, reinterpret_cast<const std::uint8_t*>(f.content.data()), f.content.size());
        list.push_back(p.string());
        byName[f.name] = &f;
    }

    zip::TZipWriter w;
    w.SetZipName(archive.string());
    w.SetRootDir(source.string());
    w.SetRelativePaths(true);
    w.SetPackLevel(level);
    w.Password = password;
    if (!archiveComment.empty()) w.SetArchiveComment(archiveComment);
    w.FilesList = list;
    w.OnStartZip = [&](zip::TZipWriter&, const std::string& path, zip::TZipHeaderInfo& h, bool&) {
        const std::string rel = fs::path(path).lexically_relative(source).generic_string();
        auto found = byName.find(rel);
        if (found == byName.end()) {
            std::fprintf(stderr, "file: %s\n", path.c_str());
            fuzz::fail("the writer zips a file that was not listed");
        }
        if (!found->second->comment.empty()) h.setFileComment(found->second->comment);
    };
    int skipped = 0;
    w.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string& p, int, bool&) {
        std::fprintf(stderr, "skipped: %s\n", p.c_str());
        ++skipped;
    };
    int zipped = -1;
    try {
        zipped = w.Zip();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
        fuzz::fail("writing an archive of readable files failed");
    }
    if (skipped) fuzz::fail("the writer left out a readable file");
    if (zipped != int(files.size())) fuzz::fail("the writer counts another number of files than it was given");

    // Read back with a reader of its own, as a later run would.
    zip::TZipReader r;
    r.SetZipName(archive.string());
    r.DoAll = true;
    r.Password = password;
    int events = 0;
    r.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason, const std::string& p, int, bool&) {
        std::fprintf(stderr, "reader skipped: %s\n", p.c_str());
        ++events;
    };
    r.OnBadCRC = [&](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++events; };
    r.OnInCompleteZip = [&](zip::TZipReader&, zip::TIncompleteZipMode&) { ++events; };
    std::map<std::string, std::string> got, good;
    r.OnGetNextBuffer = [&](zip::TZipReader&, const std::uint8_t* p, std::size_t n, const std::string& name, int,
                            bool&) { got[name].append(reinterpret_cast<const char*>(p), n); };
    r.OnEndUnZip = [&](zip::TZipReader&, int, const std::string& name) { good[name] = got[name]; };
    int decoded = -1;
    try {
        r.ReadDirectory();
        if (r.MemberCount() != int(files.size())) fuzz::fail("the archive lists another number of members");
        for (int i = 0; i < r.MemberCount(); ++i) {
            const std::string name = r.Member(i).storedName();
            auto found = byName.find(name);
            if (found == byName.end()) {
                std::fprintf(stderr, "member: %s\n", name.c_str());
                fuzz::fail("the archive lists a name that no file had");
            }
            if (r.MemberComment(i) != found->second->comment) fuzz::fail("a member comment changed");
        }
        if (r.ArchiveComment() != archiveComment) fuzz::fail("the archive comment changed");
        decoded = r.UnZipToBuffer();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "raised: %s\n", e.what());
        fuzz::fail("reading back a freshly written archive failed");
    }
    if (events) fuzz::fail("reading back a freshly written archive reported a fault");
    if (decoded != int(files.size()) || good.size() != files.size()) fuzz::fail("not every member decoded");
    for (const auto& [name, content] : good) {
        auto found = byName.find(name);
        if (found == byName.end()) fuzz::fail("a member decoded under a name no file had");
        if (content != found->second->content) {
            std::fprintf(stderr, "member: %s (%zu bytes, expected %zu)\n", name.c_str(), content.size(),
                         found->second->content.size());
            fuzz::fail("a member decoded to other bytes than its file");
        }
    }
    return 0;
}
