// Archives and destinations built to make an extraction write where it must not: a
// folder link, a file link, a dangling link and a hard link already in the
// destination, link members that point out (also absolutely, or by a chain of links),
// and members that go through a link an earlier member made. Each scene has the
// destination and, beside it, the folder "outside" whose entries must not change.
// The archives are written here byte by byte (stored members of a Unix host), so the
// link type and mode bits are exactly what a peer tool stores; links packed by the
// peers themselves (zip --symlinks, bsdtar, 7z -snl) are among the cases too.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/TreeSnapshot.h"
#include "zip/checksum/Crc32.h"
#include "zip/records/ZipBytes.h"

namespace zb::test {

struct AttackMember {
    std::string name;
    std::string content;          // a link member's content is its target
    std::uint32_t mode = 0100644;  // type and permission bits as a Unix host stores them
};

inline std::uint32_t linkMode() { return 0120777; }

// A stored archive of `members`, every one dated 2020-06-15 12:30:00.
inline std::string storedZip(const std::vector<AttackMember>& members) {
    std::string out, central;
    auto u16 = [](std::string& s, std::uint32_t v) { s += char(v & 0xFF), s += char((v >> 8) & 0xFF); };
    auto u32 = [&](std::string& s, std::uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
    const std::uint32_t dos = ((2020u - 1980) << 25) | (6u << 21) | (15u << 16) | (12u << 11) | (30u << 5);
    for (const AttackMember& m : members) {
        const std::uint32_t crc = ~zip::crc32Update(0xFFFFFFFFu, reinterpret_cast<const std::uint8_t*>(m.content.data()),
                                                    m.content.size());
        const std::uint32_t offset = std::uint32_t(out.size());
        u32(out, 0x04034b50), u16(out, 10), u16(out, 0), u16(out, 0), u32(out, dos), u32(out, crc);
        u32(out, std::uint32_t(m.content.size())), u32(out, std::uint32_t(m.content.size()));
        u16(out, std::uint32_t(m.name.size())), u16(out, 0);
        out += m.name + m.content;
        u32(central, 0x02014b50), u16(central, 0x031E), u16(central, 10), u16(central, 0), u16(central, 0);
        u32(central, dos), u32(central, crc), u32(central, std::uint32_t(m.content.size()));
        u32(central, std::uint32_t(m.content.size())), u16(central, std::uint32_t(m.name.size()));
        u16(central, 0), u16(central, 0), u16(central, 0), u16(central, 0);
        const bool folder = !m.name.empty() && m.name.back() == '/';
        u32(central, (m.mode << 16) | (folder ? 0x10u : 0u)), u32(central, offset);
        central += m.name;
    }
    const std::uint32_t centralOffset = std::uint32_t(out.size());
    out += central;
    u32(out, 0x06054b50), u16(out, 0), u16(out, 0), u16(out, std::uint32_t(members.size()));
    u16(out, std::uint32_t(members.size())), u32(out, std::uint32_t(central.size())), u32(out, centralOffset);
    u16(out, 0);
    return out;
}

// The archive (one without a comment) with its central directory written `times`
// over and the end record's counts and size saying so: several central records for
// every local header.
inline std::string withDirectoryRepeated(const std::string& archive, int times) {
    std::string end = archive.substr(archive.size() - 22);
    auto* e = reinterpret_cast<std::uint8_t*>(end.data());
    const std::uint32_t size = zip::getU32(e + 12), offset = zip::getU32(e + 16);
    std::string out = archive.substr(0, offset);
    for (int i = 0; i < times; ++i) out += archive.substr(offset, size);
    for (int at : {8, 10}) zip::putU16(e + at, std::uint16_t(zip::getU16(e + at) * times));
    zip::putU32(e + 12, size * std::uint32_t(times));
    return out + end;
}

struct AttackCase {
    std::string label;
    // Puts links and files into the destination and "outside" before the run.
    std::function<void(const std::filesystem::path& dest, const std::filesystem::path& outside)> prepare;
    std::vector<AttackMember> members;
    // Names below the destination that must end as regular files with the member's
    // content when existing files are replaced.
    std::vector<std::string> replaced;
    // Members that must be reported as unsafe (a link leading out, or a path through a link).
    std::vector<std::string> unsafe;
    // Link members that must come back as links, with their text.
    std::vector<std::pair<std::string, std::string>> links = {};
    // A peer tool's command that packs the members, laid out as files and links in a
    // source folder, into "../attack.zip" instead of the archive written here.
    std::string peer = {};
};

inline std::vector<AttackCase> attackCases() {
    namespace fs = std::filesystem;
    const std::string evil = "written by the archive\n";
    std::vector<AttackCase> cases = {
        {"folder link", [](const fs::path& d, const fs::path&) { fs::create_directory_symlink("../outside", d / "sub"); },
         {{"sub/x.txt", evil}, {"sub/victim.txt", evil}}, {}, {"sub/x.txt", "sub/victim.txt"}},
        {"file link",
         [](const fs::path& d, const fs::path&) { fs::create_symlink("../outside/victim.txt", d / "victim.txt"); },
         {{"victim.txt", evil, 0100777}}, {"victim.txt"}, {}},
        {"dangling link",
         [](const fs::path& d, const fs::path&) { fs::create_symlink("../outside/new.txt", d / "new.txt"); },
         {{"new.txt", evil}}, {"new.txt"}, {}},
        {"hard link", [](const fs::path& d, const fs::path& o) { fs::create_hard_link(o / "victim.txt", d / "hard.txt"); },
         {{"hard.txt", evil, 0100777}}, {"hard.txt"}, {}},
        {"link member pointing out", nullptr,
         {{"evil", "../outside", linkMode()}, {"evil/x.txt", evil}, {"up", "..", linkMode()}}, {}, {"evil", "up"}},
        {"absolute link member", nullptr, {{"abs", "/tmp", linkMode()}, {"abs/x.txt", evil}}, {}, {"abs"}},
        {"link chain climbing out", nullptr,
         {{"a", "b", linkMode()}, {"b", "..", linkMode()}, {"d/e/l", "../../..", linkMode()}, {"d/e/m", "x/../../..", linkMode()},
          {"a/victim.txt", evil}},
         {},
         {"b", "d/e/l", "d/e/m", "a/victim.txt"}},
        {"member through a link an earlier member made", nullptr,
         {{"real/", "", 040755}, {"in", "real", linkMode()}, {"in/y.txt", evil}}, {}, {"in/y.txt"}},
    };
    // Links as the peers that keep links store them: one beside its file, one to a
    // sibling folder and one from the top into a folder come back; an absolute one and
    // one climbing out do not.
    const std::vector<AttackMember> tree = {
        {"dir/f.txt", evil},           {"sib/s.txt", evil},          {"dir/in", "f.txt", linkMode()},
        {"dir/tosib", "../sib", linkMode()}, {"top", "dir/f.txt", linkMode()}, {"abs", "/tmp", linkMode()},
        {"dir/out", "../../outside/victim.txt", linkMode()}};
    for (auto [tool, command] : {std::pair{"zip --symlinks", "zip -q -r --symlinks ../attack.zip ."},
                                 std::pair{"bsdtar", "bsdtar --format zip -cf ../attack.zip *"},
                                 std::pair{"7z -snl", "7z a -tzip -snl -bd ../attack.zip . > /dev/null"}})
        cases.push_back({std::string("links from ") + tool, nullptr, tree, {}, {"abs", "dir/out"},
                         {{"dir/in", "f.txt"}, {"dir/tosib", "../sib"}, {"top", "dir/f.txt"}}, command});
    return cases;
}

// One scene: the destination with the case's links, the untouched folder beside it,
// the archive, and a snapshot of everything but the destination.
struct AttackScene {
    TempDir dir;
    std::filesystem::path dest = dir / "dest";
    std::filesystem::path outside = dir / "outside";
    std::filesystem::path archive;
    TreeSnapshot before;

    explicit AttackScene(const AttackCase& c) {
        std::filesystem::create_directories(dest);
        dir.write("outside/victim.txt", "PRECIOUS\n");
        dir.write("outside/other.txt", "keep me\n");
        if (c.prepare) c.prepare(dest, outside);
        archive = c.peer.empty() ? dir.write("attack.zip", storedZip(c.members)) : packedByPeer(c);
        before = snapshotTree(dir.path(), dest);
    }

    // The members laid out in "src" and packed there by the case's peer tool.
    std::filesystem::path packedByPeer(const AttackCase& c) const {
        for (const AttackMember& m : c.members) {
            if (!S_ISLNK(m.mode)) dir.write("src/" + m.name, m.content);
            else std::filesystem::create_symlink(m.content, dir / "src" / m.name);
        }
        // The folder reaches the shell through the environment, so it needs no quoting.
        ::setenv("ZB_ATTACK_SOURCE", (dir / "src").c_str(), 1);
        const int status = std::system(("cd \"$ZB_ATTACK_SOURCE\" && " + c.peer).c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.label << ": the peer failed";
        return dir / "attack.zip";
    }

    // Nothing outside the destination changed, no temporary file was left, the
    // replaced names are regular files of their own, and the links are links.
    void check(const AttackCase& c, bool replacing, const std::string& how) const {
        namespace fs = std::filesystem;
        SCOPED_TRACE(c.label + " / " + how);
        TreeSnapshot after = snapshotTree(dir.path(), dest);
        after.erase(dir.path().string());  // the top folder's own time may move
        TreeSnapshot was = before;
        was.erase(dir.path().string());
        EXPECT_EQ(after.size(), was.size());
        for (const auto& [path, state] : was) {
            auto it = after.find(path);
            ASSERT_NE(it, after.end()) << path << " disappeared";
            EXPECT_TRUE(it->second == state) << path << " changed";
        }
        for (const auto& e : fs::recursive_directory_iterator(dest))
            EXPECT_EQ(e.path().filename().string().rfind(".zbx-", 0), std::string::npos) << e.path();
        for (const auto& [name, text] : c.links) {
            std::error_code ec;
            EXPECT_EQ(fs::read_symlink(dest / name, ec).string(), text) << name;
        }
        if (!replacing) return;
        for (const std::string& name : c.replaced) {
            struct stat st {};
            ASSERT_EQ(::lstat((dest / name).c_str(), &st), 0) << name;
            EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
            EXPECT_EQ(st.st_nlink, 1u) << name;
            EXPECT_EQ(readFile(dest / name), "written by the archive\n") << name;
        }
    }
};

}  // namespace zb::test
