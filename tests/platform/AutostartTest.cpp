// The desktop entry that starts the program with the session.
#include "platform/Autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AsNobody.h"
#include "EnvGuard.h"
#include "support/TempDir.h"

namespace zb::platform {
namespace {

namespace fs = std::filesystem;
using test::EnvGuard;
using test::readFile;
using test::TempDir;

std::string execLine(const std::string& entry) {
    auto at = entry.find("\nExec=");
    if (at == std::string::npos) return {};
    auto end = entry.find('\n', at + 1);
    return entry.substr(at + 6, end - at - 6);
}

TEST(Autostart, EnableWritesAnEntryWithTheFullPath) {
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    EXPECT_EQ(autostartEntryPath(), (dir / "cfg/autostart/varnholt-zadidedo-backup.desktop").string());
    EXPECT_FALSE(autostartEnabled());
    enableAutostart("/opt/zipbackup/zipbackup");
    EXPECT_TRUE(autostartEnabled());
    std::string entry = readFile(autostartEntryPath());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=Varnholt Zadidedo Backup\n"), std::string::npos);
    EXPECT_EQ(execLine(entry), "/opt/zipbackup/zipbackup");
    enableAutostart("/opt/other/zipbackup");  // a second enable replaces the entry
    EXPECT_EQ(execLine(readFile(autostartEntryPath())), "/opt/other/zipbackup");
}

TEST(Autostart, ReservedCharactersAreQuoted) {
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", dir.path().c_str());
    enableAutostart("/home/ann/My Apps/zip$backup");
    EXPECT_EQ(execLine(readFile(autostartEntryPath())), "\"/home/ann/My Apps/zip\\\\$backup\"");
    enableAutostart("/home/ann/100%/zipbackup");
    EXPECT_EQ(execLine(readFile(autostartEntryPath())), "/home/ann/100%%/zipbackup");
}

TEST(Autostart, DisableRemovesAndIsQuietWhenMissing) {
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", dir.path().c_str());
    enableAutostart("/usr/bin/zipbackup");
    disableAutostart();
    EXPECT_FALSE(autostartEnabled());
    EXPECT_FALSE(fs::exists(autostartEntryPath()));
    EXPECT_NO_THROW(disableAutostart());
}

TEST(Autostart, FallsBackToTheHomeConfigFolder) {
    TempDir dir;
    EnvGuard xdg("XDG_CONFIG_HOME", nullptr);
    EnvGuard home("HOME", dir.path().c_str());
    EXPECT_EQ(autostartEntryPath(), (dir / ".config/autostart/varnholt-zadidedo-backup.desktop").string());
}

TEST(Autostart, RefusedWriteThrowsTheSystemMessage) {
    TempDir dir;
    fs::create_directories(dir / "cfg/autostart");  // root's folder
    int code = test::runAsNobody([&] {
        EnvGuard xdg("XDG_CONFIG_HOME", (dir / "cfg").c_str());
        try {
            enableAutostart("/usr/bin/zipbackup");
            return 3;
        } catch (const std::runtime_error& e) {
            std::string what = e.what();
            if (what.find("Permission denied") == std::string::npos) return 4;
            if (what.find(autostartEntryPath()) == std::string::npos) return 5;
        }
        return autostartEnabled() ? 6 : 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(fs::is_empty(dir / "cfg/autostart"));
}

}  // namespace
}  // namespace zb::platform
