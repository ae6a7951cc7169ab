// The order of precedence of the program's folder: option, environment, the
// executable's folder when settings are already there, the per-user configuration
// folder.
#include "platform/AppDir.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include "AsNobody.h"
#include "EnvGuard.h"
#include "support/TempDir.h"

namespace zb::platform {
namespace {

namespace fs = std::filesystem;
using test::EnvGuard;
using test::TempDir;

TEST(AppDirOrder, OptionComesFirst) {
    TempDir dir;
    EnvGuard env(kAppDirEnvVar, (dir / "from-env").c_str());
    auto exe = dir.write("bin/zipbackup", "");
    std::string got = resolveAppDir((dir / "from-option/sub").string(), exe.string());
    EXPECT_EQ(got, (dir / "from-option/sub").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / "from-option/sub"));
    EXPECT_FALSE(fs::exists(dir / "from-env"));
}

TEST(AppDirOrder, RelativeOptionIsMadeAbsolute) {
    TempDir dir;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    std::string got = resolveAppDir("./conf/../data", "");
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(got, dir.path().string() + "/data/");
    EXPECT_TRUE(fs::is_directory(dir / "data"));
}

TEST(AppDirOrder, EnvironmentComesSecond) {
    TempDir dir;
    EnvGuard env(kAppDirEnvVar, (dir / "from-env").c_str());
    auto exe = dir.write("bin/zipbackup", "");
    EXPECT_EQ(resolveAppDir("", exe.string()), (dir / "from-env").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / "from-env"));
}

TEST(AppDirOrder, ExecutableFolderHoldingSettingsIsPortableUse) {
    TempDir dir;
    EnvGuard env(kAppDirEnvVar, nullptr);
    EnvGuard xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
    auto exe = dir.write("bin/zipbackup", "");
    dir.write("bin/project.ini", "[Common]\n");
    EXPECT_EQ(resolveAppDir("", exe.string()), (dir / "bin").string() + "/");
    EXPECT_FALSE(fs::exists(dir / "config"));
}

// An installed program run by root: its folder is writable but holds no settings, so
// they go to the configuration folder and nothing is written beside the program.
TEST(AppDirOrder, WritableExecutableFolderWithoutSettingsIsNotUsed) {
    TempDir dir;
    EnvGuard env(kAppDirEnvVar, nullptr);
    EnvGuard xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
    auto exe = dir.write("usr/bin/zipbackup", "");
    fs::create_directory(dir / "usr/bin/project.ini");  // a folder of that name is no settings file
    EXPECT_EQ(resolveAppDir("", exe.string()), (dir / "config/zipbackup").string() + "/");
    EXPECT_TRUE(fs::is_directory(dir / "config/zipbackup"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "usr/bin"), fs::directory_iterator()), 2);
}

TEST(AppDirOrder, ReadOnlyExecutableFolderFallsBackToTheConfigFolder) {
    TempDir dir;
    auto exe = dir.write("bin/zipbackup", "");  // root's folder: nobody cannot write there
    fs::create_directory(dir / "home");
    test::giveToNobody(dir / "home");
    std::string expected = (dir / "home/.cfg/zipbackup").string() + "/";
    int code = test::runAsNobody([&] {
        EnvGuard env(kAppDirEnvVar, "");
        EnvGuard xdg("XDG_CONFIG_HOME", (dir / "home/.cfg").c_str());
        if (resolveAppDir("", exe.string()) != expected) return 3;
        if (!fs::is_directory(dir / "home/.cfg/zipbackup")) return 4;
        // Without XDG_CONFIG_HOME the folder is ~/.config.
        EnvGuard noXdg("XDG_CONFIG_HOME", nullptr);
        EnvGuard home("HOME", (dir / "home").c_str());
        if (resolveAppDir("", exe.string()) != (dir / "home/.config/zipbackup").string() + "/") return 5;
        return 0;
    });
    EXPECT_EQ(code, 0);
}

TEST(AppDirOrder, RelativeConfigHomeIsIgnored) {
    TempDir dir;
    EnvGuard env(kAppDirEnvVar, nullptr);
    EnvGuard xdg("XDG_CONFIG_HOME", "relative/config");
    EnvGuard home("HOME", dir.path().c_str());
    EXPECT_EQ(resolveAppDir("", ""), (dir / ".config/zipbackup").string() + "/");
}

TEST(AppDirExecutable, PathOfTheRunningProgram) {
    std::string exe = executablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.front(), '/');
    EXPECT_EQ(fs::path(exe).filename(), "test_platform");
    EXPECT_TRUE(fs::equivalent(exe, "/proc/self/exe"));
}

}  // namespace
}  // namespace zb::platform
