// Helpers shared by the reader and extractor tests: a source tree with the kinds of
// files backups hold, comparison of an extracted tree with its source, archives made
// by peer tools at test time, and a reader set up to extract everything.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "zip/TZipReader.h"
#include "zip/WriterTestSupport.h"
#include "zip/ZipErrors.h"

namespace zb::test {

namespace fs = std::filesystem;

inline std::string randomText(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    static const char* words[] = {"backup ", "archive ", "member ", "folder ", "restore ", "the ", "of ", "\n"};
    std::string s;
    while (s.size() < n) s += words[rng() % 8];
    s.resize(n);
    return s;
}

inline std::string randomBinary(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = char(rng());
    return s;
}

// Relative path -> content, for every regular file below `root`.
inline std::map<std::string, std::string> treeContents(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = readFile(e.path());
    }
    return out;
}

// A small tree: text, incompressible bytes over several 32 KiB blocks, an empty file,
// nested folders and non-ASCII names (one that fits code page 437, one that does not).
inline void makeSourceTree(const fs::path& root) {
    auto put = [&](const std::string& rel, const std::string& content) {
        auto p = root / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(content.data(), std::streamsize(content.size()));
    };
    put("readme.txt", randomText(5000, 1));
    put("docs/manual.txt", randomText(200000, 2));
    put("docs/deep/nested/note.txt", "short note\n");
    put("data/random.bin", randomBinary(150000, 3));
    put("data/empty.dat", "");
    put("Grüße.txt", randomText(3000, 4));
    put("日本/名前.txt", randomText(1000, 5));
}

// A reader that extracts every member into `dest`, recreating folders and replacing
// what is there, and counts the events that report failures.
struct ExtractAll {
    zip::TZipReader reader;
    int badCrc = 0;
    std::vector<std::pair<zip::TSkipReason, std::string>> skipped;
    std::vector<std::string> ended;

    ExtractAll(const fs::path& archive, const fs::path& dest, const std::string& password = {}) {
        reader.SetZipName(archive.string());
        reader.SetDestDir(dest.string());
        reader.DoAll = true;
        reader.RecreateDirs = true;
        reader.OverwriteMode = zip::Always;
        reader.Password = password;
        reader.OnBadCRC = [this](zip::TZipReader&, std::uint32_t, std::uint32_t, int) { ++badCrc; };
        reader.OnSkippingFile = [this](zip::TZipReader&, zip::TSkipReason r, const std::string& n, int, bool&) {
            skipped.emplace_back(r, n);
        };
        reader.OnEndUnZip = [this](zip::TZipReader&, int, const std::string& n) { ended.push_back(n); };
    }
};

// Runs a short Python program (the peer's zipfile module); `args` follow the script.
inline CommandResult runPython(const std::string& script, const std::string& args = {}) {
    return runCommand("python3 -c " + shellQuote(script) + " " + args);
}

}  // namespace zb::test

namespace zb::test {

// Builds an archive with Python's zipfile from (stored name, content) pairs, every
// member dated 2020-06-15 12:30:00. `method` is "stored" or "deflated".
inline void makeZip(const fs::path& archive, const std::vector<std::pair<std::string, std::string>>& members,
                    const std::string& method = "deflated") {
    TempDir staging;
    std::string args = shellQuote(archive) + " " + method;
    int i = 0;
    for (auto& [name, content] : members) {
        auto src = staging.write("m" + std::to_string(i++), content);
        args += " " + shellQuote(name) + " " + shellQuote(src);
    }
    const char* script = R"PY(
import sys, zipfile
dst, method = sys.argv[1:3]
comp = zipfile.ZIP_STORED if method == 'stored' else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(dst, 'w', comp) as z:
    rest = sys.argv[3:]
    for name, src in zip(rest[0::2], rest[1::2]):
        info = zipfile.ZipInfo(name, date_time=(2020, 6, 15, 12, 30, 0))
        info.compress_type = comp
        info.external_attr = 0o644 << 16
        with open(src, 'rb') as f:
            z.writestr(info, f.read())
)PY";
    CommandResult r = runPython(script, args);
    ASSERT_EQ(r.status, 0) << r.output;
}

}  // namespace zb::test
