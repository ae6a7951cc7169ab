// Project operations on the file: save with its check, create, rename, delete, the
// running number, the file's mode, and writes the system refuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "platform/IniFile.h"
#include "store/PasswordScramble.h"
#include "store/ProjectStore.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"
#include "StoreTestSupport.h"

using namespace zb;
using namespace zb::store;
using zb::test::TempDir;
using Lines = std::vector<std::string>;

namespace {

constexpr int kRefusedAsExpected = 0;
constexpr int kNotRefused = 1;
constexpr int kWrongMessage = 2;

ProjectRecord validRecord() {
    ProjectRecord r = newProjectRecord();
    r.filenamePrefix = "docs";
    r.savePath = "/srv/backup";
    r.includeLines = {"/home/ann/*.*"};
    r.usePassword = true;
    r.password = "pw";
    r.passwordConfirmation = "pw";
    return r;
}

// Runs `op` as an unprivileged user and reports whether it was refused with the
// settings file's own message.
int refusedStatus(const std::filesystem::path& file, const std::function<void()>& op) {
    return test::runUnprivileged([&] {
        try {
            op();
        } catch (const platform::IniWriteError& e) {
            return std::string(e.what()) == "Unable to write to " + file.string() ? kRefusedAsExpected : kWrongMessage;
        }
        return kNotRefused;
    });
}

std::vector<std::string> folderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder handed to "nobody" holding a copy of the shipped file.
struct OwnedCopy {
    TempDir dir;
    std::filesystem::path folder = dir / "settings";
    std::filesystem::path file = folder / "project.ini";
    OwnedCopy() {
        std::filesystem::create_directory(folder);
        std::filesystem::copy_file(test::testData("ini/project.ini"), file);
        test::giveToNobody(folder);
        test::giveToNobody(file);
    }
};

}  // namespace

TEST(ProjectStoreSave, RefusedByTheCheckWritesNothing) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectRecord r = validRecord();
    r.passwordConfirmation = "PW";
    EXPECT_EQ(store.saveProject("Documents", r, "/srv/backup/docs1.zip"), "Confirm password is not matching");
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(r.password, "pw");  // nothing on the page changes either
}

TEST(ProjectStoreSave, RefusedByTheCheckCreatesNoFile) {
    TempDir dir;
    ProjectRecord r = validRecord();
    EXPECT_EQ(ProjectStore(dir / "project.ini").saveProject("p", r, "  "), "Please enter the backup filename");
    EXPECT_FALSE(std::filesystem::exists(dir / "project.ini"));
}

TEST(ProjectStoreSave, SavedProjectLoadsBack) {
    TempDir dir;
    ProjectStore store(dir / "project.ini");
    ProjectList projects;
    ProjectRecord r = validRecord();
    store.createProject("p", r, projects);
    r = validRecord();
    r.value = 4;  // the page showed 5 with step 1
    ASSERT_EQ(store.saveProject("p", r, "/srv/backup/docs5.zip"), std::nullopt);
    // Named in other letter case, the project is still the listed one, and its password
    // is unscrambled with the key of the listed name.
    const ProjectRecord back = store.loadProject("P");
    EXPECT_EQ(back.nextNumber(), 5);
    EXPECT_EQ(back.password, "pw");
    EXPECT_EQ(back.includeLines, r.includeLines);
}

TEST(ProjectStoreSave, ListedSpellingKeysThePassword) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    EXPECT_EQ(store.loadProject("DOCUMENTS").password, "Secret pass 2024!");
    ProjectRecord r = store.loadProject("documents");
    r.password = r.passwordConfirmation = "changed";
    ASSERT_EQ(store.saveProject("documents", r, "x.zip"), std::nullopt);
    EXPECT_TRUE(test::hasLine(file, "Password=" + scramblePassword("changed", "Documents")));
    EXPECT_TRUE(test::keysOnDisk(file, "documents").empty());  // the section keeps its spelling
}

