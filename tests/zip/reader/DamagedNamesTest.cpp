// Member names that try to leave the destination: ".." steps (with either separator),
// absolute paths, drive letters, NUL bytes, and a Unicode path extra field that hides
// ".." behind a harmless name. None of them may create anything outside the folder the
// user chose; each is reported as skipped, and the members beside them still arrive.
#include "zip/DamagedArchiveBuilder.h"

namespace zb::test {
namespace {

std::vector<SourceMember> withName(const std::string& name) {
    auto members = defaultDamagedMembers();
    members.push_back({name, "contents of " + name + " that must stay inside\n", 0, false});
    return members;
}

class DamagedNamesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedNamesTest, NameLeadingOutsideIsSkippedAndReported) {
    const BuiltArchive a = ArchiveBuilder(withName(GetParam())).build();
    const DamagedOutcome o = extractDamaged(a.bytes, a.members, "name \"" + GetParam() + "\"");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_GE(o.events, 1);
    EXPECT_FALSE(o.recovered.count(a.members.back().content));
    EXPECT_EQ(o.recovered.size(), 4u);  // the honest members arrive
}

INSTANTIATE_TEST_SUITE_P(DamagedUnsafe, DamagedNamesTest,
                         ::testing::Values("../evil.txt", "..\\evil.txt", "a/../../evil.txt", "a/b/../../../evil.txt",
                                           "./../evil.txt", "..", "../", "/tmp/zb-absolute-evil.txt",
                                           "\\tmp\\zb-absolute-evil.txt", "C:evil.txt", "c:/evil.txt",
                                           std::string("in\0side.txt", 11)),
                         [](const auto& info) { return "Name" + std::to_string(info.index); });

TEST(DamagedNamesAbsoluteTest, AbsoluteNameCreatesNothingAtThatPath) {
    const std::string target = "/tmp/zb-absolute-evil-" + std::to_string(::getpid()) + ".txt";
    std::error_code ec;
    fs::remove(target, ec);
    const BuiltArchive a = ArchiveBuilder(withName(target)).build();
    extractDamaged(a.bytes, a.members, "absolute name");
    EXPECT_FALSE(fs::exists(target));
}

TEST(DamagedNamesUnicodeTest, UnicodePathExtraFieldCannotSmuggleDotDot) {
    // The raw name is harmless; the Unicode path field (whose check sum matches the raw
    // name, so a reader takes it) says "../evil.txt".
    auto members = defaultDamagedMembers();
    members.push_back({"harmless.txt", "smuggled\n", 0, false});
    const BuiltArchive a = ArchiveBuilder(members).build();
    const int m = int(members.size()) - 1;
    std::string b = a.bytes;
    std::string extra;
    const std::string evil = "../evil.txt";
    zip::appendU16(extra, zip::kExtraUnicodePath);
    zip::appendU16(extra, std::uint16_t(5 + evil.size()));
    extra.push_back(1);
    zip::appendU32(extra, zip::crc32("harmless.txt", 12));
    extra += evil;
    putField(b, fieldOf(a, "central", m, "extra length"), extra.size());
    const FieldSpot& name = fieldOf(a, "central", m, "name");
    b.insert(name.offset + name.width, extra);
    putField(b, FieldSpot{"end", -1, "directory size", a.endOffset + extra.size() + 12, 4},
             a.endOffset - a.centralOffset + extra.size());
    const DamagedOutcome o = extractDamaged(b, members, "Unicode path ../evil.txt");
    EXPECT_FALSE(o.refused) << o.error;
    EXPECT_GE(o.events, 1);
    EXPECT_FALSE(o.recovered.count("smuggled\n"));
}

TEST(DamagedNamesRootDirTest, RootDirCutCannotOpenAWayOut) {
    // RootDir cuts a leading folder; what is left must still stay below the destination.
    auto members = defaultDamagedMembers();
    members.push_back({"base//..//x.txt", "after the cut\n", 0, false});
    members.push_back({"base/../../y.txt", "after the cut too\n", 0, false});
    const BuiltArchive a = ArchiveBuilder(members).build();
    TempDir tmp;
    const auto archive = tmp.write("a.zip", a.bytes);
    zip::TZipReader reader;
    reader.SetZipName(archive.string());
    reader.SetDestDir((tmp / "dest").string());
    reader.SetRootDir("base");
    reader.DoAll = true;
    reader.RecreateDirs = true;
    reader.OverwriteMode = zip::Always;
    reader.Password = kDamagedPassword;
    int unsafe = 0;
    reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason r, const std::string&, int, bool&) {
        if (r == zip::skipUnsafeName) ++unsafe;
    };
    reader.UnZip();
    EXPECT_EQ(unsafe, 2);
    EXPECT_FALSE(fs::exists(tmp / "x.txt"));
    EXPECT_FALSE(fs::exists(tmp / "y.txt"));
    EXPECT_FALSE(fs::exists(tmp.path().parent_path() / "y.txt"));
}

}  // namespace
}  // namespace zb::test
