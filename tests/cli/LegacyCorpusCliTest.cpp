// The legacy corpus (archives written by old and other tools: shrunk, reduced with
// factors 1 to 4, imploded with every window and tree choice, stored, deflated, some
// encrypted) through the finished program, as a user runs it: "test" must pass every
// member, and "unzip -d" must write every member with the size, CRC-32 and SHA-256 its
// MANIFEST gives. One case per archive; a failure names the archive and the member.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>

#include "support/ShellCommand.h"
#include "support/TempDir.h"
#include "zip/checksum/Crc32.h"
#include "zip/DecoderTestSupport.h"

namespace zb::cli {
namespace {

namespace fs = std::filesystem;
using namespace zb::test;

std::string cli() { return shellQuote(std::string(ZB_BIN_DIR) + "/zipbackup-cli"); }

// The archive's rows of the manifest.
std::vector<ManifestRow> rowsOf(const std::string& archive) {
    std::vector<ManifestRow> rows;
    for (auto& r : readLegacyManifest())
        if (r.archive == archive) rows.push_back(r);
    return rows;
}

std::vector<std::string> corpusArchives() {
    std::set<std::string> names;
    for (auto& r : readLegacyManifest()) names.insert(r.archive);
    return {names.begin(), names.end()};
}

// The archive's password option ("" when no member is encrypted); the manifest gives
// one password an archive.
std::string passwordOption(const std::vector<ManifestRow>& rows) {
    for (auto& r : rows)
        if (r.password != "-") return " -P " + shellQuote(r.password);
    return "";
}

std::string archivePath(const std::string& name) { return testData("legacy/" + name).string(); }

// Standard input from /dev/null: the program must never wait for an answer.
CommandResult run(const std::string& args) { return runCommand(cli() + " " + args + " </dev/null 2>&1"); }

class LegacyCorpusCli : public ::testing::TestWithParam<std::string> {};

TEST_P(LegacyCorpusCli, TestCommandPassesEveryMember) {
    const auto rows = rowsOf(GetParam());
    ASSERT_FALSE(rows.empty());
    const auto result = run("test" + passwordOption(rows) + " " + shellQuote(archivePath(GetParam())));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (auto& r : rows)
        EXPECT_NE(result.output.find("testing: " + r.member + "  OK\n"), std::string::npos)
            << r.archive << ": " << r.member << " not reported sound\n"
            << result.output;
    const std::string summary = "(" + std::to_string(rows.size()) + (rows.size() == 1 ? " file)" : " files)");
    EXPECT_NE(result.output.find("No errors detected"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find(summary), std::string::npos) << result.output;
}

TEST_P(LegacyCorpusCli, UnzipWritesEveryMemberAsTheManifestSays) {
    const auto rows = rowsOf(GetParam());
    ASSERT_FALSE(rows.empty());
    TempDir dir;
    const fs::path out = dir / "out";
    const auto result = run("unzip -d " + shellQuote(out.string()) + passwordOption(rows) + " " +
                            shellQuote(archivePath(GetParam())));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (auto& r : rows) {
        const fs::path file = out / r.member;
        if (!fs::is_regular_file(file)) {
            ADD_FAILURE() << r.archive << ": " << r.member << " not extracted\n" << result.output;
            continue;
        }
        const std::string text = readFile(file);
        const Bytes content(text.begin(), text.end());
        EXPECT_EQ(content.size(), r.size) << r.archive << ": " << r.member;
        EXPECT_EQ(zip::crc32(content.data(), content.size()), r.crc) << r.archive << ": " << r.member;
        EXPECT_EQ(sha256Hex(content), r.sha256) << r.archive << ": " << r.member;
    }
    // Nothing beyond the members, and no temporary file left behind.
    std::vector<std::string> files;
    for (auto& e : fs::recursive_directory_iterator(out))
        if (!e.is_directory()) files.push_back(fs::relative(e.path(), out).string());
    std::string listing;
    for (auto& f : files) listing += f + "\n";
    EXPECT_EQ(files.size(), rows.size()) << GetParam() << " holds:\n" << listing;
}

INSTANTIATE_TEST_SUITE_P(Archives, LegacyCorpusCli, ::testing::ValuesIn(corpusArchives()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(0, info.param.rfind(".zip"));
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// An encrypted archive with the wrong password: every member is refused by name, the
// run fails, and nothing is written.
TEST(LegacyCorpusCliPassword, WrongPasswordRefusesEveryMemberAndWritesNothing) {
    int encrypted = 0;
    for (const auto& archive : corpusArchives()) {
        const auto rows = rowsOf(archive);
        if (passwordOption(rows).empty()) continue;
        ++encrypted;
        SCOPED_TRACE(archive);
        const auto tested = run("test -P wrong " + shellQuote(archivePath(archive)));
        EXPECT_EQ(tested.exitCode, 1) << tested.output;
        TempDir dir;
        const auto unzipped = run("unzip -P wrong -d " + shellQuote((dir / "out").string()) + " " +
                                  shellQuote(archivePath(archive)));
        EXPECT_EQ(unzipped.exitCode, 1) << unzipped.output;
        for (auto& r : rows) {
            if (r.password == "-") continue;
            EXPECT_NE(tested.output.find("testing: " + r.member + "  wrong password"), std::string::npos)
                << r.member << "\n" << tested.output;
            EXPECT_NE(unzipped.output.find(r.member + ": wrong password, not extracted"), std::string::npos)
                << r.member << "\n" << unzipped.output;
            EXPECT_FALSE(fs::exists(dir / "out" / r.member)) << r.member;
        }
    }
    EXPECT_EQ(encrypted, 3);
}

}  // namespace
}  // namespace zb::cli