TEST(ProjectStoreSave, NewFileIsReadableByItsOwnerOnly) {
    TempDir dir;
    ProjectStore store(dir / "project.ini");
    ProjectRecord r = validRecord();
    ASSERT_EQ(store.saveProject("p", r, "x.zip"), std::nullopt);
    struct stat st {};
    ASSERT_EQ(stat((dir / "project.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ProjectStoreSave, UsedNumberWrittenAtOnce) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    store.storeUsedNumber(" Documents ", 7);
    EXPECT_EQ(store.loadProject("Documents").value, 7);
    EXPECT_EQ(store.loadProject("Documents").nextNumber(), 9);
}

TEST(ProjectStoreCreate, WritesTheProjectAndTheList) {
    TempDir dir;
    const auto file = dir / "project.ini";
    ProjectStore store(file);
    ProjectList projects;
    ProjectRecord r = validRecord();
    store.createProject("  New One ", r, projects);
    EXPECT_EQ(projects.names(), (Lines{"New One"}));
    EXPECT_EQ(store.readProjectList().names(), (Lines{"New One"}));
    EXPECT_EQ(store.readLastProject(), "New One");
    EXPECT_EQ(test::keysOnDisk(file, "Common"), (Lines{"Last Project", "Project Count", "Count0"}));
    EXPECT_EQ(test::keysOnDisk(file, "New One").front(), "Filename prefix");
    EXPECT_EQ(store.loadProject("new one").password, "pw");
    EXPECT_TRUE(test::hasLine(file, "Password=" + scramblePassword("pw", "New One")));
}

TEST(ProjectStoreCreate, NewProjectRecordStartsAsTheWizardDoes) {
    TempDir dir;
    ProjectStore store(dir / "project.ini");
    ProjectList projects;
    ProjectRecord r = newProjectRecord();
    r.filenamePrefix = "n";
    r.includeLines = {"a"};
    store.createProject("n", r, projects);
    const ProjectRecord back = store.loadProject("n");
    EXPECT_EQ(back.nextNumber(), 1);
    EXPECT_EQ(back.suffix, kSuffixNumber);
    EXPECT_FALSE(back.usePassword);
    EXPECT_FALSE(back.storeComment);
    EXPECT_TRUE(back.storePaths);
    EXPECT_EQ(back.backupMode, kModeNone);
    EXPECT_EQ(test::keysOnDisk(dir / "project.ini", "n").size(), 14u);  // no password, comment or schedule text
}

TEST(ProjectStoreCreate, TakesTheNextIndexAfterTheShippedProjects) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = validRecord();
    store.createProject("Photos", r, projects);
    EXPECT_TRUE(test::hasLine(file, "Project Count=3"));
    EXPECT_TRUE(test::hasLine(file, "Count2=Photos"));
    EXPECT_TRUE(test::hasLine(file, "Count3=Old Stale Project"));  // above the count, untouched
    EXPECT_EQ(store.readProjectList().names(), (Lines{"Documents", "mail archive", "Photos"}));
    EXPECT_EQ(projects.names(), store.readProjectList().names());
}

TEST(ProjectStoreCreate, EmptyListKeyDoesNotPushAProjectOffTheList) {
    TempDir dir;
    const auto file = dir.write("project.ini", "[Common]\nProject Count=3\nCount0=\nCount1=a\nCount2=b\n");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = validRecord();
    store.createProject("c", r, projects);
    EXPECT_EQ(store.readProjectList().names(), (Lines{"a", "b", "c"}));
}

TEST(ProjectStoreCreate, RefusesTakenAndEmptyNames) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = validRecord();
    try {
        store.createProject(" MAIL archive ", r, projects);
        FAIL() << "a taken name was accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Project 'MAIL archive' exists,please input another name!");
    }
    try {
        store.createProject("   ", r, projects);
        FAIL() << "an empty name was accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Please input a new project name!");
    }
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(projects.size(), 2u);
}

TEST(ProjectStoreCreate, UnlistedSectionOfTheSameNameIsReplaced) {
    TempDir dir;
    const auto file = dir.write("project.ini",
                                "[Common]\nProject Count=0\n[Old]\nFilename prefix=stale\nPassword=#1#2#3\n"
                                "Comment=old comment\n");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = validRecord();
    r.password.clear();
    r.passwordConfirmation.clear();
    store.createProject("old", r, projects);
    const ProjectRecord back = store.loadProject("old");
    EXPECT_EQ(back.filenamePrefix, "docs");
    EXPECT_EQ(back.password, "");  // no stale password slips in
    EXPECT_EQ(back.comment, "");
}

