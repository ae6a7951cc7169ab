// Archives with links, made at test time by the peers that store links as links:
// Info-ZIP zip with --symlinks, bsdtar and 7-Zip with -snl. A restore of one must
// give back, as links, those that stay inside the destination (one beside its file,
// one to a sibling folder, one from the top into a folder), leave out and report
// those that lead out (an absolute one, one climbing past the destination), and change
// nothing beside the destination. The engine, "zipbackup-cli unzip" and the restore
// run are each held to this.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/TreeSnapshot.h"

namespace zb::test {

struct LinkPeer {
    const char* tool;
    const char* command;  // run in the source folder; the archive is ../links.zip
};

inline std::vector<LinkPeer> linkPeers() {
    return {{"zip", "zip -q -r --symlinks ../links.zip ."},
            {"bsdtar", "bsdtar --format zip -cf ../links.zip *"},
            {"7z", "7z a -tzip -snl -bd ../links.zip ."}};
}

// The source tree, the peer's archive of it, the destination and, beside it, the file
// the unsafe links name.
struct LinkScene {
    TempDir dir;
    std::filesystem::path src = dir / "src", dest = dir / "dest", archive = dir / "links.zip";
    TreeSnapshot before;

    // Links that must come back as links, with their text.
    static std::vector<std::pair<std::string, std::string>> safeLinks() {
        return {{"dir/in", "f.txt"}, {"dir/tosib", "../sib"}, {"top", "dir/f.txt"}};
    }
    // Links that must be left out and reported.
    static std::vector<std::string> unsafeLinks() { return {"abs", "dir/out"}; }

    explicit LinkScene(const LinkPeer& peer) {
        namespace fs = std::filesystem;
        dir.write("src/dir/f.txt", "the file\n");
        dir.write("src/sib/s.txt", "a sibling\n");
        const fs::path victim = dir.write("outside/victim.txt", "PRECIOUS\n");
        for (const auto& [name, text] : safeLinks()) fs::create_symlink(text, src / name);
        fs::create_symlink(victim, src / "abs");
        fs::create_symlink("../../outside/victim.txt", src / "dir/out");
        // The folder reaches the shell through the environment, so it needs no quoting.
        ::setenv("ZB_LINK_SOURCE", src.c_str(), 1);
        const int status = std::system((std::string("cd \"$ZB_LINK_SOURCE\" && ") + peer.command + " > /dev/null").c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << peer.tool << " could not make the archive";
        fs::create_directories(dest);
        before = snapshotTree(dir.path(), dest);
    }

    // The safe links are links with their text, the files are files, the unsafe links
    // are absent, and nothing beside the destination changed.
    void check(const std::string& how) const {
        SCOPED_TRACE(how);
        struct stat st {};
        for (const auto& [name, text] : safeLinks()) {
            ASSERT_EQ(::lstat((dest / name).c_str(), &st), 0) << name;
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
            EXPECT_EQ(std::filesystem::read_symlink(dest / name).string(), text) << name;
        }
        EXPECT_EQ(readFile(dest / "dir/f.txt"), "the file\n");
        EXPECT_EQ(readFile(dest / "sib/s.txt"), "a sibling\n");
        EXPECT_EQ(readFile(dest / "top"), "the file\n");  // through the restored link
        for (const std::string& name : unsafeLinks()) EXPECT_NE(::lstat((dest / name).c_str(), &st), 0) << name;
        TreeSnapshot after = snapshotTree(dir.path(), dest), was = before;
        after.erase(dir.path().string());  // the top folder's own time may move
        was.erase(dir.path().string());
        EXPECT_TRUE(after == was) << "something beside the destination changed";
    }
};

}  // namespace zb::test
