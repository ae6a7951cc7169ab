// A settings folder, a fixed clock and date format, the scripted user and the loaded
// preferences: what the window rules of the shell are tested against.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/DateFormat.h"
#include "platform/IniFile.h"
#include "store/Preferences.h"
#include "store/ProjectStore.h"
#include "support/FakeUi.h"
#include "support/FixedFormats.h"
#include "support/ProjectMaker.h"
#include "support/TempDir.h"

namespace zb::shell::test {

using zb::test::FakeUi;

class ShellBench : public ::testing::Test {
protected:
    void SetUp() override {
        zb::test::useFixedDateFormats();
        std::filesystem::create_directories(dir / "save");
        dir.write("src/a.txt", "a");
    }
    std::filesystem::path iniPath() const { return dir / "project.ini"; }
    std::string key(const std::string& section, const std::string& k) const {
        return platform::IniFile(iniPath()).readString(section, k, "<none>");
    }
    void makeProject(const std::string& name, const std::function<void(store::ProjectRecord&)>& adjust = {}) {
        zb::test::addTestProject(projects, name, (dir / "save").string(), (dir / "src" / "*.*").string(), adjust);
    }
    // The message boxes' texts and captions, in order, as "caption|text".
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& s : ui.messageBoxes()) out.push_back(s.caption + "|" + s.text);
        return out;
    }

    zb::test::TempDir dir;
    platform::ManualClock clock{platform::encodeDate(2024, 3, 24) + platform::encodeTime(14, 5, 9)};
    store::ProjectStore projects{iniPath()};
    store::PreferencesStore prefsStore{iniPath()};
    store::Preferences prefs;
    FakeUi ui;
};

}  // namespace zb::shell::test