TEST(ProjectStoreRename, MovesTheSectionAndTheList) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = store.loadProject("Documents");
    const RenameResult result = store.renameProject("Documents", "  Zdocs ", r, "D:\\Backup\\docs7.zip", projects);
    EXPECT_EQ(result.outcome, RenameOutcome::Renamed);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(projects.names(), (Lines{"mail archive", "Zdocs"}));
    EXPECT_EQ(store.readProjectList().names(), projects.names());
    EXPECT_EQ(store.readLastProject(), "Zdocs");
    EXPECT_TRUE(test::keysOnDisk(file, "Documents").empty());
    const ProjectRecord back = store.loadProject("Zdocs");
    EXPECT_EQ(back.password, "Secret pass 2024!");  // scrambled again with the new key
    EXPECT_TRUE(test::hasLine(file, "Password=" + scramblePassword("Secret pass 2024!", "Zdocs")));
    EXPECT_EQ(back.includeLines.size(), 2u);
}

TEST(ProjectStoreRename, SameNameInOtherCaseDoesNothing) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = store.loadProject("Documents");
    EXPECT_EQ(store.renameProject("Documents", "DOCUMENTS", r, "x.zip", projects).outcome, RenameOutcome::Unchanged);
    EXPECT_EQ(test::readFile(file), before);
}

TEST(ProjectStoreRename, OtherProjectsNameIsRefused) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = store.loadProject("Documents");
    const RenameResult result = store.renameProject("Documents", "Mail Archive", r, "x.zip", projects);
    EXPECT_EQ(result.outcome, RenameOutcome::NameExists);
    EXPECT_EQ(result.message, "Project Name exists,Rename fail!");
    EXPECT_EQ(test::readFile(file), before);
}

TEST(ProjectStoreRename, EmptyNameIsRefused) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = store.loadProject("Documents");
    const RenameResult result = store.renameProject("Documents", " \t", r, "x.zip", projects);
    EXPECT_EQ(result.outcome, RenameOutcome::EmptyName);
    EXPECT_EQ(result.message, "Please enter project name");
}

TEST(ProjectStoreRename, RefusedSaveKeepsTheProjectsSection) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = store.loadProject("Documents");
    r.includeLines.clear();
    const RenameResult result = store.renameProject("Documents", "Renamed", r, "x.zip", projects);
    EXPECT_EQ(result.outcome, RenameOutcome::Refused);
    EXPECT_EQ(result.message, "Please select files to backup");
    EXPECT_EQ(test::readFile(file), before);
    EXPECT_EQ(projects.names(), (Lines{"Documents", "mail archive"}));
    EXPECT_EQ(store.loadProject("Documents").filenamePrefix, "docs");
}

TEST(ProjectStoreRename, UnlistedOldNameIsReported) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    ProjectRecord r = validRecord();
    EXPECT_EQ(store.renameProject("Old Stale Project", "x", r, "x.zip", projects).outcome, RenameOutcome::NotListed);
}

TEST(ProjectStoreDelete, ErasesTheSectionAndRewritesTheList) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    EXPECT_TRUE(store.deleteProject("documents", projects));
    EXPECT_EQ(projects.names(), (Lines{"mail archive"}));
    EXPECT_EQ(store.readProjectList().names(), (Lines{"mail archive"}));
    EXPECT_TRUE(test::hasLine(file, "Project Count=1"));
    EXPECT_TRUE(test::hasLine(file, "Count0=mail archive"));
    EXPECT_TRUE(test::hasLine(file, "Count1=mail archive"));  // the old last position stays, unread
    EXPECT_TRUE(test::keysOnDisk(file, "Documents").empty());
    EXPECT_EQ(store.loadProject("Documents").filenamePrefix, "");
}

TEST(ProjectStoreDelete, OnlyProjectLeavesAnEmptyList) {
    TempDir dir;
    ProjectStore store(dir / "project.ini");
    ProjectList projects;
    ProjectRecord r = validRecord();
    store.createProject("only", r, projects);
    EXPECT_TRUE(store.deleteProject("only", projects));
    EXPECT_TRUE(projects.empty());
    EXPECT_TRUE(test::hasLine(dir / "project.ini", "Project Count=0"));
    EXPECT_TRUE(store.readProjectList().empty());
}

TEST(ProjectStoreDelete, UnlistedNameChangesNothing) {
    TempDir dir;
    const auto file = test::copyTestIni(dir, "project.ini");
    const std::string before = test::readFile(file);
    ProjectStore store(file);
    ProjectList projects = store.readProjectList();
    EXPECT_FALSE(store.deleteProject("Old Stale Project", projects));
    EXPECT_EQ(test::readFile(file), before);
}

TEST(ProjectStoreRefused, ReadOnlyFileIsLeftUnchanged) {
    OwnedCopy copy;
    ASSERT_EQ(chmod(copy.file.c_str(), 0444), 0);
    const std::string before = test::readFile(copy.file);
    const auto names = folderNames(copy.folder);
    ProjectStore store(copy.file);
    EXPECT_EQ(refusedStatus(copy.file, [&] {
                  ProjectRecord r = validRecord();
                  store.saveProject("Documents", r, "x.zip");
              }),
              kRefusedAsExpected);
    EXPECT_EQ(refusedStatus(copy.file, [&] {
                  ProjectList projects = store.readProjectList();
                  store.deleteProject("Documents", projects);
              }),
              kRefusedAsExpected);
    EXPECT_EQ(refusedStatus(copy.file, [&] { store.storeUsedNumber("Documents", 9); }), kRefusedAsExpected);
    EXPECT_EQ(test::readFile(copy.file), before);
    EXPECT_EQ(folderNames(copy.folder), names);
}

TEST(ProjectStoreRefused, ReadOnlyFolderIsLeftUnchanged) {
    OwnedCopy copy;
    ASSERT_EQ(chmod(copy.folder.c_str(), 0555), 0);
    const std::string before = test::readFile(copy.file);
    const auto names = folderNames(copy.folder);
    ProjectStore store(copy.file);
    EXPECT_EQ(refusedStatus(copy.file, [&] {
                  ProjectList projects = store.readProjectList();
                  ProjectRecord r = store.loadProject("Documents");
                  store.renameProject("Documents", "Other", r, "x.zip", projects);
              }),
              kRefusedAsExpected);
    EXPECT_EQ(refusedStatus(copy.file, [&] {
                  ProjectList projects = store.readProjectList();
                  ProjectRecord r = validRecord();
                  store.createProject("Fresh", r, projects);
              }),
              kRefusedAsExpected);
    EXPECT_EQ(test::readFile(copy.file), before);
    EXPECT_EQ(folderNames(copy.folder), names);
}

TEST(ProjectStoreRefused, ReadingAReadOnlyFolderStillWorks) {
    OwnedCopy copy;
    ASSERT_EQ(chmod(copy.folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(copy.file.c_str(), 0444), 0);
    ProjectStore store(copy.file);
    EXPECT_EQ(test::runUnprivileged([&] {
                  const bool ok = store.readProjectList().size() == 2 &&
                                  store.loadProject("Documents").password == "Secret pass 2024!";
                  return ok ? 0 : 1;
              }),
              0);
}

TEST(ProjectStoreRefused, MissingFileInReadOnlyFolderStaysMissing) {
    TempDir dir;
    const auto folder = dir / "settings";
    std::filesystem::create_directory(folder);
    test::giveToNobody(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const auto file = folder / "project.ini";
    ProjectStore store(file);
    EXPECT_EQ(refusedStatus(file, [&] {
                  ProjectList projects;
                  ProjectRecord r = validRecord();
                  store.createProject("p", r, projects);
              }),
              kRefusedAsExpected);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(folderNames(folder).empty());
}

TEST(ProjectStoreNames, BracketsEqualsAndAccentsSurviveTheFile) {
    TempDir dir;
    ProjectStore store(dir / "project.ini");
    ProjectList projects;
    for (const std::string name : {"a]b", "x=y", "[boxed]", "\xc3\x9c" "ber"}) {
        ProjectRecord r = validRecord();
        r.password = r.passwordConfirmation = "pw of " + name;
        store.createProject(name, r, projects);
    }
    EXPECT_EQ(store.readProjectList().names(), projects.names());
    EXPECT_EQ(projects.size(), 4u);
    for (const std::string& name : projects.names()) {
        EXPECT_EQ(store.loadProject(name).password, "pw of " + name) << name;
    }
    // Letter case is ignored beyond ASCII too, as the file's section names are matched.
    EXPECT_TRUE(projects.contains("\xc3\xbc" "BER"));
    EXPECT_EQ(store.loadProject("\xc3\xbc" "ber").password, "pw of \xc3\x9c" "ber");
}
